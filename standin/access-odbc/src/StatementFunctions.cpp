// The exported statement functions in which the stand-in behaves as the Access driver does
// rather than as the SQLite driver behind it.
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "BoundColumns.h"
#include "CharacterData.h"
#include "CodePage.h"
#include "Columns.h"
#include "Cursors.h"
#include "DriverCalls.h"
#include "JetConnection.h"
#include "MemoComparison.h"
#include "Messages.h"
#include "Parameters.h"
#include "PendingDiagnostics.h"
#include "Routes.h"
#include "SqliteDriver.h"
#include "Statements.h"

namespace brivanto::standin {
namespace {

// Clears the statement's diagnostics, as every call on it must, and runs `body` on its state.
template <typename Body>
SQLRETURN OnStatement(SQLHSTMT statement, Body&& body) {
  GetPendingDiagnostics().Clear(statement);
  StatementState* const state = GetStatements().Find(statement);
  if (state == nullptr) {
    return SQL_INVALID_HANDLE;  // not a statement the stand-in handed out
  }
  const DriverScope scope(state->driver);
  try {
    return body(*state);
  } catch (const std::bad_alloc&) {
    return FailOutOfMemory(statement);
  } catch (const std::exception& error) {
    return Fail(statement, {Diagnostic{"HY000", 0, std::string(kMessagePrefix) + error.what()}});
  }
}

// What a statement the stand-in will not hand on to its driver gets instead, executed or prepared.
std::optional<SQLRETURN> Refusal(SQLHSTMT statement, StatementState& state,
                                 const std::string& sql) {
  if (const auto refused = RefuseMemoComparison(statement, state, sql)) {
    return refused;
  }
  return RefuseJetStatement(statement, state, sql);
}

SQLRETURN ExecuteText(SQLHSTMT statement, StatementState& state, const SQLCHAR* text,
                      SQLINTEGER length) {
  state.ForgetResult();
  const std::string sql = FromApplication(TextArgument(text, length));
  if (const auto refused = Refusal(statement, state, sql)) {
    return *refused;
  }
  const SQLRETURN converted = ConvertParameters(statement, state);
  if (!SQL_SUCCEEDED(converted)) {
    return converted;
  }
  return Captured(statement,
                  Call(CurrentDriver().SQLExecDirect, statement, AsOdbcText(JetSql(state, sql)),
                       SQLINTEGER{SQL_NTS}),
                  "SQLExecDirect");
}

SQLRETURN PrepareText(SQLHSTMT statement, StatementState& state, const SQLCHAR* text,
                      SQLINTEGER length) {
  state.ForgetResult();
  const std::string sql = FromApplication(TextArgument(text, length));
  if (const auto refused = Refusal(statement, state, sql)) {
    return *refused;
  }
  return Captured(statement,
                  Call(CurrentDriver().SQLPrepare, statement, AsOdbcText(JetSql(state, sql)),
                       SQLINTEGER{SQL_NTS}),
                  "SQLPrepare");
}

SQLRETURN FreeStatement(SQLHSTMT statement, StatementState& state, SQLUSMALLINT option) {
  const SQLRETURN rc = Call(CurrentDriver().SQLFreeStmt, statement, option);
  if (option == SQL_DROP && SQL_SUCCEEDED(rc)) {
    GetStatements().Remove(statement);
    return rc;
  }
  if (option == SQL_CLOSE) {
    state.ForgetResult();
  } else if (option == SQL_UNBIND && SQL_SUCCEEDED(rc)) {
    ForgetBindings(state);
  } else if (option == SQL_RESET_PARAMS) {
    state.character_parameters.clear();
    state.converted_parameters.clear();
  }
  return Captured(statement, rc, "SQLFreeStmt");
}

// "SQLSetStmtOption (Desktop Database Drivers)": after a statement that produced a result set
// the Access driver cannot tell how many rows it has, and says -1.
SQLRETURN CountRows(SQLHSTMT statement, SQLLEN* count) {
  SQLSMALLINT columns = 0;
  if (SQL_SUCCEEDED(Call(CurrentDriver().SQLNumResultCols, statement, &columns)) && columns > 0) {
    if (count != nullptr) {
      *count = -1;
    }
    return SQL_SUCCESS;
  }
  return Captured(statement, Call(CurrentDriver().SQLRowCount, statement, count), "SQLRowCount");
}

SQLRETURN SetAttribute(SQLHSTMT statement, StatementState& state, SQLINTEGER attribute,
                       SQLPOINTER value, SQLINTEGER length) {
  const auto number = reinterpret_cast<SQLULEN>(value);
  if (const auto request = CursorRequestFor(state.cursor, attribute, number)) {
    return RequestCursor(statement, state, *request);
  }
  return Captured(statement,
                  Call(CurrentDriver().SQLSetStmtAttr, statement, attribute, value, length),
                  "SQLSetStmtAttr");
}

SQLRETURN GetAttribute(SQLHSTMT statement, const StatementState& state, SQLINTEGER attribute,
                       SQLPOINTER value, SQLINTEGER size, SQLINTEGER* length) {
  if (const DescriptorTag* tag = state.Descriptor(attribute)) {
    if (value != nullptr) {
      *static_cast<SQLHDESC*>(value) = HandleOf(*tag);
    }
    if (length != nullptr) {
      *length = sizeof(SQLHDESC);
    }
    return SQL_SUCCESS;
  }
  if (const auto granted = GrantedCursorValue(state.cursor, attribute)) {
    if (value != nullptr) {
      *static_cast<SQLULEN*>(value) = *granted;
    }
    if (length != nullptr) {
      *length = sizeof(SQLULEN);
    }
    return SQL_SUCCESS;
  }
  return Captured(statement,
                  Call(CurrentDriver().SQLGetStmtAttr, statement, attribute, value, size, length),
                  "SQLGetStmtAttr");
}

// Not through the exported SQLBindParameter: within the process that name is the driver
// manager's.
SQLRETURN Bind(SQLHSTMT statement, SQLUSMALLINT number, SQLSMALLINT direction, SQLSMALLINT c_type,
               SQLSMALLINT sql_type, SQLULEN column_size, SQLSMALLINT digits, SQLPOINTER value,
               SQLLEN size, SQLLEN* indicator) {
  return OnStatement(statement, [&](StatementState& state) {
    return BindParameter(statement, state, number, direction, c_type, sql_type, column_size, digits,
                         value, size, indicator);
  });
}

// SQLColAttribute and its ODBC 2 form, SQLColAttributes, differ only in the SQLite driver's
// function that answers.
SQLRETURN StatementColumnAttribute(AttributeCall call, SQLHSTMT statement, SQLUSMALLINT column,
                                   SQLUSMALLINT field, SQLPOINTER text, SQLSMALLINT size,
                                   SQLSMALLINT* length, SQLLEN* number) {
  return OnStatement(statement, [&](StatementState& state) {
    return ColumnAttribute(call, statement, state, statement, column, field, text, size, length,
                           number);
  });
}

}  // namespace
}  // namespace brivanto::standin

