#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ports/Failure.h"

namespace brivanto::ports {

// How texts cross between the core, which speaks UTF-8, and a single-byte code page, such as
// the ANSI code page the Access driver speaks. Embedded NULs are kept, so NUL-separated lists
// convert as a whole.
class CodePage {
 public:
  virtual ~CodePage() = default;

  // nullopt when the text is not valid UTF-8 or the code page cannot carry one of its
  // characters; never a look-alike substitute.
  virtual std::optional<std::string> TryFromUtf8(std::string_view utf8) const = 0;
  // Never fails: every byte of the code page has a character.
  virtual std::string ToUtf8(std::string_view text) const = 0;
  // For what is only looked up or shown: an uncarried character becomes '?'.
  virtual std::string ForDisplay(std::string_view utf8) const = 0;
  // The refusal of a path, or of any other text, that the code page cannot carry, naming it: a
  // path is numbered failure_codes::kFileAccess, a text `failureNumber`.
  virtual Failure PathRefusal(std::string_view utf8Path) const = 0;
  virtual Failure TextRefusal(std::string_view utf8, std::int32_t failureNumber) const = 0;
};

}  // namespace brivanto::ports
