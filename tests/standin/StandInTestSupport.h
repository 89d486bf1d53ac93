// Shared fixtures for the Access stand-in tests: a private unixODBC configuration, ODBC and
// SQLite handles that clean up after themselves, and ways to look at files on disk.
#pragma once

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

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
  // Runs a statement; returns the rows as "value|value|..." with NULL shown as "<null>".
  std::vector<std::string> Query(const std::string& sql);

 private:
  SQLHDBC handle_ = SQL_NULL_HDBC;
  bool connected_ = false;
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

}  // namespace brivanto::standin::test
