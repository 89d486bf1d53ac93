// The exported ODBC entry points that pass through to the SQLite driver, and those for
// connections and diagnostics. Handles are the SQLite driver's own, passed through unchanged,
// except the descriptors SQLGetStmtAttr hands out (see Statements.h). The stand-in answers every
// diagnostic call itself, from the records it copied (PendingDiagnostics.h).
#include <new>
#include <string>

#include "BoundColumns.h"
#include "CodePage.h"
#include "Connect.h"
#include "DriverCalls.h"
#include "JetConnection.h"
#include "Messages.h"
#include "PendingDiagnostics.h"
#include "Routes.h"
#include "SqliteDriver.h"
#include "Statements.h"

namespace brivanto::standin {
namespace {

// Around each forwarded call, by the kind of handle it takes first (OdbcFunctions.h). The
// function is named by member, as which driver serves the handle is known only inside.
template <typename Function>
using Member = Function DriverFunctions::*;

template <typename Function, typename... Rest>
SQLRETURN OnEnvironment(const char*, Member<Function> function, Rest... arguments) {
  return Call(GetSqliteDriver().*function, arguments...);
}

template <typename Function, typename... Rest>
SQLRETURN OnConnection(const char* name, Member<Function> function, SQLHDBC connection,
                       Rest... rest) {
  GetPendingDiagnostics().Clear(connection);
  const DriverScope scope(GetRoutes().DriverOf(connection));
  const SQLHDBC served = GetRoutes().DriverHandle(connection);
  return CaptureDriverRecords(SQL_HANDLE_DBC, served, connection,
                              Call(CurrentDriver().*function, served, rest...), name);
}

template <typename Function, typename... Rest>
SQLRETURN OnStatement(const char* name, Member<Function> function, SQLHSTMT statement,
                      Rest... rest) {
  GetPendingDiagnostics().Clear(statement);
  const auto state = GetStatements().Find(statement);
  const DriverScope scope(state ? state->driver : nullptr);
  return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement,
                              Call(CurrentDriver().*function, statement, rest...), name);
}

// One look-up of the statement, not two: this runs once per row.
template <typename Function, typename... Rest>
SQLRETURN OnFetch(const char* name, Member<Function> function, SQLHSTMT statement, Rest... rest) {
  GetPendingDiagnostics().Clear(statement);
  const auto state = GetStatements().Find(statement);
  if (state) {
    state->ForgetValue();
    state->ForgetBoundValues();
  }
  const DriverScope scope(state ? state->driver : nullptr);
  return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement,
                              Call(CurrentDriver().*function, statement, rest...), name);
}

// Whether a fetch moves to the next rowset: SQLFetch always, SQLFetchScroll by its orientation.
bool FetchesNext() {
  return true;
}
bool FetchesNext(SQLSMALLINT orientation, SQLLEN /*offset*/) {
  return orientation == SQL_FETCH_NEXT;
}
template <typename... Rest>
bool FetchesNext(Rest... /*extended_fetch_arguments*/) {
  return false;
}

// The statement's character bindings are filled by the stand-in (BoundColumns.h).
template <SQLINTEGER RowsetAttribute, typename Function, typename... Rest>
SQLRETURN FetchRows(const char* name, Member<Function> function, SQLHSTMT statement, Rest... rest) {
  GetPendingDiagnostics().Clear(statement);
  StatementState* const state = GetStatements().Find(statement);
  if (state) {
    state->ForgetValue();
    state->ForgetBoundValues();
  }
  const DriverScope scope(state ? state->driver : nullptr);
  const auto fetch = [&] {
    return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement,
                                Call(CurrentDriver().*function, statement, rest...), name);
  };
  if (state == nullptr || state->character_bindings.empty()) {
    return fetch();
  }
  try {
    return FetchIntoBindings(statement, *state, RowsetAttribute, FetchesNext(rest...), fetch);
  } catch (const std::bad_alloc&) {
    return FailOutOfMemory(statement);
  }
}

