#include "JetConnection.h"

#include "Connect.h"
#include "DriverCalls.h"
#include "JetSql.h"
#include "MdbToolsDriver.h"
#include "Messages.h"
#include "PendingDiagnostics.h"
#include "Routes.h"

namespace brivanto::standin {
namespace {

// Jet's own number for "Cannot update. Database or object is read-only."
constexpr SQLINTEGER kJetReadOnly = 3027;

std::string Quoted(const std::string& path) {
  return "'" + path + "'";
}

SQLRETURN Refuse(SQLHANDLE handle, SQLINTEGER native_error, const std::string& message) {
  return Fail(handle, {Diagnostic{"HY000", native_error, std::string(kMessagePrefix) + message}});
}

}  // namespace

SQLRETURN ConnectToJetFile(SQLHDBC connection, const std::string& path,
                           const std::string& canonical) {
  const DriverFunctions& mdb = GetMdbToolsDriver();
  const SQLHENV environment = MdbToolsEnvironment();
  if (environment == SQL_NULL_HENV) {
    return Refuse(connection, kJetDriverMissing,
                  Quoted(path) + " is een Access-bestand (Jet). Op Linux leest MDB Tools zulke " +
                      "bestanden, maar het ODBC-stuurprogramma daarvan (pakket odbc-mdbtools) " +
                      "is niet geïnstalleerd.");
  }
  const DriverScope scope(&mdb);
  SQLHDBC jet = SQL_NULL_HDBC;
  if (!SQL_SUCCEEDED(Call(mdb.SQLAllocHandle, SQL_HANDLE_DBC, environment, &jet))) {
    return Refuse(connection, kJetRefused,
                  "MDB Tools kan geen verbinding aanmaken voor " + Quoted(path) + ".");
  }
  // MDB Tools takes the file by DBQ, as the Access driver does; it has no use for a password.
  const std::string text = "DBQ=" + canonical + ";";
  const SQLRETURN rc = Call(mdb.SQLDriverConnect, jet, nullptr, AsOdbcText(text), SQL_NTS, nullptr,
                            SQLSMALLINT{0}, nullptr, SQLUSMALLINT{SQL_DRIVER_NOPROMPT});
  if (!SQL_SUCCEEDED(rc)) {
    // MDB Tools gives no record when it cannot read the file: it only writes to stderr.
    static_cast<void>(Call(mdb.SQLFreeHandle, SQL_HANDLE_DBC, jet));
    return Refuse(connection, kJetRefused,
                  "MDB Tools kan het Access-bestand (Jet) " + Quoted(path) +
                      " niet openen: het is beschadigd of van een onbekende versie.");
  }
  GetRoutes().Add(connection, Route{&mdb, jet});
  return rc == SQL_SUCCESS_WITH_INFO ? static_cast<SQLRETURN>(SQL_SUCCESS) : rc;
}

void DropJetConnection(SQLHDBC connection) {
  const std::optional<Route> route = GetRoutes().Find(connection);
  if (!route) {
    return;
  }
  GetRoutes().Remove(connection);
  // A read-only connection has nothing to lose on the way out, so failures are not reported.
  static_cast<void>(Call(route->driver->SQLDisconnect, route->driver_handle));
  static_cast<void>(Call(route->driver->SQLFreeHandle, SQL_HANDLE_DBC, route->driver_handle));
}

std::optional<SQLRETURN> RefuseJetStatement(SQLHSTMT statement, const StatementState& state,
                                            const std::string& sql) {
  if (state.driver == nullptr || !WritesData(sql)) {
    return std::nullopt;
  }
  return Refuse(statement, kJetReadOnly,
                "Kan niet bijwerken. Database of object is alleen-lezen: een Access-bestand " +
                    std::string("(Jet) wordt op Linux alleen-lezen geopend, via MDB Tools."));
}

std::string JetSql(const StatementState& state, const std::string& sql) {
  return state.driver == nullptr ? sql : ForMdbTools(sql);
}

}  // namespace brivanto::standin
