#include "FaultSupport.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ports/Failure.h"

namespace brivanto::testing {
namespace {

namespace fs = std::filesystem;

struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Sqlite = std::unique_ptr<sqlite3, SqliteCloser>;

Sqlite OpenSqlite(const std::string& database) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(database.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  Sqlite db(raw);
  EXPECT_EQ(rc, SQLITE_OK) << database << ": " << sqlite3_errmsg(raw);
  return db;
}

int AppendRow(void* rows, int count, char** values, char** /*names*/) {
  std::string row;
  for (int i = 0; i < count; ++i) {
    row += std::string(values[i] != nullptr ? values[i] : "NULL") + "|";
  }
  static_cast<std::vector<std::string>*>(rows)->push_back(row);
  return 0;
}

std::vector<std::string> Query(sqlite3* db, const std::string& sql) {
  std::vector<std::string> rows;
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), AppendRow, &rows, &error), SQLITE_OK)
      << sql << ": " << (error != nullptr ? error : "");
  sqlite3_free(error);
  return rows;
}

class FaultyConnection : public ports::Connection {
 public:
  FaultyConnection(std::unique_ptr<ports::Connection> real, std::string failingSql)
      : real_(std::move(real)), failingSql_(std::move(failingSql)) {}
  void SetCursorLocation(ports::CursorLocation location) override {
    real_->SetCursorLocation(location);
  }
  void Open(const std::string& text) override { real_->Open(text); }
  bool IsOpen() const override { return real_->IsOpen(); }
  std::unique_ptr<ports::Recordset> Execute(const std::string& sql,
                                            std::int32_t* affected) override {
    return real_->Execute(Checked(sql), affected);
  }
  std::int32_t ExecuteWithParameters(const std::string& sql,
                                     const std::vector<std::string>& parameters) override {
    return real_->ExecuteWithParameters(Checked(sql), parameters);
  }
  std::unique_ptr<ports::Recordset> OpenRecordset(const std::string& sql, ports::CursorType type,
                                                  ports::LockType lock) override {
    return real_->OpenRecordset(Checked(sql), type, lock);
  }

 private:
  // The failure is the driver's own: the same statement with a syntax error in front.
  std::string Checked(const std::string& sql) const {
    return sql == failingSql_ ? "injected " + sql : sql;
  }
  std::unique_ptr<ports::Connection> real_;
  std::string failingSql_;
};

}  // namespace

std::vector<std::string> AllRows(const std::string& database) {
  const Sqlite db = OpenSqlite(database);
  std::vector<std::string> rows;
  for (const auto& table :
       Query(db.get(), "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name")) {
    const auto name = table.substr(0, table.size() - 1);
    rows.push_back("table " + name);
    for (const auto& row : Query(db.get(), "SELECT * FROM \"" + name + "\" ORDER BY rowid")) {
      rows.push_back(row);
    }
  }
  return rows;
}

void ExecuteSqlite(const std::string& database, const std::string& sql) {
  const Sqlite db = OpenSqlite(database);
  Query(db.get(), sql);
}

std::vector<std::string> LeftoverTemporaries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const auto name = entry.path().filename().string();
    if (name.starts_with(".brivanto-repair-") || name.find(".partial-") != std::string::npos) {
      names.push_back(name);
    }
  }
  return names;
}

SqliteLock::SqliteLock(const std::string& database) {
  EXPECT_EQ(sqlite3_open_v2(database.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
}

SqliteLock::~SqliteLock() {
  // Closing rolls the open transaction back and releases the lock; nothing is left to report.
  sqlite3_close_v2(db_);
}

std::unique_ptr<ports::AppendFile> FaultyFileSystem::OpenForAppend(const std::string& path) {
  struct Counting : ports::AppendFile {
    std::unique_ptr<ports::AppendFile> real;
    FaultyFileSystem* owner;
    void WriteLine(std::string_view line) override {
      if (++owner->linesWritten_ == owner->failingLogLine) {
        throw Failure(failure_codes::kFileAccess, "No space left on device");
      }
      real->WriteLine(line);
    }
  };
  auto file = std::make_unique<Counting>();
  file->real = real_.OpenForAppend(path);
  file->owner = this;
  return file;
}

ports::NewFilesOutcome FaultyFileSystem::CopyToNewFiles(
    const std::vector<ports::FileCopy>& copies) {
  return copyFault ? copyFault(real_, copies) : real_.CopyToNewFiles(copies);
}

std::unique_ptr<ports::Connection> FaultyDatabase::CreateConnection() {
  return std::make_unique<FaultyConnection>(real_.CreateConnection(), failingSql);
}

ports::NewFilesOutcome CopyWithFileSizeLimit(ports::FileSystem& real,
                                             const std::vector<ports::FileCopy>& copies,
                                             std::size_t bytes) {
  rlimit old{};
  EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  // Without this the write past the limit would end the test program instead of failing.
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = old;
  limited.rlim_cur = bytes;
  EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  struct Restore {
    rlimit limit;
    sighandler_t handler;
    ~Restore() {
      EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
      EXPECT_NE(::signal(SIGXFSZ, handler), SIG_ERR);
    }
  } restore{old, oldHandler};
  return real.CopyToNewFiles(copies);
}

ports::NewFilesOutcome CopyWithNameTakenBeforeRename(ports::FileSystem& real,
                                                     const std::vector<ports::FileCopy>& copies) {
  // The database reaches the copy through a pipe, so the copy cannot finish before the intruder
  // has taken the name: the intruder takes it once the copy has checked the names and opened
  // its source, and only then hands over the content.
  const auto pipe = fs::temp_directory_path() / ("brivanto-pipe-" + std::to_string(::getpid()));
  EXPECT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  auto group = copies;
  group.back().source = pipe.string();
  std::thread intruder([&] {
    std::ofstream out(pipe, std::ios::binary);
    fs::create_directory(copies.back().target);
    std::ifstream in(copies.back().source, std::ios::binary);
    out << in.rdbuf();
  });
  const auto outcome = real.CopyToNewFiles(group);
  intruder.join();
  fs::remove(pipe);
  return outcome;
}

}  // namespace brivanto::testing