template <typename Function, typename... Rest>
SQLRETURN OnRowFetch(const char* name, Member<Function> function, SQLHSTMT statement,
                     Rest... rest) {
  return FetchRows<SQL_ATTR_ROW_ARRAY_SIZE>(name, function, statement, rest...);
}

template <typename Function, typename... Rest>
SQLRETURN OnExtendedFetch(const char* name, Member<Function> function, SQLHSTMT statement,
                          Rest... rest) {
  return FetchRows<SQL_ROWSET_SIZE>(name, function, statement, rest...);
}

template <typename Function>
SQLRETURN OnSetPos(const char* name, Member<Function> function, SQLHSTMT statement,
                   SQLSETPOSIROW row, SQLUSMALLINT operation, SQLUSMALLINT lock) {
  if (StatementState* const state = GetStatements().Find(statement)) {
    GetPendingDiagnostics().Clear(statement);
    if (const auto positioned = SetPositionInRowset(statement, *state, row, operation)) {
      return *positioned;
    }
  }
  return OnFetch(name, function, statement, row, operation, lock);
}

template <typename Function>
SQLRETURN OnBind(const char* name, Member<Function> function, SQLHSTMT statement,
                 SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER value, SQLLEN size,
                 SQLLEN* indicator) {
  StatementState* const state = GetStatements().Find(statement);
  if (state == nullptr) {
    return OnStatement(name, function, statement, column, type, value, size, indicator);
  }
  GetPendingDiagnostics().Clear(statement);
  const DriverScope scope(state->driver);
  try {
    return BindColumn(statement, *state, column, type, value, size, indicator);
  } catch (const std::bad_alloc&) {
    return FailOutOfMemory(statement);
  }
}

template <typename Function, typename... Rest>
SQLRETURN OnCursor(const char* name, Member<Function> function, SQLHSTMT statement, Rest... rest) {
  if (const auto state = GetStatements().Find(statement)) {
    state->ForgetResult();
  }
  return OnStatement(name, function, statement, rest...);
}

// The SQLite driver only knows its own descriptor handles. These functions are not offered to the
// driver manager (SQLGetFunctions), as the SQLite driver does not implement them.
template <typename Function, typename... Rest>
SQLRETURN OnDescriptor(const char* name, Member<Function> function, SQLHDESC descriptor,
                       Rest... rest) {
  const FoundDescriptor found = GetStatements().FindDescriptor(descriptor);
  const SQLHDESC driver_descriptor = found.tag != nullptr ? found.tag->driver_handle : descriptor;
  const DriverScope scope(found.state ? found.state->driver : nullptr);
  GetPendingDiagnostics().Clear(descriptor);
  return CaptureDriverRecords(SQL_HANDLE_DESC, driver_descriptor, descriptor,
                              Call(CurrentDriver().*function, driver_descriptor, rest...), name);
}

SQLRETURN ReturnConnectionText(SQLHDBC connection, const std::string& text, SQLCHAR* out,
                               SQLSMALLINT out_size, SQLSMALLINT* out_length, SQLRETURN rc) {
  if (out_length != nullptr) {
    *out_length = static_cast<SQLSMALLINT>(text.size());
  }
  if (out == nullptr || CopyToBuffer(text, out, out_size)) {
    return rc;
  }
  return Warn(
      connection,
      Diagnostic{"01004", 0, std::string(kMessagePrefix) + "String data, right truncated."});
}

// The functions the stand-in answers itself, whatever the SQLite driver says of them: the
// diagnostics (offering SQLGetDiagRec makes unixODBC read the records in order instead of through
// SQLError, which it sorts by SQLSTATE), the implementation row descriptor, and scroll options.
bool AnsweredByStandIn(SQLUSMALLINT id) {
  return id == SQL_API_SQLGETDIAGREC || id == SQL_API_SQLGETDIAGFIELD || id == SQL_API_SQLERROR ||
         id == SQL_API_SQLGETDESCFIELD || id == SQL_API_SQLSETSCROLLOPTIONS;
}

bool Offered(const DriverFunctions& driver, SQLUSMALLINT id, bool sqlite_offers) {
  return AnsweredByStandIn(id) || (sqlite_offers && driver.Provides(id));
}

