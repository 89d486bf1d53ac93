#include "OdbcTestEnvironment.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <system_error>

namespace brivanto::testing {
namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, std::string_view content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << content;
  if (!file.flush()) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

std::string DriverSection(const char* name, const std::string& library) {
  return std::string("[") + name + "]\nDriver=" + library + "\nSetup=" + library + "\n\n";
}

std::string DriverRegistrations() {
  std::string text = DriverSection(OdbcTestEnvironment::kSqliteDriver, BRIVANTO_SQLITE_ODBC_DRIVER);
  text +=
      DriverSection(OdbcTestEnvironment::kBrokenSetupDriver, "/nonexistent/libbrivanto-setup.so");
#ifdef BRIVANTO_ACCESS_STANDIN_DRIVER
  text += DriverSection(OdbcTestEnvironment::kAccessDriver, BRIVANTO_ACCESS_STANDIN_DRIVER);
#endif
  return text;
}

// One directory per process, made on first use and removed at exit.
class ConfigDirectoryOwner {
 public:
  ConfigDirectoryOwner() {
    std::string pattern = (fs::temp_directory_path() / "brivanto-odbc-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot create a temporary ODBC configuration directory");
    }
    path_ = pattern;
    WriteFile(path_ / "odbcinst.ini", DriverRegistrations());
    WriteFile(path_ / "odbc.ini", "");
    WriteFile(path_ / "user-odbc.ini", "");
    setenv("ODBCSYSINI", path_.c_str(), 1);
    setenv("ODBCINSTINI", "odbcinst.ini", 1);
    setenv("ODBCINI", (path_ / "user-odbc.ini").c_str(), 1);
  }
  ConfigDirectoryOwner(const ConfigDirectoryOwner&) = delete;
  ConfigDirectoryOwner& operator=(const ConfigDirectoryOwner&) = delete;
  ~ConfigDirectoryOwner() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }

  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

const fs::path& SharedConfigDirectory() {
  static const ConfigDirectoryOwner owner;
  return owner.Path();
}

struct SqliteCloser {
  void operator()(sqlite3* database) const { sqlite3_close(database); }
};
struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using SqliteDatabase = std::unique_ptr<sqlite3, SqliteCloser>;
using SqliteStatement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

SqliteDatabase OpenSqlite(const fs::path& path, int flags) {
  sqlite3* raw = nullptr;
  const int result = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  SqliteDatabase database(raw);
  if (result != SQLITE_OK) {
    throw std::runtime_error("cannot open " + path.string() + ": " + sqlite3_errstr(result));
  }
  return database;
}

SqliteStatement Prepare(sqlite3* database, const char* sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(database, sql, -1, &raw, nullptr) != SQLITE_OK) {
    throw std::runtime_error(std::string("cannot prepare: ") + sqlite3_errmsg(database));
  }
  return SqliteStatement(raw);
}

void BindOptionalText(sqlite3_stmt* statement, int index, const std::optional<std::string>& text) {
  if (text) {
    sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()),
                      SQLITE_TRANSIENT);
  } else {
    sqlite3_bind_null(statement, index);
  }
}

std::optional<std::string> ColumnText(sqlite3_stmt* statement, int column) {
  if (sqlite3_column_type(statement, column) == SQLITE_NULL) {
    return std::nullopt;
  }
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

}  // namespace

OdbcTestEnvironment::OdbcTestEnvironment() {
  WriteOdbcIni("");
  WriteUserOdbcIni("");
  workDirectory_ = SharedConfigDirectory() / UniqueName("work-");
  fs::create_directory(workDirectory_);
}

OdbcTestEnvironment::~OdbcTestEnvironment() {
  std::error_code ignored;
  fs::remove_all(workDirectory_, ignored);
}

fs::path OdbcTestEnvironment::ConfigDirectory() {
  return SharedConfigDirectory();
}

fs::path OdbcTestEnvironment::OdbcIniPath() {
  return SharedConfigDirectory() / "odbc.ini";
}

