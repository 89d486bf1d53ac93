#include "OdbcRowUpdate.h"

#include <algorithm>

#include "OdbcColumns.h"
#include "OdbcStatementExecution.h"
#include "ports/Failure.h"

namespace brivanto::odbc {
namespace {

struct ColumnOrigin {
  std::string table;
  std::string column;
  ColumnDescription description;
};

[[noreturn]] void RefuseUpdate(const std::string& reason) {
  throw Failure(failure_codes::kResultNotUpdatable,
                "Dit resultaat kan niet worden bijgewerkt: " + reason);
}

std::vector<ColumnOrigin> OriginsOf(SQLHSTMT result, std::size_t columnCount) {
  std::vector<ColumnOrigin> origins;
  origins.reserve(columnCount);
  for (std::size_t index = 0; index < columnCount; ++index) {
    const auto column = static_cast<SQLUSMALLINT>(index + 1);
    origins.push_back({ColumnTextAttribute(result, column, SQL_DESC_BASE_TABLE_NAME),
                       ColumnTextAttribute(result, column, SQL_DESC_BASE_COLUMN_NAME),
                       DescribeColumn(result, column)});
  }
  return origins;
}

void RequireOneTable(const std::vector<ColumnOrigin>& origins) {
  const std::string& table = origins.front().table;
  const bool fromOneTable = std::ranges::all_of(origins, [&table](const ColumnOrigin& origin) {
    return !origin.table.empty() && origin.table == table && !origin.column.empty();
  });
  if (!fromOneTable) {
    RefuseUpdate("niet alle velden komen uit één tabel");
  }
}

std::string Bracketed(const std::string& name) {
  // A closing bracket would end the quoted name early.
  if (name.find(']') != std::string::npos) {
    RefuseUpdate("de naam " + name + " kan niet worden aangehaald");
  }
  return "[" + name + "]";
}

// The declared size can be smaller than a text the database would still accept or reject; it
// must decide, not a silent truncation while binding.
TextParameter ParameterFor(const ColumnDescription& column, const std::string& text) {
  const SQLSMALLINT sqlType = column.sqlType == SQL_UNKNOWN_TYPE ? SQL_VARCHAR : column.sqlType;
  return {text, sqlType, std::max<SQLULEN>(column.size, text.size()), column.decimalDigits};
}

}  // namespace

void WriteFieldBack(SQLHDBC connection, SQLHSTMT result, std::size_t column,
                    const std::vector<ports::FieldValue>& rowValues, const std::string& value) {
  const std::vector<ColumnOrigin> origins = OriginsOf(result, rowValues.size());
  RequireOneTable(origins);

  std::string sql = "UPDATE " + Bracketed(origins.front().table) + " SET " +
                    Bracketed(origins[column].column) + " = ? WHERE ";
  std::vector<TextParameter> parameters{ParameterFor(origins[column].description, value)};
  for (std::size_t index = 0; index < origins.size(); ++index) {
    sql += (index == 0 ? "" : " AND ") + Bracketed(origins[index].column);
    if (rowValues[index]) {
      sql += " = ?";
      parameters.push_back(ParameterFor(origins[index].description, *rowValues[index]));
    } else {
      sql += " IS NULL";
    }
  }
  if (ExecutePrepared(connection, sql, parameters) == 0) {
    throw Failure(failure_codes::kRowNotFound,
                  "De rij kan niet worden bijgewerkt: ze is gewijzigd of verwijderd sinds ze werd "
                  "gelezen");
  }
}

}  // namespace brivanto::odbc
