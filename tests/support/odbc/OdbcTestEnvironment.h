#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brivanto::testing {

struct SettingsRow {
  std::optional<std::string> section;
  std::optional<std::string> key;
  std::optional<std::string> value;
};

// A private unixODBC configuration: the driver manager and the installer read odbcinst.ini and
// odbc.ini from a temporary directory, never from /etc or the home directory. Debian's SQLite
// driver is registered as kSqliteDriver, and the Access stand-in as kAccessDriver when it is
// built.
//
// unixODBC reads ODBCSYSINI once per process and keeps every odbc.ini answer for 20 seconds. So
// the configuration directory is shared by all instances in a process, and a test that writes
// odbc.ini must use data-source names no other test reads (UniqueName).
class OdbcTestEnvironment {
 public:
  static constexpr const char* kSqliteDriver = "SQLite3 Test";
  static constexpr const char* kAccessDriver = "Microsoft Access Driver (*.mdb)";
  // Registered with a driver and a setup library that do not exist.
  static constexpr const char* kBrokenSetupDriver = "Brivanto Broken Setup";

  // Points the ODBC environment variables at the configuration directory, empties odbc.ini and
  // makes a fresh work directory. Construct it before the first ODBC call of the test.
  OdbcTestEnvironment();
  OdbcTestEnvironment(const OdbcTestEnvironment&) = delete;
  OdbcTestEnvironment& operator=(const OdbcTestEnvironment&) = delete;
  // Removes the work directory and everything in it.
  ~OdbcTestEnvironment();

  const std::filesystem::path& WorkDirectory() const { return workDirectory_; }

  static std::filesystem::path ConfigDirectory();
  // The system odbc.ini that SQLGetPrivateProfileString reads in ODBC_SYSTEM_DSN mode.
  static std::filesystem::path OdbcIniPath();
  static void WriteOdbcIni(std::string_view content);
  static void RemoveOdbcIni();
  // The user odbc.ini (ODBCINI), which system-DSN reads must not see.
  static void WriteUserOdbcIni(std::string_view content);
  // `stem` followed by a number no earlier call in this process returned.
  static std::string UniqueName(std::string_view stem);

  // A SQLite file in the work directory holding tblSettings(Section, sKey, Value) with `rows`.
  std::filesystem::path CreateSettingsDatabase(std::string_view fileName,
                                               const std::vector<SettingsRow>& rows) const;
  // The rows of tblSettings in insertion order, read straight from the file without ODBC.
  static std::vector<SettingsRow> ReadSettings(const std::filesystem::path& database);

  static std::string SqliteConnectionText(const std::filesystem::path& database);
  static bool AccessStandInBuilt();
  static std::string AccessConnectionText(const std::filesystem::path& database);

  // How many file descriptors of this process refer to `file`.
  static int OpenDescriptorCount(const std::filesystem::path& file);

 private:
  std::filesystem::path workDirectory_;
};

// Sets an environment variable for as long as it lives, such as a switch the Access stand-in
// reads at every call, or unsets it for nullopt; the value it had before comes back afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, std::optional<std::string> value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> before_;
};

}  // namespace brivanto::testing
