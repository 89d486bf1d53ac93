#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace brivanto::text {

// Paths and statements are byte strings; only ASCII letters change case, whatever the C
// library's locale.
inline char ToLowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string ToLowerAscii(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return ToLowerAscii(c); });
  return lower;
}

inline bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle) {
  return ToLowerAscii(haystack).find(ToLowerAscii(needle)) != std::string::npos;
}

// Removes leading and trailing space characters only; tabs and line breaks stay.
inline std::string_view TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace brivanto::text
