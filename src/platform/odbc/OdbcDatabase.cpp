#include "platform/odbc/OdbcDatabase.h"

#include "platform/odbc/OdbcConnection.h"
#include "platform/odbc/OdbcEnvironment.h"

namespace brivanto::platform {
namespace odbc {

OdbcEnvironment::OdbcEnvironment()
    : handle_(EnvironmentHandle::Allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE)) {
  Check(SQLSetEnvAttr(handle_.Get(), SQL_ATTR_ODBC_VERSION,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_OV_ODBC3)), 0),
        SQL_HANDLE_ENV, handle_.Get(), "SQLSetEnvAttr");
}

}  // namespace odbc

OdbcDatabase::OdbcDatabase() : environment_(std::make_shared<odbc::OdbcEnvironment>()) {}

OdbcDatabase::~OdbcDatabase() = default;

std::unique_ptr<Connection> OdbcDatabase::CreateConnection() {
  return std::make_unique<odbc::OdbcConnection>(environment_);
}

}  // namespace brivanto::platform