constexpr SQLUSMALLINT kBitsPerWord = 16;
// SQL_API_ALL_FUNCTIONS answers in an array of this many flags, one per ODBC 2 function id.
constexpr SQLUSMALLINT kOdbc2FunctionCount = 100;

void MaskFunctionBitmap(const DriverFunctions& driver, SQLUSMALLINT* bitmap) {
  for (SQLUSMALLINT id = 0; id < SQL_API_ODBC3_ALL_FUNCTIONS_SIZE * kBitsPerWord; ++id) {
    const auto bit = static_cast<SQLUSMALLINT>(1U << (id % kBitsPerWord));
    if (Offered(driver, id, SQL_FUNC_EXISTS(bitmap, id) == SQL_TRUE)) {
      bitmap[id / kBitsPerWord] |= bit;
    } else {
      bitmap[id / kBitsPerWord] &= static_cast<SQLUSMALLINT>(~bit);
    }
  }
}

void MaskFunctionArray(const DriverFunctions& driver, SQLUSMALLINT* supported) {
  for (SQLUSMALLINT id = 0; id < kOdbc2FunctionCount; ++id) {
    supported[id] = Offered(driver, id, supported[id] != SQL_FALSE) ? SQL_TRUE : SQL_FALSE;
  }
}

void MaskFunctions(const DriverFunctions& driver, SQLUSMALLINT function_id,
                   SQLUSMALLINT* supported) {
  if (function_id == SQL_API_ODBC3_ALL_FUNCTIONS) {
    MaskFunctionBitmap(driver, supported);
  } else if (function_id == SQL_API_ALL_FUNCTIONS) {
    MaskFunctionArray(driver, supported);
  } else {
    *supported = Offered(driver, function_id, *supported != SQL_FALSE) ? SQL_TRUE : SQL_FALSE;
  }
}

void ForgetConnection(SQLHDBC connection) {
  GetPendingDiagnostics().Clear(connection);
  GetStatements().RemoveConnection(connection);
}

SQLRETURN ConnectWithApplicationText(SQLHDBC connection, SQLCHAR* in, SQLSMALLINT in_length,
                                     SQLCHAR* out, SQLSMALLINT out_size, SQLSMALLINT* out_length) {
  const std::string text = TextArgument(in, in_length);
  const SQLRETURN rc = ConnectWithText(connection, FromApplication(text));
  if (!SQL_SUCCEEDED(rc)) {
    return rc;
  }
  // The completed text is the application's own, in its own code page.
  return ReturnConnectionText(connection, text, out, out_size, out_length, rc);
}

}  // namespace
}  // namespace brivanto::standin

using brivanto::standin::Call;
using brivanto::standin::CaptureDriverRecords;
using brivanto::standin::CurrentDriver;
using brivanto::standin::DriverFunctions;
using brivanto::standin::DriverScope;
using brivanto::standin::GetPendingDiagnostics;
using brivanto::standin::GetRoutes;
using brivanto::standin::GetStatements;

#define BRIVANTO_UNPARENTHESISE(...) __VA_ARGS__
#define BRIVANTO_DEFINE_FORWARDER(kind, name, id, params, args)                      \
  extern "C" SQLRETURN SQL_API name params {                                         \
    return brivanto::standin::kind(#name, &brivanto::standin::DriverFunctions::name, \
                                   BRIVANTO_UNPARENTHESISE args);                    \
  }
BRIVANTO_FORWARDED_FUNCTIONS(BRIVANTO_DEFINE_FORWARDER)
#undef BRIVANTO_DEFINE_FORWARDER
#undef BRIVANTO_UNPARENTHESISE

