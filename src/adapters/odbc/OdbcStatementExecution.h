#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "OdbcApi.h"

namespace brivanto::odbc {

// A value for one `?` marker, handed over as text; the driver converts it to `sqlType`.
struct TextParameter {
  std::string_view text;
  SQLSMALLINT sqlType = SQL_VARCHAR;
  SQLULEN columnSize = 0;
  SQLSMALLINT decimalDigits = 0;
};

// A parameter for a text column, long or short as its length requires.
TextParameter TextColumnParameter(std::string_view text);

// A searched UPDATE or DELETE that matches no row answers SQL_NO_DATA, which is no failure.
void CheckExecution(SQLRETURN result, SQLHSTMT statement, std::string_view function);

// SQLRowCount, limited to the range of a record count.
std::int32_t AffectedRows(SQLHSTMT statement);

// Prepares `sql` on a statement of its own, binds `parameters` in order and runs it. Returns the
// number of rows it changed.
std::int32_t ExecutePrepared(SQLHDBC connection, const std::string& sql,
                             const std::vector<TextParameter>& parameters);

// Prepares a SELECT COUNT(*) `sql` the same way and returns its count.
std::int64_t CountPrepared(SQLHDBC connection, const std::string& sql,
                           const std::vector<TextParameter>& parameters);

}  // namespace brivanto::odbc
