// The exported ODBC entry points. Handles are the SQLite driver's own, passed through unchanged,
// so the stand-in keeps no state of its own apart from the diagnostics it raises itself.
#include <new>
#include <string>

#include "Connect.h"
#include "Messages.h"
#include "PendingDiagnostics.h"
#include "SqliteDriver.h"

namespace brivanto::standin {
namespace {

template <typename... Args>
void OnAnyHandle(Args...) {}

template <typename... Rest>
void OnConnection(SQLHDBC connection, Rest...) {
  GetPendingDiagnostics().Clear(connection);
}

std::string TextArgument(const SQLCHAR* text, SQLINTEGER length) {
  if (text == nullptr) {
    return {};
  }
  const char* characters = reinterpret_cast<const char*>(text);
  if (length == SQL_NTS) {
    return characters;
  }
  return length > 0 ? std::string(characters, static_cast<size_t>(length)) : std::string();
}

SQLRETURN ReturnConnectionText(SQLHDBC connection, const std::string& text, SQLCHAR* out,
                               SQLSMALLINT out_size, SQLSMALLINT* out_length, SQLRETURN rc) {
  if (out_length != nullptr) {
    *out_length = static_cast<SQLSMALLINT>(text.size());
  }
  if (out == nullptr || CopyToBuffer(text, out, out_size)) {
    return rc;
  }
  GetPendingDiagnostics().Set(
      connection,
      Diagnostic{"01004", 0, std::string(kMessagePrefix) + "String data, right truncated.",
                 SQL_SUCCESS_WITH_INFO});
  return SQL_SUCCESS_WITH_INFO;
}

constexpr SQLUSMALLINT kBitsPerWord = 16;
// SQL_API_ALL_FUNCTIONS answers in an array of this many flags, one per ODBC 2 function id.
constexpr SQLUSMALLINT kOdbc2FunctionCount = 100;

void MaskFunctionBitmap(const SqliteDriver& driver, SQLUSMALLINT* bitmap) {
  for (SQLUSMALLINT id = 0; id < SQL_API_ODBC3_ALL_FUNCTIONS_SIZE * kBitsPerWord; ++id) {
    if (SQL_FUNC_EXISTS(bitmap, id) == SQL_TRUE && !driver.Provides(id)) {
      bitmap[id / kBitsPerWord] &= static_cast<SQLUSMALLINT>(~(1U << (id % kBitsPerWord)));
    }
  }
}

void MaskFunctionArray(const SqliteDriver& driver, SQLUSMALLINT* supported) {
  for (SQLUSMALLINT id = 0; id < kOdbc2FunctionCount; ++id) {
    supported[id] = supported[id] != SQL_FALSE && driver.Provides(id) ? SQL_TRUE : SQL_FALSE;
  }
}

void MaskFunctions(const SqliteDriver& driver, SQLUSMALLINT function_id, SQLUSMALLINT* supported) {
  if (function_id == SQL_API_ODBC3_ALL_FUNCTIONS) {
    MaskFunctionBitmap(driver, supported);
  } else if (function_id == SQL_API_ALL_FUNCTIONS) {
    MaskFunctionArray(driver, supported);
  } else if (!driver.Provides(function_id)) {
    *supported = SQL_FALSE;
  }
}

}  // namespace
}  // namespace brivanto::standin

using brivanto::standin::Call;
using brivanto::standin::GetPendingDiagnostics;
using brivanto::standin::GetSqliteDriver;

#define BRIVANTO_UNPARENTHESISE(...) __VA_ARGS__
#define BRIVANTO_DEFINE_FORWARDER(prologue, name, id, params, args)    \
  extern "C" SQLRETURN SQL_API name params {                           \
    brivanto::standin::prologue args;                                  \
    return Call(GetSqliteDriver().name, BRIVANTO_UNPARENTHESISE args); \
  }
BRIVANTO_FORWARDED_FUNCTIONS(BRIVANTO_DEFINE_FORWARDER)
#undef BRIVANTO_DEFINE_FORWARDER
#undef BRIVANTO_UNPARENTHESISE

extern "C" SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
  if (type == SQL_HANDLE_STMT || type == SQL_HANDLE_DESC) {
    GetPendingDiagnostics().Clear(input);
  }
  return Call(GetSqliteDriver().SQLAllocHandle, type, input, output);
}

