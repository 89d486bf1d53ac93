#include "database/ConnectionText.h"

namespace brivanto::database {
namespace {

// An unbraced value runs verbatim up to the next ';', blanks and '}' included, so only a ';' in
// the path or a '{' that would open a braced value can make the driver read another file.
// Nothing says the Access driver reads braces in DBQ at all: a path is braced only where a
// failed open is the alternative to opening the wrong file.
bool NeedsBraces(std::string_view path) {
  return path.find(';') != std::string_view::npos || (!path.empty() && path.front() == '{');
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
