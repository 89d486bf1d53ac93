#pragma once

#include <string>

#include "ports/OdbcInstaller.h"

namespace brivanto::odbc {

// The installer library the program is linked with (libodbcinst, odbccp32 on Windows).
class OdbcInstallerLibrary final : public ports::OdbcInstaller {
 public:
  bool ConfigDataSource(std::intptr_t window, int request, const std::string& driver,
                        const std::string& attributes) override;
  ports::InstallerError LastError() override;

 private:
  ports::InstallerError Explained(ports::InstallerError error) const;

  std::string lastDriver_;
};

}  // namespace brivanto::odbc
