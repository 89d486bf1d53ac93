#include "Routes.h"

namespace brivanto::standin {

void RouteRegistry::Add(SQLHANDLE application_handle, Route route) {
  const std::lock_guard lock(mutex_);
  routes_[application_handle] = route;
}

void RouteRegistry::Remove(SQLHANDLE application_handle) {
  const std::lock_guard lock(mutex_);
  routes_.erase(application_handle);
}

std::optional<Route> RouteRegistry::Find(SQLHANDLE application_handle) const {
  const std::lock_guard lock(mutex_);
  const auto found = routes_.find(application_handle);
  return found == routes_.end() ? std::nullopt : std::optional<Route>(found->second);
}

SQLHANDLE RouteRegistry::DriverHandle(SQLHANDLE application_handle) const {
  const std::optional<Route> route = Find(application_handle);
  return route ? route->driver_handle : application_handle;
}

const DriverFunctions* RouteRegistry::DriverOf(SQLHANDLE application_handle) const {
  const std::optional<Route> route = Find(application_handle);
  return route ? route->driver : nullptr;
}

RouteRegistry& GetRoutes() {
  static RouteRegistry routes;
  return routes;
}

}  // namespace brivanto::standin