using brivanto::standin::Call;
using brivanto::standin::CurrentDriver;
using brivanto::standin::StatementState;

extern "C" SQLRETURN SQL_API SQLAllocStmt(SQLHDBC connection, SQLHSTMT* statement) {
  using namespace brivanto::standin;
  GetPendingDiagnostics().Clear(connection);
  const DriverFunctions* driver = GetRoutes().DriverOf(connection);
  const DriverScope scope(driver);
  const SQLHDBC served = GetRoutes().DriverHandle(connection);
  const SQLRETURN rc = Call(CurrentDriver().SQLAllocStmt, served, statement);
  if (SQL_SUCCEEDED(rc)) {
    GetStatements().Add(*statement, connection, driver);
  }
  return CaptureDriverRecords(SQL_HANDLE_DBC, served, connection, rc, "SQLAllocStmt");
}

extern "C" SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT statement, SQLUSMALLINT option) {
  return brivanto::standin::OnStatement(statement, [&](StatementState& state) {
    return brivanto::standin::FreeStatement(statement, state, option);
  });
}

extern "C" SQLRETURN SQL_API SQLExecDirect(SQLHSTMT statement, SQLCHAR* text, SQLINTEGER length) {
  return brivanto::standin::OnStatement(statement, [&](StatementState& state) {
    return brivanto::standin::ExecuteText(statement, state, text, length);
  });
}

