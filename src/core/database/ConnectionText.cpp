#include "database/ConnectionText.h"

namespace brivanto::database {
namespace {

// A plain value would end early or be read as a braced one: a ';' can end it before a keyword,
// a leading '{' opens a braced value, and drivers may trim blanks at either end.
bool NeedsBraces(std::string_view path) {
  return path.find_first_of(";{}") != std::string_view::npos ||
         (!path.empty() && (path.front() == ' ' || path.back() == ' ' || path.front() == '\t' ||
                            path.back() == '\t'));
}

// ODBC's braced value: everything up to the first single '}', with "}}" standing for '}'.
std::string Braced(std::string_view path) {
  std::string value = "{";
  for (const char c : path) {
    value += c;
    if (c == '}') {
      value += '}';
    }
  }
  value += '}';
  return value;
}

}  // namespace

std::string ConnectionText(std::string_view databasePath) {
  std::string text = "driver={Microsoft Access Driver (*.mdb)};DBQ=";
  text += NeedsBraces(databasePath) ? Braced(databasePath) : std::string(databasePath);
  text += "; pwd=";
  text += kDatabasePassword;
  text += ";";
  return text;
}

}  // namespace brivanto::database
