#include "OdbcStatementExecution.h"

#include <algorithm>
#include <limits>

#include "OdbcDiagnostics.h"
#include "OdbcHandle.h"

namespace brivanto::odbc {
namespace {

// Jet keeps texts up to 255 characters in TEXT columns; anything longer has to travel as a
// long text or the driver rejects it.
constexpr std::size_t kLongestShortText = 255;

void Bind(SQLHSTMT statement, SQLUSMALLINT number, const TextParameter& parameter, SQLLEN& length) {
  length = static_cast<SQLLEN>(parameter.text.size());
  // A column size of 0 is invalid for character types, even for an empty text.
  const SQLULEN columnSize = std::max<SQLULEN>(parameter.columnSize, 1);
  Check(SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_CHAR, parameter.sqlType,
                         columnSize, parameter.decimalDigits,
                         const_cast<char*>(parameter.text.data()), length, &length),
        SQL_HANDLE_STMT, statement, "SQLBindParameter");
}

}  // namespace

TextParameter TextColumnParameter(std::string_view text) {
  const SQLSMALLINT sqlType = text.size() > kLongestShortText ? SQL_LONGVARCHAR : SQL_VARCHAR;
  return {text, sqlType, text.size(), 0};
}

void CheckExecution(SQLRETURN result, SQLHSTMT statement, std::string_view function) {
  if (result != SQL_NO_DATA) {
    Check(result, SQL_HANDLE_STMT, statement, function);
  }
}

std::int32_t AffectedRows(SQLHSTMT statement) {
  SQLLEN rows = 0;
  Check(SQLRowCount(statement, &rows), SQL_HANDLE_STMT, statement, "SQLRowCount");
  return static_cast<std::int32_t>(
      std::clamp<SQLLEN>(rows, -1, std::numeric_limits<std::int32_t>::max()));
}

std::int32_t ExecutePrepared(SQLHDBC connection, const std::string& sql,
                             const std::vector<TextParameter>& parameters) {
  const auto statement = StatementHandle::Allocate(SQL_HANDLE_DBC, connection);
  const SQLHSTMT handle = statement.Get();
  Check(SQLPrepare(handle, AsSqlText(sql), SQL_NTS), SQL_HANDLE_STMT, handle, "SQLPrepare");
  // The driver reads the lengths at execution time, so they must stay put until then.
  std::vector<SQLLEN> lengths(parameters.size());
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    Bind(handle, static_cast<SQLUSMALLINT>(i + 1), parameters[i], lengths[i]);
  }
  CheckExecution(SQLExecute(handle), handle, "SQLExecute");
  return AffectedRows(handle);
}

}  // namespace brivanto::odbc
