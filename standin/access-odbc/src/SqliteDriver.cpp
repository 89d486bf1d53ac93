#include "SqliteDriver.h"

#include "DriverLibrary.h"

namespace brivanto::standin {

const DriverFunctions& GetSqliteDriver() {
  // A function-local static is initialised exactly once even when threads race to it.
  static const DriverLibrary loaded("BRIVANTO_SQLITE_ODBC_DRIVER",
                                    BRIVANTO_SQLITE_ODBC_DEFAULT_PATH, "the SQLite ODBC driver");
  return loaded.functions();
}

}  // namespace brivanto::standin
