#pragma once

#include <string>
#include <string_view>

namespace brivanto::database {

inline constexpr std::string_view kDatabasePassword = "Gk58w2n7";

// The path goes in exactly as the user typed it: neither trimmed nor quoted.
std::string ConnectionText(std::string_view databasePath);

}  // namespace brivanto::database
