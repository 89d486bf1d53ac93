#include "OdbcRowUpdate.h"

#include <algorithm>
#include <optional>

#include "OdbcColumns.h"
#include "OdbcHandle.h"
#include "OdbcStatementExecution.h"
#include "TextCompare.h"
#include "ports/Failure.h"

namespace brivanto::odbc {
namespace {

struct ColumnOrigin {
  std::string table;
  std::string column;
  ColumnDescription description;
  bool comparable = true;
};

[[noreturn]] void RefuseUpdate(const std::string& reason) {
  throw Failure(failure_codes::kResultNotUpdatable,
                "Dit resultaat kan niet worden bijgewerkt: " + reason);
}

// An attribute the driver does not keep reads as empty, like one it leaves empty.
std::string TextAttributeOrEmpty(SQLHSTMT result, SQLUSMALLINT column, SQLUSMALLINT field) {
  try {
    return ColumnTextAttribute(result, column, field);
  } catch (const Failure&) {
    return {};
  }
}

bool IsLongText(SQLSMALLINT sqlType) {
  return sqlType == SQL_LONGVARCHAR || sqlType == SQL_WLONGVARCHAR;
}

// A binary value's text is not the value, and a float's text need not read back equal: the
// Access driver writes it in the regional number format.
bool IsNeverCompared(SQLSMALLINT sqlType) {
  switch (sqlType) {
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
      return true;
    default:
      return false;
  }
}

// How the driver says a column can be searched: SQL_PRED_NONE not at all, SQL_PRED_CHAR only
// with LIKE; nullopt when it does not say.
std::optional<SQLLEN> Searchability(SQLHSTMT result, SQLUSMALLINT column) {
  SQLLEN searchable = SQL_PRED_NONE;
  if (!SQL_SUCCEEDED(
          SQLColAttribute(result, column, SQL_DESC_SEARCHABLE, nullptr, 0, nullptr, &searchable))) {
    return std::nullopt;
  }
  return searchable;
}

// A long text (the Access driver's Memo) is compared only where the driver vouches for it, as
// drivers that describe every text as long do; anything else unless the driver refuses it.
bool IsComparable(SQLHSTMT result, SQLUSMALLINT column, SQLSMALLINT sqlType) {
  if (IsNeverCompared(sqlType)) {
    return false;
  }
  const auto searchable = Searchability(result, column);
  if (!searchable) {
    return !IsLongText(sqlType);
  }
  return *searchable == SQL_PRED_BASIC || *searchable == SQL_PRED_SEARCHABLE;
}

ColumnOrigin OriginOf(SQLHSTMT result, SQLUSMALLINT column) {
  ColumnOrigin origin{TextAttributeOrEmpty(result, column, SQL_DESC_BASE_TABLE_NAME),
                      TextAttributeOrEmpty(result, column, SQL_DESC_BASE_COLUMN_NAME),
                      DescribeColumn(result, column)};
  if (origin.column.empty()) {
    origin.column = origin.description.name;
  }
  origin.comparable = IsComparable(result, column, origin.description.sqlType);
  return origin;
}

std::vector<ColumnOrigin> OriginsOf(SQLHSTMT result, std::size_t columnCount) {
  std::vector<ColumnOrigin> origins;
  origins.reserve(columnCount);
  for (std::size_t index = 0; index < columnCount; ++index) {
    origins.push_back(OriginOf(result, static_cast<SQLUSMALLINT>(index + 1)));
  }
  return origins;
}

// The table every column comes from: the one the driver names, or the key's where it names none.
std::string TableOf(const std::vector<ColumnOrigin>& origins, const ports::RowKey& key) {
  const bool fromKeyTable = std::ranges::all_of(origins, [&key](const ColumnOrigin& origin) {
    return !origin.column.empty() &&
           (origin.table.empty() || EqualsIgnoringCase(origin.table, key.table));
  });
  if (!fromKeyTable || key.table.empty()) {
    RefuseUpdate("niet alle velden komen uit de tabel " + key.table);
  }
  return key.table;
}

// The table's own columns, as the driver's catalog lists them; empty when it lists none.
std::vector<std::string> ColumnsOfTable(SQLHDBC connection, const std::string& table) {
  const auto statement = StatementHandle::Allocate(SQL_HANDLE_DBC, connection);
  const SQLHSTMT handle = statement.Get();
  std::vector<std::string> columns;
  if (!SQL_SUCCEEDED(
          SQLColumns(handle, nullptr, 0, nullptr, 0, AsSqlText(table), SQL_NTS, nullptr, 0))) {
    return columns;
  }
  constexpr SQLUSMALLINT kColumnNameColumn = 4;
  // Jet names are at most 64 characters; a longer one is cut and then matches nothing.
  std::vector<char> name(256);
  while (SQL_SUCCEEDED(SQLFetch(handle))) {
    SQLLEN length = 0;
    if (SQL_SUCCEEDED(SQLGetData(handle, kColumnNameColumn, SQL_C_CHAR, name.data(),
                                 static_cast<SQLLEN>(name.size()), &length)) &&
        length >= 0) {
      columns.emplace_back(name.data());
    }
  }
  return columns;
}

// Where the driver names no base columns, a result column may be an expression or come from
// another table; writing it into the key's table would change the wrong field.
void RequireColumnsOfTable(SQLHDBC connection, const std::string& table,
                           const std::vector<ColumnOrigin>& origins) {
  const auto columns = ColumnsOfTable(connection, table);
  if (columns.empty()) {
    return;
  }
  for (const ColumnOrigin& origin : origins) {
    if (std::ranges::none_of(columns, [&origin](const std::string& column) {
          return EqualsIgnoringCase(column, origin.column);
        })) {
      RefuseUpdate("het veld " + origin.column + " staat niet in de tabel " + table);
    }
  }
}

void RequireComparableKey(const std::vector<ColumnOrigin>& origins, const ports::RowKey& key) {
  for (const std::string& name : key.columns) {
    const auto found = std::ranges::find_if(origins, [&name](const ColumnOrigin& origin) {
      return EqualsIgnoringCase(origin.column, name);
    });
    if (found == origins.end() || !found->comparable) {
      RefuseUpdate("het veld " + name + " kan de rij niet aanwijzen");
    }
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
  const SQLSMALLINT sqlType =
      column.sqlType == SQL_UNKNOWN_TYPE ? static_cast<SQLSMALLINT>(SQL_VARCHAR) : column.sqlType;
  return {text, sqlType, std::max<SQLULEN>(column.size, text.size()), column.decimalDigits};
}

struct RowCondition {
  std::string sql;
  std::vector<TextParameter> parameters;
  bool everyColumnCompared = true;
};

RowCondition ConditionFor(const std::vector<ColumnOrigin>& origins,
                          const std::vector<ports::FieldValue>& values) {
  RowCondition condition;
  for (std::size_t index = 0; index < origins.size(); ++index) {
    if (!origins[index].comparable) {
      condition.everyColumnCompared = false;
      continue;
    }
    condition.sql += (condition.sql.empty() ? "" : " AND ") + Bracketed(origins[index].column);
    if (values[index]) {
      condition.sql += " = ?";
      condition.parameters.push_back(ParameterFor(origins[index].description, *values[index]));
    } else {
      condition.sql += " IS NULL";
    }
  }
  return condition;
}

[[noreturn]] void ReportRowGone() {
  throw Failure(failure_codes::kRowNotFound,
                "De rij kan niet worden bijgewerkt: ze is gewijzigd of verwijderd sinds ze werd "
                "gelezen");
}

}  // namespace

void WriteFieldBack(SQLHDBC connection, SQLHSTMT result, const RowToUpdate& row,
                    const std::string& value) {
  const std::vector<ColumnOrigin> origins = OriginsOf(result, row.values.size());
  const std::string tableName = TableOf(origins, row.key);
  RequireColumnsOfTable(connection, tableName, origins);
  RequireComparableKey(origins, row.key);
  const std::string table = Bracketed(tableName);
  const RowCondition condition = ConditionFor(origins, row.values);
  if (condition.sql.empty()) {
    RefuseUpdate("geen veld kan de rij aanwijzen");
  }

  if (!condition.everyColumnCompared) {
    const auto alike =
        CountPrepared(connection, "SELECT COUNT(*) FROM " + table + " WHERE " + condition.sql,
                      condition.parameters);
    if (alike == 0) {
      ReportRowGone();
    }
    if (alike > 1) {
      RefuseUpdate(std::to_string(alike) +
                   " rijen zijn gelijk in alle velden die vergeleken kunnen worden");
    }
  }
  std::vector<TextParameter> parameters{ParameterFor(origins[row.column].description, value)};
  parameters.insert(parameters.end(), condition.parameters.begin(), condition.parameters.end());
  const std::string sql = "UPDATE " + table + " SET " + Bracketed(origins[row.column].column) +
                          " = ? WHERE " + condition.sql;
  if (ExecutePrepared(connection, sql, parameters) == 0) {
    ReportRowGone();
  }
}

}  // namespace brivanto::odbc
