#include "JetSql.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "ConnectionString.h"

namespace brivanto::standin {
namespace {

// The first word of a statement, in lower case; a SELECT may start inside parentheses.
std::string FirstWord(const std::string& sql) {
  const auto is_lead = [](char c) {
    return std::isspace(static_cast<unsigned char>(c)) || c == '(';
  };
  const auto start = std::find_if_not(sql.begin(), sql.end(), is_lead);
  const auto end = std::find_if_not(
      start, sql.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
  return AsciiLower(std::string(start, end));
}

// Lower case, with every run of blanks, tabs and line breaks as one space.
std::string Normalised(const std::string& sql) {
  std::string normalised;
  for (const char c : AsciiLower(sql)) {
    const bool blank = std::isspace(static_cast<unsigned char>(c)) != 0;
    if (!blank || (!normalised.empty() && normalised.back() != ' ')) {
      normalised += blank ? ' ' : c;
    }
  }
  return normalised;
}

}  // namespace

bool WritesData(const std::string& sql) {
  static constexpr std::array<std::string_view, 8> kWriting = {
      "insert", "update", "delete", "create", "drop", "alter", "grant", "revoke"};
  const std::string word = FirstWord(sql);
  if (std::find(kWriting.begin(), kWriting.end(), word) != kWriting.end()) {
    return true;
  }
  // SELECT ... INTO ... FROM makes a table.
  const std::string normalised = Normalised(sql);
  return word == "select" && normalised.find(" into ") < normalised.find(" from ");
}

std::string ForMdbTools(const std::string& sql) {
  std::string given;
  given.reserve(sql.size());
  char open = '\0';  // the quote or bracket the text is inside, if any
  for (std::size_t at = 0; at < sql.size(); ++at) {
    const char c = sql[at];
    if (open == '\0' && c == '"' && sql.find('\'', at) > sql.find('"', at + 1)) {
      open = '"';
      given += '\'';
    } else if (open == '"' && c == '"') {
      open = '\0';
      given += '\'';
    } else {
      if (open == '\0' && (c == '\'' || c == '[')) {
        open = c == '[' ? ']' : '\'';
      } else if (open != '\0' && open != '"' && c == open) {
        open = '\0';
      }
      given += c;
    }
  }
  return given;
}

}  // namespace brivanto::standin