void OdbcTestEnvironment::WriteOdbcIni(std::string_view content) {
  WriteFile(OdbcIniPath(), content);
}

void OdbcTestEnvironment::RemoveOdbcIni() {
  fs::remove(OdbcIniPath());
}

void OdbcTestEnvironment::WriteUserOdbcIni(std::string_view content) {
  WriteFile(SharedConfigDirectory() / "user-odbc.ini", content);
}

std::string OdbcTestEnvironment::UniqueName(std::string_view stem) {
  static std::atomic<int> counter{0};
  return std::string(stem) + std::to_string(++counter);
}

fs::path OdbcTestEnvironment::CreateSettingsDatabase(std::string_view fileName,
                                                     const std::vector<SettingsRow>& rows) const {
  fs::path path = workDirectory_ / fileName;
  const SqliteDatabase database = OpenSqlite(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  if (sqlite3_exec(database.get(), "CREATE TABLE tblSettings(Section text, sKey text, Value text)",
                   nullptr, nullptr, nullptr) != SQLITE_OK) {
    throw std::runtime_error(std::string("cannot create tblSettings: ") +
                             sqlite3_errmsg(database.get()));
  }
  const SqliteStatement insert =
      Prepare(database.get(), "INSERT INTO tblSettings(Section, sKey, Value) VALUES(?, ?, ?)");
  for (const SettingsRow& row : rows) {
    BindOptionalText(insert.get(), 1, row.section);
    BindOptionalText(insert.get(), 2, row.key);
    BindOptionalText(insert.get(), 3, row.value);
    if (sqlite3_step(insert.get()) != SQLITE_DONE) {
      throw std::runtime_error(std::string("cannot insert: ") + sqlite3_errmsg(database.get()));
    }
    sqlite3_reset(insert.get());
  }
  return path;
}

std::vector<SettingsRow> OdbcTestEnvironment::ReadSettings(const fs::path& database) {
  const SqliteDatabase connection = OpenSqlite(database, SQLITE_OPEN_READONLY);
  const SqliteStatement select =
      Prepare(connection.get(), "SELECT Section, sKey, Value FROM tblSettings ORDER BY rowid");
  std::vector<SettingsRow> rows;
  while (sqlite3_step(select.get()) == SQLITE_ROW) {
    rows.push_back(
        {ColumnText(select.get(), 0), ColumnText(select.get(), 1), ColumnText(select.get(), 2)});
  }
  return rows;
}

std::string OdbcTestEnvironment::SqliteConnectionText(const fs::path& database) {
  return std::string("Driver={") + kSqliteDriver + "};Database=" + database.string();
}

bool OdbcTestEnvironment::AccessStandInBuilt() {
#ifdef BRIVANTO_ACCESS_STANDIN_DRIVER
  return fs::exists(BRIVANTO_ACCESS_STANDIN_DRIVER);
#else
  return false;
#endif
}

std::string OdbcTestEnvironment::AccessConnectionText(const fs::path& database) {
  return std::string("Driver={") + kAccessDriver + "};DBQ=" + database.string();
}

int OdbcTestEnvironment::OpenDescriptorCount(const fs::path& file) {
  const fs::path target = fs::canonical(file);
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code unreadable;
    const fs::path opened = fs::read_symlink(entry.path(), unreadable);
    if (!unreadable && opened == target) {
      ++count;
    }
  }
  return count;
}

ScopedEnvironment::ScopedEnvironment(const char* name, std::optional<std::string> value)
    : name_(name) {
  if (const char* before = std::getenv(name)) {
    before_ = before;
  }
  if (value) {
    ::setenv(name, value->c_str(), 1);
  } else {
    ::unsetenv(name);
  }
}

ScopedEnvironment::~ScopedEnvironment() {
  if (before_) {
    ::setenv(name_.c_str(), before_->c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
}

}  // namespace brivanto::testing
