#pragma once

#include <memory>

#include "ports/Database.h"

namespace brivanto::database {

// Holds the window's one database connection. Replacing or releasing it closes the previous
// connection, since releasing a connection object closes it.
class ConnectionHolder {
 public:
  void Replace(std::unique_ptr<ports::Connection> connection) {
    connection_ = std::move(connection);
  }
  void Release() { connection_.reset(); }
  bool IsEmpty() const { return connection_ == nullptr; }

  // The held connection; throws Failure when there is none.
  ports::Connection& Get() const;

 private:
  std::unique_ptr<ports::Connection> connection_;
};

}  // namespace brivanto::database
