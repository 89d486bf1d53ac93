#pragma once

#include "OdbcHandle.h"

namespace brivanto::odbc {

// An environment that asks the driver manager for ODBC 3 behaviour (SQLSTATEs, cursor
// attributes).
class OdbcEnvironment {
 public:
  OdbcEnvironment();

  SQLHENV Get() const noexcept { return handle_.Get(); }

 private:
  EnvironmentHandle handle_;
};

}  // namespace brivanto::odbc