extern "C" SQLRETURN SQL_API SQLPrepare(SQLHSTMT statement, SQLCHAR* text, SQLINTEGER length) {
  return brivanto::standin::OnStatement(statement, [&](StatementState& state) {
    return brivanto::standin::PrepareText(statement, state, text, length);
  });
}

extern "C" SQLRETURN SQL_API SQLExecute(SQLHSTMT statement) {
  return brivanto::standin::OnStatement(statement, [&](StatementState& state) {
    state.ForgetResult();
    const SQLRETURN converted = brivanto::standin::ConvertParameters(statement, state);
    if (!SQL_SUCCEEDED(converted)) {
      return converted;
    }
    return brivanto::standin::Captured(statement, Call(CurrentDriver().SQLExecute, statement),
                                       "SQLExecute");
  });
}

extern "C" SQLRETURN SQL_API SQLBindParameter(SQLHSTMT statement, SQLUSMALLINT number,
                                              SQLSMALLINT direction, SQLSMALLINT c_type,
                                              SQLSMALLINT sql_type, SQLULEN column_size,
                                              SQLSMALLINT digits, SQLPOINTER value, SQLLEN size,
                                              SQLLEN* indicator) {
  return brivanto::standin::Bind(statement, number, direction, c_type, sql_type, column_size,
                                 digits, value, size, indicator);
}

// ODBC 1 and X/Open binding: input parameters, which the SQLite driver binds as SQLBindParameter
// does with these buffer lengths.
extern "C" SQLRETURN SQL_API SQLBindParam(SQLHSTMT statement, SQLUSMALLINT number,
                                          SQLSMALLINT c_type, SQLSMALLINT sql_type,
                                          SQLULEN column_size, SQLSMALLINT digits, SQLPOINTER value,
                                          SQLLEN* indicator) {
  return brivanto::standin::Bind(statement, number, SQL_PARAM_INPUT, c_type, sql_type, column_size,
                                 digits, value, 0, indicator);
}

extern "C" SQLRETURN SQL_API SQLSetParam(SQLHSTMT statement, SQLUSMALLINT number,
                                         SQLSMALLINT c_type, SQLSMALLINT sql_type,
                                         SQLULEN column_size, SQLSMALLINT digits, SQLPOINTER value,
                                         SQLLEN* indicator) {
  return brivanto::standin::Bind(statement, number, SQL_PARAM_INPUT, c_type, sql_type, column_size,
                                 digits, value, SQL_SETPARAM_VALUE_MAX, indicator);
}

extern "C" SQLRETURN SQL_API SQLGetData(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT type,
                                        SQLPOINTER value, SQLLEN size, SQLLEN* indicator) {
  return brivanto::standin::OnStatement(statement, [&](StatementState& state) {
    if (type == SQL_C_CHAR) {
      return brivanto::standin::GetCharacterData(statement, state, column, value, size, indicator);
    }
    state.ForgetValue();
    if (state.rowset) {
      return brivanto::standin::RefuseOptionalFeature(statement);  // see GetCharacterData
    }
    return brivanto::standin::Captured(
        statement,
        Call(CurrentDriver().SQLGetData, statement, column, type, value, size, indicator),
        "SQLGetData");
  });
}

extern "C" SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT statement, SQLUSMALLINT column, SQLCHAR* name,
                                            SQLSMALLINT size, SQLSMALLINT* length,
                                            SQLSMALLINT* type, SQLULEN* column_size,
                                            SQLSMALLINT* digits, SQLSMALLINT* nullable) {
  return brivanto::standin::OnStatement(statement, [&](StatementState& state) {
    return brivanto::standin::DescribeColumn(statement, state, column, name, size, length, type,
                                             column_size, digits, nullable);
  });
}

extern "C" SQLRETURN SQL_API SQLColAttribute(SQLHSTMT statement, SQLUSMALLINT column,
                                             SQLUSMALLINT field, SQLPOINTER text, SQLSMALLINT size,
                                             SQLSMALLINT* length, SQLLEN* number) {
  return brivanto::standin::StatementColumnAttribute(
      brivanto::standin::AttributeCall::kColAttribute, statement, column, field, text, size, length,
      number);
}