extern "C" SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
  if (type != SQL_HANDLE_STMT && type != SQL_HANDLE_DESC) {
    return Call(CurrentDriver().SQLAllocHandle, type, input, output);
  }
  GetPendingDiagnostics().Clear(input);
  const DriverFunctions* driver = GetRoutes().DriverOf(input);
  const DriverScope scope(driver);
  const SQLHANDLE served = GetRoutes().DriverHandle(input);
  const SQLRETURN rc = Call(CurrentDriver().SQLAllocHandle, type, served, output);
  if (type == SQL_HANDLE_STMT && SQL_SUCCEEDED(rc)) {
    GetStatements().Add(*output, input, driver);
  }
  return CaptureDriverRecords(SQL_HANDLE_DBC, served, input, rc, "SQLAllocHandle");
}

extern "C" SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
  if (type == SQL_HANDLE_STMT) {
    const auto state = GetStatements().Find(handle);
    const DriverScope scope(state ? state->driver : nullptr);
    const SQLRETURN rc = Call(CurrentDriver().SQLFreeHandle, type, handle);
    if (SQL_SUCCEEDED(rc)) {
      GetStatements().Remove(handle);
    }
    return rc;
  }
  if (type == SQL_HANDLE_DBC) {
    brivanto::standin::DropJetConnection(handle);
  }
  const SQLRETURN rc = Call(CurrentDriver().SQLFreeHandle, type, handle);
  if (SQL_SUCCEEDED(rc) && type == SQL_HANDLE_DBC) {
    brivanto::standin::ForgetConnection(handle);
  } else if (SQL_SUCCEEDED(rc) && type == SQL_HANDLE_DESC) {
    GetPendingDiagnostics().Clear(handle);
  }
  return rc;
}

extern "C" SQLRETURN SQL_API SQLFreeConnect(SQLHDBC connection) {
  brivanto::standin::DropJetConnection(connection);
  const SQLRETURN rc = Call(CurrentDriver().SQLFreeConnect, connection);
  if (SQL_SUCCEEDED(rc)) {
    brivanto::standin::ForgetConnection(connection);
  }
  return rc;
}

// Disconnecting frees the connection's statements in the driver.
extern "C" SQLRETURN SQL_API SQLDisconnect(SQLHDBC connection) {
  GetPendingDiagnostics().Clear(connection);
  if (GetRoutes().Find(connection)) {
    brivanto::standin::DropJetConnection(connection);
    GetStatements().RemoveConnection(connection);
    return SQL_SUCCESS;
  }
  const SQLRETURN rc = Call(CurrentDriver().SQLDisconnect, connection);
  if (SQL_SUCCEEDED(rc)) {
    GetStatements().RemoveConnection(connection);
  }
  return CaptureDriverRecords(SQL_HANDLE_DBC, connection, connection, rc, "SQLDisconnect");
}

extern "C" SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle,
                                        SQLSMALLINT completion) {
  if (type != SQL_HANDLE_DBC) {
    return Call(CurrentDriver().SQLEndTran, type, handle, completion);
  }
  GetPendingDiagnostics().Clear(handle);
  const DriverScope scope(GetRoutes().DriverOf(handle));
  const SQLHANDLE served = GetRoutes().DriverHandle(handle);
  return CaptureDriverRecords(SQL_HANDLE_DBC, served, handle,
                              Call(CurrentDriver().SQLEndTran, type, served, completion),
                              "SQLEndTran");
}

extern "C" SQLRETURN SQL_API SQLTransact(SQLHENV environment, SQLHDBC connection,
                                         SQLUSMALLINT completion) {
  if (connection == SQL_NULL_HDBC) {
    return Call(CurrentDriver().SQLTransact, environment, connection, completion);
  }
  GetPendingDiagnostics().Clear(connection);
  const DriverScope scope(GetRoutes().DriverOf(connection));
  const SQLHDBC served = GetRoutes().DriverHandle(connection);
  // The environment is the SQLite driver's; a routed connection names its own.
  const SQLHENV served_environment = served == connection ? environment : SQLHENV{SQL_NULL_HENV};
  return CaptureDriverRecords(
      SQL_HANDLE_DBC, served, connection,
      Call(CurrentDriver().SQLTransact, served_environment, served, completion), "SQLTransact");
}

