#include "Connect.h"

#include <odbcinst.h>

#include <array>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "CodePage.h"
#include "ConnectionString.h"
#include "DatabasePath.h"
#include "DriverCalls.h"
#include "JetConnection.h"
#include "MdbToolsDriver.h"
#include "Messages.h"
#include "PendingDiagnostics.h"
#include "SqliteDriver.h"

namespace brivanto::standin {
namespace {

// SQLite's own codes, which its ODBC driver reports as native errors.
constexpr SQLINTEGER kSqliteBusy = 5;
constexpr SQLINTEGER kSqliteNotADatabase = 26;

// How long a statement waits for another program's lock. The SQLite driver would wait 100 s,
// which freezes the tool; the Access driver reports a file in use at once.
constexpr int kLockWaitMilliseconds = 1000;

// The SQLite driver copies the Database= value into a 512-byte buffer and fails with a bare
// "connect failed" when it does not fit; SQLite's own path limit on Unix is 512 bytes too.
constexpr std::size_t kLongestSqliteUri = 511;

enum class ProbeOutcome { kReadable, kNotADatabase, kLocked };

SQLRETURN Refuse(SQLHDBC connection, SQLINTEGER native_error, const std::string& message) {
  return Fail(connection,
              {Diagnostic{"HY000", native_error, std::string(kMessagePrefix) + message}});
}

std::string Quoted(const std::string& path) {
  return "'" + path + "'";
}

SQLRETURN RefusePath(SQLHDBC connection, const std::string& path, const DatabasePath& inspected) {
  switch (inspected.status) {
    case PathStatus::kEmpty:
      return Refuse(connection, kNoDatabaseGiven,
                    "No database file was given: the connection has no DBQ value.");
    case PathStatus::kNotFound:
      return Refuse(connection, kFileNotFound, "Could not find file " + Quoted(path) + ".");
    case PathStatus::kNotAFile:
      return Refuse(connection, kNotAFile, Quoted(path) + " is not a file.");
    case PathStatus::kEmptyFile:
      return Refuse(connection, kNotADatabase,
                    Quoted(path) + " is not a database: the file is empty.");
    case PathStatus::kInaccessible:
    case PathStatus::kUsable:
      break;
  }
  return Refuse(connection, kFileInaccessible,
                "Cannot open file " + Quoted(path) + ": " +
                    std::generic_category().message(inspected.error_number) + ".");
}

// SQLite opens any file without complaint and reads it only at the first statement; the Access
// driver refuses a file in an unknown format, or one another program has locked, when
// connecting. Reading the schema version settles both, without writing anything. A damaged
// database must still connect, so that it can be repaired.
std::pair<ProbeOutcome, std::string> ProbeFile(const DriverFunctions& driver, SQLHDBC connection) {
  const DriverStatement statement(connection);
  if (statement.get() == SQL_NULL_HSTMT) {
    return {ProbeOutcome::kReadable, {}};
  }
  const std::string probe = "PRAGMA schema_version";
  SQLRETURN probed = Call(driver.SQLExecDirect, statement.get(), AsOdbcText(probe), SQL_NTS);
  // Stepping through results as they are fetched defers the read to the first fetch.
  if (SQL_SUCCEEDED(probed)) {
    probed = Call(driver.SQLFetch, statement.get());
  }
  if (SQL_SUCCEEDED(probed) || probed == SQL_NO_DATA) {
    return {ProbeOutcome::kReadable, {}};
  }
  std::array<SQLCHAR, SQL_SQLSTATE_SIZE + 1> sqlstate{};
  std::array<SQLCHAR, 512> text{};
  SQLINTEGER native_error = 0;
  SQLSMALLINT length = 0;
  const SQLRETURN rc =
      Call(driver.SQLGetDiagRec, SQL_HANDLE_STMT, statement.get(), 1, sqlstate.data(),
           &native_error, text.data(), static_cast<SQLSMALLINT>(text.size()), &length);
  const std::string reason(reinterpret_cast<const char*>(text.data()));
  if (SQL_SUCCEEDED(rc) && native_error == kSqliteNotADatabase) {
    return {ProbeOutcome::kNotADatabase, reason};
  }
  if (SQL_SUCCEEDED(rc) && native_error == kSqliteBusy) {
    return {ProbeOutcome::kLocked, reason};
  }
  return {ProbeOutcome::kReadable, {}};
}

SQLRETURN ConnectToFile(SQLHDBC connection, const std::string& path) {
  const DatabasePath inspected = InspectDatabasePath(path);
  if (inspected.status != PathStatus::kUsable) {
    return RefusePath(connection, path, inspected);
  }
  const std::string uri = SqliteUriForExistingFile(inspected.canonical);
  if (uri.size() > kLongestSqliteUri) {
    return Refuse(connection, kPathTooLong,
                  "The path is too long: the SQLite driver behind this stand-in takes at most " +
                      std::to_string(kLongestSqliteUri) + " bytes of file URI, and this path " +
                      "needs " + std::to_string(uri.size()) + ": " + Quoted(path) + ".");
  }
  const DriverFunctions& driver = GetSqliteDriver();
  // StepAPI makes the SQLite driver step through a forward-only result as it is fetched instead
  // of holding all of it in memory first (static and keyset cursors are still held whole).
  const std::string sqlite_text =
      "Database=" + uri + ";NoCreat=1;StepAPI=1;Timeout=" + std::to_string(kLockWaitMilliseconds) +
      ";";
  const SQLRETURN rc = CaptureDriverRecords(
      SQL_HANDLE_DBC, connection, connection,
      Call(driver.SQLDriverConnect, connection, nullptr, AsOdbcText(sqlite_text), SQL_NTS, nullptr,
           0, nullptr, SQL_DRIVER_NOPROMPT),
      "SQLDriverConnect");
  if (!SQL_SUCCEEDED(rc)) {
    return rc;
  }
  const auto [outcome, reason] = ProbeFile(driver, connection);
  if (outcome == ProbeOutcome::kReadable) {
    return rc;
  }
  // The refusal below is what the caller needs; a failing disconnect would add nothing.
  Call(driver.SQLDisconnect, connection);
  if (outcome == ProbeOutcome::kLocked) {
    // The Access driver speaks the language of Windows, Dutch here.
    return Refuse(connection, kFileInUse,
                  "Kan " + Quoted(path) +
                      " niet gebruiken: het bestand is al in gebruik door een " +
                      "ander programma (" + reason + "). Beëindig dat programma en probeer het " +
                      "opnieuw.");
  }
  // Only a file SQLite cannot read is looked at: reading a SQLite file here would drop this
  // process's locks on it when the descriptor closes.
  if (HasJetSignature(inspected.canonical)) {
    return ConnectToJetFile(connection, path, inspected.canonical);
  }
  return Refuse(
      connection, kNotADatabase,
      Quoted(path) + " is not a database in a format this driver can open (" + reason + ").");
}

std::string DatabaseOfDataSource(const std::string& data_source) {
  std::array<char, 4096> value{};
  const int length = SQLGetPrivateProfileString(data_source.c_str(), "DBQ", "", value.data(),
                                                static_cast<int>(value.size()), "ODBC.INI");
  // On Windows the driver reads the data source through the registry's ANSI functions.
  return length > 0 ? FromApplication(value.data()) : std::string();
}

}  // namespace

SQLRETURN ConnectWithText(SQLHDBC connection, std::string_view text) {
  const std::optional<ConnectionAttributes> attributes = ParseConnectionString(text);
  if (!attributes) {
    return Refuse(connection, kMalformedConnectionText,
                  "The connection text is not a list of keyword=value pairs.");
  }
  if (const auto database = attributes->Find("dbq")) {
    return ConnectToFile(connection, *database);
  }
  if (const auto data_source = attributes->Find("dsn")) {
    return ConnectToDataSource(connection, *data_source);
  }
  return ConnectToFile(connection, "");
}

SQLRETURN ConnectToDataSource(SQLHDBC connection, const std::string& data_source) {
  return ConnectToFile(connection, DatabaseOfDataSource(data_source));
}

}  // namespace brivanto::standin
