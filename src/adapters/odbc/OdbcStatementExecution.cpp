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

namespace {

// The driver reads the lengths at execution time, so they live with the statement.
struct PreparedStatement {
  StatementHandle statement;
  std::vector<SQLLEN> lengths;
};

PreparedStatement Prepare(SQLHDBC connection, const std::string& sql,
                          const std::vector<TextParameter>& parameters) {
  PreparedStatement prepared{StatementHandle::Allocate(SQL_HANDLE_DBC, connection),
                             std::vector<SQLLEN>(parameters.size())};
  const SQLHSTMT handle = prepared.statement.Get();
  Check(SQLPrepare(handle, AsSqlText(sql), SQL_NTS), SQL_HANDLE_STMT, handle, "SQLPrepare");
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    Bind(handle, static_cast<SQLUSMALLINT>(i + 1), parameters[i], prepared.lengths[i]);
  }
  return prepared;
}

}  // namespace

std::int32_t ExecutePrepared(SQLHDBC connection, const std::string& sql,
                             const std::vector<TextParameter>& parameters) {
  const auto prepared = Prepare(connection, sql, parameters);
  const SQLHSTMT handle = prepared.statement.Get();
  CheckExecution(SQLExecute(handle), handle, "SQLExecute");
  return AffectedRows(handle);
}

std::int64_t CountPrepared(SQLHDBC connection, const std::string& sql,
                           const std::vector<TextParameter>& parameters) {
  const auto prepared = Prepare(connection, sql, parameters);
  const SQLHSTMT handle = prepared.statement.Get();
  Check(SQLExecute(handle), SQL_HANDLE_STMT, handle, "SQLExecute");
  Check(SQLFetch(handle), SQL_HANDLE_STMT, handle, "SQLFetch");
  SQLBIGINT count = 0;
  SQLLEN indicator = 0;
  Check(SQLGetData(handle, 1, SQL_C_SBIGINT, &count, sizeof count, &indicator), SQL_HANDLE_STMT,
        handle, "SQLGetData");
  return indicator == SQL_NULL_DATA ? 0 : static_cast<std::int64_t>(count);
}

}  // namespace brivanto::odbc
