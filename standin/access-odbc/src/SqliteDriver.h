// The SQLite ODBC driver that does the real work behind the stand-in.
#pragma once

#include "OdbcFunctions.h"

namespace brivanto::standin {

// Its entry points, each null when the driver could not be loaded or lacks that function.
struct SqliteDriver {
#define BRIVANTO_FORWARDED_POINTER(prologue, name, id, params, args) \
  decltype(&::name) name = nullptr;
#define BRIVANTO_INTERCEPTED_POINTER(name, id) decltype(&::name) name = nullptr;
  BRIVANTO_FORWARDED_FUNCTIONS(BRIVANTO_FORWARDED_POINTER)
  BRIVANTO_INTERCEPTED_FUNCTIONS(BRIVANTO_INTERCEPTED_POINTER)
#undef BRIVANTO_FORWARDED_POINTER
#undef BRIVANTO_INTERCEPTED_POINTER

  // Whether the stand-in offers the function with this SQL_API_ number: it must both export
  // it and have found it in the SQLite driver.
  bool Provides(SQLUSMALLINT function_id) const;
};

// Loads the driver on first use, from BRIVANTO_SQLITE_ODBC_DRIVER if set, else from the path
// found at configure time. The library stays loaded until the stand-in itself is unloaded.
const SqliteDriver& GetSqliteDriver();

// Calls a driver function, or fails as ODBC does for a function the driver does not have.
template <typename Function, typename... Args>
SQLRETURN Call(Function function, Args... args) {
  return function == nullptr ? SQL_ERROR : function(args...);
}

}  // namespace brivanto::standin
