#pragma once

#include <cstdint>
#include <string>

namespace brivanto::ports {

struct InstallerError {
  std::int32_t code = 0;
  std::string message;
};

// The ODBC installer library.
class OdbcInstaller {
 public:
  virtual ~OdbcInstaller() = default;
  // `attributes` is the complete attribute list, NULs and the final double NUL included.
  virtual bool ConfigDataSource(std::intptr_t window, int request, const std::string& driver,
                                const std::string& attributes) = 0;
  // The installer's first error record after a failed call.
  virtual InstallerError LastError() = 0;
};

}  // namespace brivanto::ports
