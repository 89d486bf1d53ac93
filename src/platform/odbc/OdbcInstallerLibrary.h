#pragma once

#include "platform/OdbcInstaller.h"

namespace brivanto::platform {

// The installer library the program is linked with (libodbcinst, odbccp32 on Windows).
class OdbcInstallerLibrary final : public OdbcInstaller {
 public:
  bool ConfigDataSource(std::intptr_t window, int request, const std::string& driver,
                        const std::string& attributes) override;
  InstallerError LastError() override;
};

}  // namespace brivanto::platform
