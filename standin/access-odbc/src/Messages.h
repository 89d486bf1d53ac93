#pragma once

#include <string_view>

namespace brivanto::standin {

// Starts every message the stand-in writes itself, so a reader can tell them from SQLite's.
inline constexpr std::string_view kMessagePrefix = "[Brivanto Access stand-in] ";

}  // namespace brivanto::standin
