// Shared fixtures for the Access stand-in tests: a private unixODBC configuration, ODBC and
// SQLite handles that clean up after themselves, and ways to look at files on disk.
#pragma once

#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "OdbcTestEnvironment.h"

namespace brivanto::standin::test {

inline constexpr char kDriverName[] = "Microsoft Access Driver (*.mdb)";

// A system data source of the private unixODBC configuration, using the stand-in with the
// database file DataSourceDatabase().
inline constexpr char kDataSourceName[] = "BrivantoStandinTest";
std::string DataSourceDatabase();

// The exact text the program connects with.
std::string AccessConnectionText(const std::string& database);

class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

struct DiagnosticRecord {
  std::string sqlstate;
  SQLINTEGER native_error = 0;
  std::string message;
};

std::optional<DiagnosticRecord> FirstDiagnostic(SQLSMALLINT type, SQLHANDLE handle);
// Every record SQLGetDiagRec hands out, in its order.
std::vector<DiagnosticRecord> AllDiagnostics(SQLSMALLINT type, SQLHANDLE handle);
std::vector<std::string> Sqlstates(const std::vector<DiagnosticRecord>& records);

using brivanto::testing::ScopedEnvironment;

// UTF-8 text in the Windows-1252 code page, as glibc's iconv converts it: what an ANSI program
// on a Dutch Windows sends for it.
std::string InWindows1252(const std::string& utf8);

class OdbcEnvironment {
 public:
  explicit OdbcEnvironment(SQLULEN version = SQL_OV_ODBC3);
  OdbcEnvironment(const OdbcEnvironment&) = delete;
  OdbcEnvironment& operator=(const OdbcEnvironment&) = delete;
  ~OdbcEnvironment();
  SQLHENV get() const { return handle_; }

 private:
  SQLHENV handle_ = SQL_NULL_HENV;
};

class OdbcConnection {
 public:
  explicit OdbcConnection(const OdbcEnvironment& environment);
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;
  ~OdbcConnection();

  SQLRETURN Connect(const std::string& text, std::string* completed = nullptr);
  SQLHDBC get() const { return handle_; }
  std::optional<DiagnosticRecord> Diagnostic() const {
    return FirstDiagnostic(SQL_HANDLE_DBC, handle_);
  }
  // Runs a statement; returns the rows as "value|value|..." with NULL shown as "<null>", or one
  // "error: ..." row with the message of the record that explains the failure.
  std::vector<std::string> Query(const std::string& sql);

 private:
  SQLHDBC handle_ = SQL_NULL_HDBC;
  bool connected_ = false;
};

class OdbcStatement {
 public:
  explicit OdbcStatement(const OdbcConnection& connection);
  OdbcStatement(const OdbcStatement&) = delete;
  OdbcStatement& operator=(const OdbcStatement&) = delete;
  ~OdbcStatement();
  SQLHSTMT get() const { return handle_; }

  SQLRETURN Execute(const std::string& sql);
  SQLRETURN Prepare(const std::string& sql);
  std::vector<DiagnosticRecord> Diagnostics() const {
    return AllDiagnostics(SQL_HANDLE_STMT, handle_);
  }
  // The rest of the current row's column, read with SQLGetData into SQL_C_CHAR in one piece;
  // "<null>" for NULL.
  std::string Text(SQLUSMALLINT column);

 private:
  SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

// A connection to a settings database in `dir`, for tests of statement behaviour.
class ConnectedDatabase {
 public:
  explicit ConnectedDatabase(const std::string& path);
  const std::string& path() const { return path_; }
  OdbcConnection& connection() { return connection_; }

 private:
  std::string path_;
  OdbcEnvironment environment_;
  OdbcConnection connection_;
};

// A SQLite connection used to set up and inspect database files behind the driver's back.
class SqliteFile {
 public:
  explicit SqliteFile(const std::string& path, bool create = true);
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;
  ~SqliteFile();

  void Execute(const std::string& sql);
  // Rows as "value|value|...", NULL shown as "<null>"; an error comes back as one "error: ..." row.
  std::vector<std::string> Query(const std::string& sql);

 private:
  sqlite3* db_ = nullptr;
};

// A file holding tblSettings(Section, sKey, Value) with the row Main/Version/42.
void CreateSettingsDatabase(const std::string& path);

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// Every entry below the folder, as paths relative to it.
std::set<std::string> ListTree(const std::filesystem::path& folder);

// REPAIR_DB through SQLConfigDataSource, with the attribute bytes the program sends.
std::string RepairAttributes(const std::string& database);
// With the request that repairs and answers TRUE under the default answer (ODBC_ADD_DSN); what
// each request answers is what StandInRepairAnswerTest is about.
bool Repair(const std::string& database);

struct InstallerMessage {
  DWORD code = 0;
  std::string text;
};
// The first error the last installer call posted.
InstallerMessage InstallerError();

// Forks a child that runs `body` and exits with what it returns (99 if it throws).
pid_t StartChild(const std::function<int()>& body);
// waitpid's status, also for a child that only stopped when `stopped_too`.
int WaitFor(pid_t child, bool stopped_too = false);
// The pid of a child that has ended and been reaped: surely no running process's.
pid_t EndedPid();
// Makes root subject to file permission bits like anyone else (drops CAP_DAC_OVERRIDE), for
// use in a child. False when the system refuses.
bool StopOverridingFilePermissions();

// A tmpfs of the given size mounted on an existing folder while this lives (root only).
class TmpfsMount {
 public:
  TmpfsMount(const std::string& folder, const std::string& size);
  TmpfsMount(const TmpfsMount&) = delete;
  TmpfsMount& operator=(const TmpfsMount&) = delete;
  ~TmpfsMount();
  // Empty when mounted; otherwise why not.
  const std::string& failure() const { return failure_; }

 private:
  std::string folder_;
  std::string failure_;
};

}  // namespace brivanto::standin::test
