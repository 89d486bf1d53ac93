#include "Parameters.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "CodePage.h"
#include "PendingDiagnostics.h"
#include "SqliteDriver.h"

namespace brivanto::standin {
namespace {

bool IsSentAtExecution(SQLLEN length) {
  return length == SQL_DATA_AT_EXEC || length <= SQL_LEN_DATA_AT_EXEC_OFFSET;
}

// The application's bytes, or nothing when they are not plain data to convert.
std::optional<std::string> ApplicationBytes(const CharacterParameter& parameter) {
  const SQLLEN length = parameter.indicator != nullptr ? *parameter.indicator : SQL_NTS;
  if (parameter.value == nullptr || length == SQL_NULL_DATA || IsSentAtExecution(length)) {
    return std::nullopt;
  }
  const auto* bytes = static_cast<const char*>(parameter.value);
  if (length != SQL_NTS) {
    return length >= 0 ? std::optional<std::string>(std::string(bytes, static_cast<size_t>(length)))
                       : std::nullopt;
  }
  return parameter.size > 0
             ? std::string(bytes, strnlen(bytes, static_cast<size_t>(parameter.size)))
             : std::string(bytes);
}

bool SingleParameterSet(SQLHSTMT statement) {
  SQLULEN sets = 1;
  const SQLRETURN rc = Call(CurrentDriver().SQLGetStmtAttr, statement, SQL_ATTR_PARAMSET_SIZE,
                            &sets, SQLINTEGER{sizeof sets}, nullptr);
  return !SQL_SUCCEEDED(rc) || sets == 1;
}

SQLRETURN BindInDriver(SQLHSTMT statement, SQLUSMALLINT number, const CharacterParameter& bound,
                       SQLPOINTER value, SQLLEN size, SQLLEN* indicator) {
  const SQLRETURN rc = Call(CurrentDriver().SQLBindParameter, statement, number,
                            SQLSMALLINT{SQL_PARAM_INPUT}, SQLSMALLINT{SQL_C_CHAR}, bound.sql_type,
                            bound.column_size, bound.digits, value, size, indicator);
  return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement, rc, "SQLBindParameter");
}

SQLRETURN BindConverted(SQLHSTMT statement, StatementState& state, SQLUSMALLINT number,
                        const CharacterParameter& bound) {
  const std::optional<std::string> bytes = ApplicationBytes(bound);
  if (!bytes) {
    return BindInDriver(statement, number, bound, bound.value, bound.size, bound.indicator);
  }
  ConvertedParameter& converted = state.converted_parameters[number];
  converted.text = FromApplication(*bytes);
  converted.length = static_cast<SQLLEN>(converted.text.size());
  CharacterParameter widened = bound;
  widened.column_size = std::max<SQLULEN>(bound.column_size, converted.text.size());
  return BindInDriver(statement, number, widened, converted.text.data(), converted.length + 1,
                      &converted.length);
}

}  // namespace

SQLRETURN BindParameter(SQLHSTMT statement, StatementState& state, SQLUSMALLINT number,
                        SQLSMALLINT direction, SQLSMALLINT c_type, SQLSMALLINT sql_type,
                        SQLULEN column_size, SQLSMALLINT digits, SQLPOINTER value, SQLLEN size,
                        SQLLEN* indicator) {
  const SQLRETURN rc = Call(CurrentDriver().SQLBindParameter, statement, number, direction, c_type,
                            sql_type, column_size, digits, value, size, indicator);
  if (!SQL_SUCCEEDED(rc)) {
    return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement, rc, "SQLBindParameter");
  }
  state.converted_parameters.erase(number);
  if (direction == SQL_PARAM_INPUT && c_type == SQL_C_CHAR) {
    state.character_parameters[number] =
        CharacterParameter{sql_type, column_size, digits, value, size, indicator};
  } else {
    state.character_parameters.erase(number);
  }
  return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement, rc, "SQLBindParameter");
}

SQLRETURN ConvertParameters(SQLHSTMT statement, StatementState& state) {
  const bool single = SingleParameterSet(statement);
  for (const auto& [number, bound] : state.character_parameters) {
    const SQLRETURN rc =
        single ? BindConverted(statement, state, number, bound)
               : BindInDriver(statement, number, bound, bound.value, bound.size, bound.indicator);
    if (!SQL_SUCCEEDED(rc)) {
      return rc;
    }
  }
  return SQL_SUCCESS;
}

}  // namespace brivanto::standin
