#include "Schema.h"

#include <algorithm>
#include <optional>

#include "ConnectionString.h"
#include "DriverCalls.h"
#include "Routes.h"

namespace brivanto::standin {
namespace {

constexpr char kDeclaredColumnsQuery[] =
    "SELECT m.name, p.name, p.type FROM sqlite_master AS m, pragma_table_info(m.name) AS p "
    "WHERE m.type = 'table'";

constexpr SQLULEN kShortTextSize = 255;
constexpr SQLULEN kSqliteLongTextSize = 65536;

bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

std::optional<DeclaredColumn> NextDeclaredColumn(SQLHSTMT statement) {
  if (!SQL_SUCCEEDED(Call(CurrentDriver().SQLFetch, statement))) {
    return std::nullopt;
  }
  DeclaredColumn column;
  std::string* parts[] = {&column.table, &column.column, &column.type};
  for (SQLUSMALLINT i = 0; i < 3; ++i) {
    const WholeText text = ReadWholeText(statement, static_cast<SQLUSMALLINT>(i + 1));
    if (!SQL_SUCCEEDED(text.rc)) {
      return std::nullopt;
    }
    *parts[i] = text.text;
  }
  return column;
}

}  // namespace

std::vector<DeclaredColumn> ReadDeclaredColumns(SQLHDBC connection) {
  std::vector<DeclaredColumn> columns;
  // A Jet file has no SQLite schema; MDB Tools describes its columns itself.
  if (GetRoutes().Find(connection)) {
    return columns;
  }
  const DriverStatement statement(connection);
  if (statement.get() == SQL_NULL_HSTMT ||
      !SQL_SUCCEEDED(Call(CurrentDriver().SQLExecDirect, statement.get(),
                          AsOdbcText(kDeclaredColumnsQuery), SQLINTEGER{SQL_NTS}))) {
    return columns;
  }
  while (auto column = NextDeclaredColumn(statement.get())) {
    columns.push_back(std::move(*column));
  }
  return columns;
}

std::string TypeNameOf(std::string_view declared_type) {
  const std::string type = AsciiLower(TrimBlanks(declared_type));
  return type.substr(0, std::find_if_not(type.begin(), type.end(), IsWordChar) - type.begin());
}

bool IsMemoType(std::string_view type_name) {
  const std::string name = TypeNameOf(type_name);
  return name == "memo" || name == "longtext" || name == "longchar" || name == "note";
}

JetColumn JetColumnFor(std::string_view type_name, SQLULEN sqlite_size) {
  if (IsMemoType(type_name)) {
    return {JetColumn::Kind::kMemo, 0};
  }
  const std::string name = TypeNameOf(type_name);
  if (name != "text" && name != "varchar" && name != "char") {
    return {};
  }
  // The SQLite driver gives a TEXT without a size the size of its long text.
  return {JetColumn::Kind::kText,
          sqlite_size == kSqliteLongTextSize ? kShortTextSize : sqlite_size};
}

bool SameName(std::string_view a, std::string_view b) {
  return AsciiLower(a) == AsciiLower(b);
}

}  // namespace brivanto::standin
