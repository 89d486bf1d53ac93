#pragma once

#include "ports/CodePage.h"

namespace brivanto::odbc {

// Windows-1252, the ANSI code page of a Dutch Windows, with the five bytes it leaves undefined
// read as the C1 controls of the same number, as Windows reads them, so every byte string
// survives the way there and back.
class Windows1252 final : public ports::CodePage {
 public:
  std::optional<std::string> TryFromUtf8(std::string_view utf8) const override;
  std::string ToUtf8(std::string_view text) const override;
  std::string ForDisplay(std::string_view utf8) const override;
  Failure PathRefusal(std::string_view utf8Path) const override;
  Failure TextRefusal(std::string_view utf8, std::int32_t failureNumber) const override;
};

}  // namespace brivanto::odbc