extern "C" SQLRETURN SQL_API SQLDriverConnect(SQLHDBC connection, SQLHWND /*window*/, SQLCHAR* in,
                                              SQLSMALLINT in_length, SQLCHAR* out,
                                              SQLSMALLINT out_size, SQLSMALLINT* out_length,
                                              SQLUSMALLINT /*completion: nothing to prompt for*/) {
  GetPendingDiagnostics().Clear(connection);
  try {
    return brivanto::standin::ConnectWithApplicationText(connection, in, in_length, out, out_size,
                                                         out_length);
  } catch (const std::bad_alloc&) {
    return SQL_ERROR;
  }
}

extern "C" SQLRETURN SQL_API SQLConnect(SQLHDBC connection, SQLCHAR* data_source,
                                        SQLSMALLINT data_source_length, SQLCHAR* /*user*/,
                                        SQLSMALLINT /*user_length*/, SQLCHAR* /*password*/,
                                        SQLSMALLINT /*password_length*/) {
  GetPendingDiagnostics().Clear(connection);
  try {
    return brivanto::standin::ConnectToDataSource(
        connection, brivanto::standin::FromApplication(
                        brivanto::standin::TextArgument(data_source, data_source_length)));
  } catch (const std::bad_alloc&) {
    return SQL_ERROR;
  }
}

// The environment has no records of the stand-in's; its own come from the SQLite driver.
extern "C" SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                           SQLCHAR* sqlstate, SQLINTEGER* native_error,
                                           SQLCHAR* text, SQLSMALLINT text_size,
                                           SQLSMALLINT* text_length) {
  if (type == SQL_HANDLE_ENV) {
    return Call(CurrentDriver().SQLGetDiagRec, type, handle, record, sqlstate, native_error, text,
                text_size, text_length);
  }
  if (record < 1) {
    return SQL_ERROR;
  }
  const auto area = GetPendingDiagnostics().Find(handle);
  if (!area || static_cast<size_t>(record) > area->records.size()) {
    return SQL_NO_DATA;
  }
  return brivanto::standin::WriteRecord(area->records[static_cast<size_t>(record) - 1], sqlstate,
                                        native_error, text, text_size, text_length);
}

extern "C" SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                             SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT size,
                                             SQLSMALLINT* length) {
  if (type == SQL_HANDLE_ENV) {
    return Call(CurrentDriver().SQLGetDiagField, type, handle, record, field, value, size, length);
  }
  const auto area = GetPendingDiagnostics().Find(handle);
  return brivanto::standin::WriteField(area.value_or(brivanto::standin::DiagnosticArea{}), type,
                                       record, field, value, size, length);
}

extern "C" SQLRETURN SQL_API SQLError(SQLHENV environment, SQLHDBC connection, SQLHSTMT statement,
                                      SQLCHAR* sqlstate, SQLINTEGER* native_error, SQLCHAR* text,
                                      SQLSMALLINT text_size, SQLSMALLINT* text_length) {
  const SQLHANDLE handle = statement != SQL_NULL_HSTMT ? statement : connection;
  if (handle == SQL_NULL_HANDLE) {
    return Call(CurrentDriver().SQLError, environment, connection, statement, sqlstate,
                native_error, text, text_size, text_length);
  }
  const auto record = GetPendingDiagnostics().TakeFirst(handle);
  if (!record) {
    return SQL_NO_DATA;
  }
  return brivanto::standin::WriteRecord(*record, sqlstate, native_error, text, text_size,
                                        text_length);
}

extern "C" SQLRETURN SQL_API SQLGetFunctions(SQLHDBC connection, SQLUSMALLINT function_id,
                                             SQLUSMALLINT* supported) {
  GetPendingDiagnostics().Clear(connection);
  const auto& driver = CurrentDriver();
  const SQLRETURN rc = Call(driver.SQLGetFunctions, connection, function_id, supported);
  if (SQL_SUCCEEDED(rc) && supported != nullptr) {
    brivanto::standin::MaskFunctions(driver, function_id, supported);
  }
  return CaptureDriverRecords(SQL_HANDLE_DBC, connection, connection, rc, "SQLGetFunctions");
}