extern "C" SQLRETURN SQL_API SQLColAttributes(SQLHSTMT statement, SQLUSMALLINT column,
                                              SQLUSMALLINT field, SQLPOINTER text, SQLSMALLINT size,
                                              SQLSMALLINT* length, SQLLEN* number) {
  return brivanto::standin::StatementColumnAttribute(
      brivanto::standin::AttributeCall::kColAttributes, statement, column, field, text, size,
      length, number);
}

extern "C" SQLRETURN SQL_API SQLGetDescField(SQLHDESC descriptor, SQLSMALLINT record,
                                             SQLSMALLINT field, SQLPOINTER value, SQLINTEGER size,
                                             SQLINTEGER* length) {
  using namespace brivanto::standin;
  const FoundDescriptor found = GetStatements().FindDescriptor(descriptor);
  const DriverScope scope(found.state ? found.state->driver : nullptr);
  if (found.tag != nullptr) {
    try {
      return DescriptorField(found, record, field, value, size, length);
    } catch (const std::exception&) {
      return SQL_ERROR;  // out of memory: nothing left to write a record with
    }
  }
  GetPendingDiagnostics().Clear(descriptor);
  return CaptureDriverRecords(
      SQL_HANDLE_DESC, descriptor, descriptor,
      Call(CurrentDriver().SQLGetDescField, descriptor, record, field, value, size, length),
      "SQLGetDescField");
}

extern "C" SQLRETURN SQL_API SQLRowCount(SQLHSTMT statement, SQLLEN* count) {
  return brivanto::standin::OnStatement(
      statement, [&](StatementState&) { return brivanto::standin::CountRows(statement, count); });
}

extern "C" SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT statement, SQLINTEGER attribute,
                                            SQLPOINTER value, SQLINTEGER length) {
  return brivanto::standin::OnStatement(statement, [&](StatementState& state) {
    return brivanto::standin::SetAttribute(statement, state, attribute, value, length);
  });
}

extern "C" SQLRETURN SQL_API SQLSetStmtOption(SQLHSTMT statement, SQLUSMALLINT option,
                                              SQLULEN value) {
  return brivanto::standin::OnStatement(statement, [&](StatementState& state) {
    if (const auto request = brivanto::standin::CursorRequestFor(state.cursor, option, value)) {
      return brivanto::standin::RequestCursor(statement, state, *request);
    }
    return brivanto::standin::Captured(
        statement, Call(CurrentDriver().SQLSetStmtOption, statement, option, value),
        "SQLSetStmtOption");
  });
}

extern "C" SQLRETURN SQL_API SQLSetScrollOptions(SQLHSTMT statement, SQLUSMALLINT concurrency,
                                                 SQLLEN keyset, SQLUSMALLINT rowset) {
  return brivanto::standin::OnStatement(statement, [&](StatementState& state) {
    return brivanto::standin::SetScrollOptions(statement, state, concurrency, keyset, rowset);
  });
}

extern "C" SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT statement, SQLINTEGER attribute,
                                            SQLPOINTER value, SQLINTEGER size, SQLINTEGER* length) {
  return brivanto::standin::OnStatement(statement, [&](StatementState& state) {
    return brivanto::standin::GetAttribute(statement, state, attribute, value, size, length);
  });
}

// ODBC 2 reads these options as 32-bit values, as the SQLite driver writes them.
extern "C" SQLRETURN SQL_API SQLGetStmtOption(SQLHSTMT statement, SQLUSMALLINT option,
                                              SQLPOINTER value) {
  return brivanto::standin::OnStatement(statement, [&](StatementState& state) {
    if (const auto granted = brivanto::standin::GrantedCursorValue(state.cursor, option)) {
      if (value != nullptr) {
        *static_cast<SQLUINTEGER*>(value) = static_cast<SQLUINTEGER>(*granted);
      }
      return SQLRETURN{SQL_SUCCESS};
    }
    return brivanto::standin::Captured(
        statement, Call(CurrentDriver().SQLGetStmtOption, statement, option, value),
        "SQLGetStmtOption");
  });
}
