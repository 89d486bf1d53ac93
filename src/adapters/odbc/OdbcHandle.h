#pragma once

#include <utility>

#include "OdbcApi.h"
#include "OdbcDiagnostics.h"

namespace brivanto::odbc {

// The sole owner of one ODBC handle of type `HandleType`.
template <SQLSMALLINT HandleType>
class OdbcHandle {
 public:
  OdbcHandle() = default;
  OdbcHandle(const OdbcHandle&) = delete;
  OdbcHandle& operator=(const OdbcHandle&) = delete;
  OdbcHandle(OdbcHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  OdbcHandle& operator=(OdbcHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ~OdbcHandle() { Reset(); }

  // A failed allocation is described by the parent's diagnostics.
  static OdbcHandle Allocate(SQLSMALLINT parentType, SQLHANDLE parent) {
    OdbcHandle owner;
    Check(SQLAllocHandle(HandleType, parent, &owner.handle_), parentType, parent, "SQLAllocHandle");
    return owner;
  }

  SQLHANDLE Get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }

  void Reset() noexcept {
    if (handle_ != nullptr) {
      // Freeing only fails for a handle that is still busy or already invalid; a release has
      // nobody to report that to.
      SQLFreeHandle(HandleType, handle_);
      handle_ = nullptr;
    }
  }

 private:
  SQLHANDLE handle_ = nullptr;
};

using EnvironmentHandle = OdbcHandle<SQL_HANDLE_ENV>;
using ConnectionHandle = OdbcHandle<SQL_HANDLE_DBC>;
using StatementHandle = OdbcHandle<SQL_HANDLE_STMT>;

}  // namespace brivanto::odbc
