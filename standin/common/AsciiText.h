// Text helpers of the stand-ins: keywords and SQL words are ASCII, and the C library's locale
// must not change how they compare.
#pragma once

#include <string>
#include <string_view>

namespace brivanto::standin {

std::string AsciiLower(std::string_view text);
// Without the spaces and tabs at either end.
std::string_view TrimBlanks(std::string_view text);

}  // namespace brivanto::standin
