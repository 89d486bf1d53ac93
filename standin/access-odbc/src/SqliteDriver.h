// The SQLite ODBC driver that does the real work behind the stand-in for SQLite files.
#pragma once

#include "DriverFunctions.h"

namespace brivanto::standin {

// Loads the driver on first use, from BRIVANTO_SQLITE_ODBC_DRIVER if set, else from the path
// found at configure time. The library stays loaded until the stand-in itself is unloaded.
const DriverFunctions& GetSqliteDriver();

}  // namespace brivanto::standin
