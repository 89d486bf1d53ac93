#include "OdbcDatabase.h"

#include "OdbcConnection.h"
#include "OdbcEnvironment.h"

namespace brivanto::odbc {

OdbcEnvironment::OdbcEnvironment()
    : handle_(EnvironmentHandle::Allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE)) {
  Check(SQLSetEnvAttr(handle_.Get(), SQL_ATTR_ODBC_VERSION,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_OV_ODBC3)), 0),
        SQL_HANDLE_ENV, handle_.Get(), "SQLSetEnvAttr");
}

OdbcDatabase::OdbcDatabase() : environment_(std::make_shared<OdbcEnvironment>()) {}

OdbcDatabase::~OdbcDatabase() = default;

std::unique_ptr<ports::Connection> OdbcDatabase::CreateConnection() {
  return std::make_unique<OdbcConnection>(environment_);
}

}  // namespace brivanto::odbc
