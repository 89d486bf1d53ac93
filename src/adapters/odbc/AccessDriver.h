#pragma once

#include "CodePageOdbc.h"
#include "OdbcDatabase.h"
#include "OdbcInstallerLibrary.h"
#include "ports/CodePage.h"

namespace brivanto::odbc {

// The Access driver and its installer as the program reaches them: through the ODBC adapter, in
// the code page the driver speaks, so the core sees UTF-8 only.
struct AccessDriver {
  explicit AccessDriver(const ports::CodePage& driverCodePage) : codePage(driverCodePage) {}

  const ports::CodePage& codePage;
  OdbcDatabase odbcDatabase;
  OdbcInstallerLibrary odbcInstaller;
  CodePageDatabase database{odbcDatabase, codePage};
  CodePageInstaller installer{odbcInstaller, codePage};
};

}  // namespace brivanto::odbc
