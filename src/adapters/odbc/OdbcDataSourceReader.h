#pragma once

#include <memory>
#include <string>

#include "ports/RegistryReader.h"

namespace brivanto::odbc {

// Reads machine-wide data-source definitions through unixODBC's installer library, which is
// loaded when a reader is created. Only keys of the form
// HKEY_LOCAL_MACHINE\SOFTWARE\ODBC\ODBC.INI\<data source> are known; the installer answers them
// from the system odbc.ini. Linux only: on Windows the registry itself is read
// (win32::Win32RegistryReaderFactory).
class OdbcDataSourceReaderFactory final : public ports::RegistryReaderFactory {
 public:
  static constexpr const char* kDefaultInstallerLibrary = "libodbcinst.so.2";

  explicit OdbcDataSourceReaderFactory(std::string installerLibrary = kDefaultInstallerLibrary);

  // Every reader holds its own reference to the library. Throws Failure numbered
  // failure_codes::kModuleNotFound when the library or one of its functions is missing.
  std::unique_ptr<ports::RegistryReader> Create() override;

 private:
  std::string installerLibrary_;
};

}  // namespace brivanto::odbc
