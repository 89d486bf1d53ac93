#include "AnsiCodePage.h"

#include "AnsiText.h"
#include "ports/Failure.h"

namespace brivanto::win32 {

std::optional<std::string> AnsiCodePage::TryFromUtf8(std::string_view utf8) const {
  return TryToAnsi(utf8);
}

std::string AnsiCodePage::ToUtf8(std::string_view text) const {
  return FromAnsi(text);
}

std::string AnsiCodePage::ForDisplay(std::string_view utf8) const {
  return ToAnsiForDisplay(utf8);
}

// In the words of PathToAnsi and TextToAnsi, as every Windows adapter refuses such a text.
Failure AnsiCodePage::PathRefusal(std::string_view utf8Path) const {
  return Failure(
      failure_codes::kFileAccess,
      "Het pad bevat tekens die Windows hier niet kan doorgeven: " + std::string(utf8Path));
}

Failure AnsiCodePage::TextRefusal(std::string_view utf8, std::int32_t failureNumber) const {
  return Failure(failureNumber,
                 "De tekst bevat tekens die Windows hier niet kan doorgeven: " + std::string(utf8));
}

}  // namespace brivanto::win32
