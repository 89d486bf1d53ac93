#pragma once

#include <algorithm>
#include <string_view>

namespace brivanto::odbc {

// Column, key and value names are ASCII; the C library's locale must not change the result.
inline bool EqualsIgnoringCase(std::string_view left, std::string_view right) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return std::ranges::equal(left, right, [&](char l, char r) { return lower(l) == lower(r); });
}

}  // namespace brivanto::odbc
