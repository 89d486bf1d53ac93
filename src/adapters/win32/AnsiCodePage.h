#pragma once

#include "ports/CodePage.h"

namespace brivanto::win32 {

// The ANSI code page of this Windows (GetACP), which the Access driver and the installer speak,
// converted through AnsiText.
class AnsiCodePage final : public ports::CodePage {
 public:
  std::optional<std::string> TryFromUtf8(std::string_view utf8) const override;
  std::string ToUtf8(std::string_view text) const override;
  std::string ForDisplay(std::string_view utf8) const override;
  Failure PathRefusal(std::string_view utf8Path) const override;
  Failure TextRefusal(std::string_view utf8, std::int32_t failureNumber) const override;
};

}  // namespace brivanto::win32
