#pragma once

#include <optional>
#include <string>

#include "OdbcApi.h"

namespace brivanto::odbc {

struct ColumnDescription {
  std::string name;
  SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE;
  SQLULEN size = 0;
  SQLSMALLINT decimalDigits = 0;
};

// Columns are numbered from 1, as in ODBC.
ColumnDescription DescribeColumn(SQLHSTMT statement, SQLUSMALLINT column);

// A numeric column attribute such as SQL_DESC_DISPLAY_SIZE; nothing when the driver has none.
std::optional<SQLLEN> ColumnNumberAttribute(SQLHSTMT statement, SQLUSMALLINT column,
                                            SQLUSMALLINT field);

// A text-valued column attribute such as SQL_DESC_BASE_TABLE_NAME.
std::string ColumnTextAttribute(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT field);

}  // namespace brivanto::odbc