extern "C" SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
  if (type == SQL_HANDLE_DBC) {
    GetPendingDiagnostics().Clear(handle);
  }
  return Call(GetSqliteDriver().SQLFreeHandle, type, handle);
}

extern "C" SQLRETURN SQL_API SQLFreeConnect(SQLHDBC connection) {
  GetPendingDiagnostics().Clear(connection);
  return Call(GetSqliteDriver().SQLFreeConnect, connection);
}

extern "C" SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle,
                                        SQLSMALLINT completion) {
  if (type == SQL_HANDLE_DBC) {
    GetPendingDiagnostics().Clear(handle);
  }
  return Call(GetSqliteDriver().SQLEndTran, type, handle, completion);
}

extern "C" SQLRETURN SQL_API SQLTransact(SQLHENV environment, SQLHDBC connection,
                                         SQLUSMALLINT completion) {
  if (connection != SQL_NULL_HDBC) {
    GetPendingDiagnostics().Clear(connection);
  }
  return Call(GetSqliteDriver().SQLTransact, environment, connection, completion);
}

extern "C" SQLRETURN SQL_API SQLDriverConnect(SQLHDBC connection, SQLHWND /*window*/, SQLCHAR* in,
                                              SQLSMALLINT in_length, SQLCHAR* out,
                                              SQLSMALLINT out_size, SQLSMALLINT* out_length,
                                              SQLUSMALLINT /*completion: nothing to prompt for*/) {
  GetPendingDiagnostics().Clear(connection);
  try {
    const std::string text = brivanto::standin::TextArgument(in, in_length);
    const SQLRETURN rc = brivanto::standin::ConnectWithText(connection, text);
    if (!SQL_SUCCEEDED(rc)) {
      return rc;
    }
    return brivanto::standin::ReturnConnectionText(connection, text, out, out_size, out_length, rc);
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
        connection, brivanto::standin::TextArgument(data_source, data_source_length));
  } catch (const std::bad_alloc&) {
    return SQL_ERROR;
  }
}

extern "C" SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                           SQLCHAR* sqlstate, SQLINTEGER* native_error,
                                           SQLCHAR* text, SQLSMALLINT text_size,
                                           SQLSMALLINT* text_length) {
  if (type == SQL_HANDLE_DBC) {
    if (const auto pending = GetPendingDiagnostics().Find(handle)) {
      if (record != 1) {
        return record < 1 ? SQL_ERROR : SQL_NO_DATA;
      }
      return brivanto::standin::WriteRecord(*pending, sqlstate, native_error, text, text_size,
                                            text_length);
    }
  }
  return Call(GetSqliteDriver().SQLGetDiagRec, type, handle, record, sqlstate, native_error, text,
              text_size, text_length);
}

extern "C" SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                             SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT size,
                                             SQLSMALLINT* length) {
  if (type == SQL_HANDLE_DBC) {
    if (const auto pending = GetPendingDiagnostics().Find(handle)) {
      return brivanto::standin::WriteField(*pending, record, field, value, size, length);
    }
  }
  return Call(GetSqliteDriver().SQLGetDiagField, type, handle, record, field, value, size, length);
}

extern "C" SQLRETURN SQL_API SQLError(SQLHENV environment, SQLHDBC connection, SQLHSTMT statement,
                                      SQLCHAR* sqlstate, SQLINTEGER* native_error, SQLCHAR* text,
                                      SQLSMALLINT text_size, SQLSMALLINT* text_length) {
  if (statement == SQL_NULL_HSTMT && connection != SQL_NULL_HDBC) {
    if (const auto pending = GetPendingDiagnostics().Take(connection)) {
      return brivanto::standin::WriteRecord(*pending, sqlstate, native_error, text, text_size,
                                            text_length);
    }
  }
  return Call(GetSqliteDriver().SQLError, environment, connection, statement, sqlstate,
              native_error, text, text_size, text_length);
}

extern "C" SQLRETURN SQL_API SQLGetFunctions(SQLHDBC connection, SQLUSMALLINT function_id,
                                             SQLUSMALLINT* supported) {
  GetPendingDiagnostics().Clear(connection);
  const auto& driver = GetSqliteDriver();
  const SQLRETURN rc = Call(driver.SQLGetFunctions, connection, function_id, supported);
  if (SQL_SUCCEEDED(rc) && supported != nullptr) {
    brivanto::standin::MaskFunctions(driver, function_id, supported);
  }
  return rc;
}
