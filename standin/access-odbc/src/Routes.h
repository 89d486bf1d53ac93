// Which driver serves a connection the application holds. The application's connection handles
// are the SQLite driver's; a connection to an Access (Jet) file is routed to a connection of MDB
// Tools, whose statements the application then holds directly (StatementState::driver).
#pragma once

#include <sql.h>

#include <mutex>
#include <optional>
#include <unordered_map>

#include "DriverFunctions.h"

namespace brivanto::standin {

struct Route {
  const DriverFunctions* driver = nullptr;
  SQLHANDLE driver_handle = SQL_NULL_HANDLE;  // what that driver knows the handle as
};

class RouteRegistry {
 public:
  void Add(SQLHANDLE application_handle, Route route);
  void Remove(SQLHANDLE application_handle);
  std::optional<Route> Find(SQLHANDLE application_handle) const;
  // The handle to pass to the driver that serves it.
  SQLHANDLE DriverHandle(SQLHANDLE application_handle) const;
  // The driver that serves it; null for the SQLite driver.
  const DriverFunctions* DriverOf(SQLHANDLE application_handle) const;

 private:
  mutable std::mutex mutex_;
  std::unordered_map<SQLHANDLE, Route> routes_;
};

RouteRegistry& GetRoutes();

}  // namespace brivanto::standin
