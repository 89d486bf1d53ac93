// MDB Tools' ODBC driver, which reads real Access (Jet 3 and Jet 4) files on Linux. It is
// read-only, and an ODBC 2 driver: the ODBC 3 functions the stand-in calls are mapped onto their
// ODBC 2 forms here, as a driver manager would.
#pragma once

#include <string>
#include <string_view>

#include "DriverFunctions.h"
#include "JetFile.h"

namespace brivanto::standin {

// Loaded on first use, from BRIVANTO_MDB_ODBC_DRIVER if set, else from the path found at
// configure time; every function is null when the library is missing.
const DriverFunctions& GetMdbToolsDriver();

// The one environment of MDB Tools that every routed connection is allocated on; null when
// the driver is missing or refuses one.
SQLHENV MdbToolsEnvironment();

// Whether the file starts as every Jet 3 and Jet 4 database does.
bool HasJetSignature(const std::string& path);

}  // namespace brivanto::standin
