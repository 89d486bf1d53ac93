#include "database/ConnectionText.h"

namespace brivanto::database {

std::string ConnectionText(std::string_view databasePath) {
  std::string text = "driver={Microsoft Access Driver (*.mdb)};DBQ=";
  text += databasePath;
  text += "; pwd=";
  text += kDatabasePassword;
  text += ";";
  return text;
}

}  // namespace brivanto::database
