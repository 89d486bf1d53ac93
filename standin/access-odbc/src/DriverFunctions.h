// The entry points of an ODBC driver behind the stand-in, and which driver the call in progress
// goes to: the SQLite driver for SQLite files, MDB Tools for real Access (Jet) files.
#pragma once

#include "OdbcFunctions.h"

namespace brivanto::standin {

// Its entry points, each null when the driver could not be loaded or lacks that function.
struct DriverFunctions {
// The macro arguments are names, which parentheses would break.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define BRIVANTO_FORWARDED_POINTER(prologue, name, id, params, args) \
  decltype(&::name) name = nullptr;
#define BRIVANTO_INTERCEPTED_POINTER(name, id) decltype(&::name) name = nullptr;
  // NOLINTEND(bugprone-macro-parentheses)
  BRIVANTO_FORWARDED_FUNCTIONS(BRIVANTO_FORWARDED_POINTER)
  BRIVANTO_INTERCEPTED_FUNCTIONS(BRIVANTO_INTERCEPTED_POINTER)
#undef BRIVANTO_FORWARDED_POINTER
#undef BRIVANTO_INTERCEPTED_POINTER

  // Whether the stand-in offers the function with this SQL_API_ number: it must both export
  // it and have found it in the driver.
  bool Provides(SQLUSMALLINT function_id) const;
};

// Loads every function the stand-in forwards from an already opened library.
void ResolveFunctions(void* library, DriverFunctions& functions);

// The driver that serves the handle the current entry point was called with (DriverScope);
// the SQLite driver outside any scope.
const DriverFunctions& CurrentDriver();

// Chooses the driver for the rest of an entry point on this thread; null means the SQLite driver.
class DriverScope {
 public:
  explicit DriverScope(const DriverFunctions* driver);
  DriverScope(const DriverScope&) = delete;
  DriverScope& operator=(const DriverScope&) = delete;
  ~DriverScope();

 private:
  const DriverFunctions* previous_;
};

// Calls a driver function, or fails as ODBC does for a function the driver does not have.
template <typename Function, typename... Args>
SQLRETURN Call(Function function, Args... args) {
  return function == nullptr ? SQL_ERROR : function(args...);
}

}  // namespace brivanto::standin
