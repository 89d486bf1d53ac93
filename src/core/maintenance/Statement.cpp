#include "maintenance/Statement.h"

#include <algorithm>

#include "text/Text.h"

namespace brivanto::maintenance {

bool ReturnsRows(std::string_view query) {
  return text::ContainsIgnoringCase(query, "select");
}

std::string StatementText(std::string_view query) {
  std::string statement(query);
  std::replace(statement.begin(), statement.end(), '"', '\'');
  return statement;
}

}  // namespace brivanto::maintenance
