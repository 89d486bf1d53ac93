#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "StandardFileSystem.h"
#include "ports/Database.h"
#include "ports/FileSystem.h"

struct sqlite3;

namespace brivanto::testing {

// Every row of every table of a SQLite file, as text, read without ODBC.
std::vector<std::string> AllRows(const std::string& database);
// Runs `sql` on a SQLite file without ODBC; the test fails when it does not run.
void ExecuteSqlite(const std::string& database, const std::string& sql);
// The names in `folder` a repair must never leave behind: its own and the backup's temporaries.
std::vector<std::string> LeftoverTemporaries(const std::string& folder);

// Another program holding a SQLite file under an exclusive lock for as long as it lives.
class SqliteLock {
 public:
  explicit SqliteLock(const std::string& database);
  ~SqliteLock();
  SqliteLock(const SqliteLock&) = delete;
  SqliteLock& operator=(const SqliteLock&) = delete;

 private:
  ::sqlite3* db_ = nullptr;
};

// The real file system, with one fault injected where a test asks for it.
class FaultyFileSystem : public ports::FileSystem {
 public:
  // Runs in place of the real backup copy: it may fail at once, or wrap the real one.
  using CopyFault = std::function<ports::NewFilesOutcome(
      ports::FileSystem& real, const std::vector<ports::FileCopy>& copies)>;

  bool IsFile(const std::string& path) override { return real_.IsFile(path); }
  std::unique_ptr<ports::AppendFile> OpenForAppend(const std::string& path) override;
  void CopyToNewFile(const std::string& source, const std::string& target) override {
    real_.CopyToNewFile(source, target);
  }
  ports::NewFilesOutcome CopyToNewFiles(const std::vector<ports::FileCopy>& copies) override;

  CopyFault copyFault;
  // The log line, counted from 1 over the whole run, whose write fails; 0: none.
  int failingLogLine = 0;

 private:
  posix::StandardFileSystem real_;
  int linesWritten_ = 0;
};

// The real database, whose connections fail the one statement `failingSql` names.
class FaultyDatabase : public ports::Database {
 public:
  explicit FaultyDatabase(ports::Database& real) : real_(real) {}
  std::unique_ptr<ports::Connection> CreateConnection() override;
  std::string failingSql;

 private:
  ports::Database& real_;
};

// The backup copy of the real file system run with files limited to `bytes`, so it fails
// halfway through writing, as on a full disk.
ports::NewFilesOutcome CopyWithFileSizeLimit(ports::FileSystem& real,
                                             const std::vector<ports::FileCopy>& copies,
                                             std::size_t bytes);
// The real backup copy, with another program taking the backup's final name while the copy is
// written under its temporary name, so the rename is what finds the name taken.
ports::NewFilesOutcome CopyWithNameTakenBeforeRename(ports::FileSystem& real,
                                                     const std::vector<ports::FileCopy>& copies);

}  // namespace brivanto::testing
