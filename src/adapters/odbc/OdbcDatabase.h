#pragma once

#include <memory>

#include "ports/Database.h"

namespace brivanto::odbc {

class OdbcEnvironment;

// Connections through the ODBC driver manager. All connections of one OdbcDatabase share one
// ODBC 3 environment, which lives as long as the last of them.
class OdbcDatabase final : public ports::Database {
 public:
  // Throws Failure when the driver manager cannot provide an environment.
  OdbcDatabase();
  ~OdbcDatabase() override;

  std::unique_ptr<ports::Connection> CreateConnection() override;

 private:
  std::shared_ptr<OdbcEnvironment> environment_;
};

}  // namespace brivanto::odbc
