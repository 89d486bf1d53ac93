#pragma once

#include <string>
#include <string_view>

namespace brivanto::database {

inline constexpr std::string_view kDatabasePassword = "Gk58w2n7";

// The path goes in exactly as the user typed it, never trimmed. A path that would name another
// file as a plain value (it holds a ; or starts with {) goes in braces, with every } doubled.
std::string ConnectionText(std::string_view databasePath);

}  // namespace brivanto::database
