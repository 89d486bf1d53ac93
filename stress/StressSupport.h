#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ports/MessageDialog.h"

namespace brivanto::stress {

// Counts broken promises; prints the first few in full so a long run stays readable.
class Violations {
 public:
  // printf's format attribute lets the compiler check every caller's arguments against it.
  __attribute__((format(printf, 3, 4))) void Check(bool holds, const char* format, ...) {
    if (holds) {
      return;
    }
    if (++count_ <= kPrinted) {
      std::fprintf(stderr, "VIOLATION: ");
      std::va_list args;
      va_start(args, format);
      std::vfprintf(stderr, format, args);
      va_end(args);
      std::fputc('\n', stderr);
    }
  }
  int Count() const { return count_; }
  // Prints the verdict; the program's exit code.
  int Finish(const char* program) const;

 private:
  static constexpr int kPrinted = 20;
  int count_ = 0;
};

// Answers every box with OK and keeps what the window said.
class RecordingMessageBox : public ports::MessageDialog {
 public:
  int Show(const std::string& text, int style, const std::string& title) override;

  int shown = 0;
  std::string lastText;
  int lastStyle = -1;
};

struct SqliteCloser {
  void operator()(sqlite3* database) const { sqlite3_close(database); }
};

// A direct SQLite connection, past ODBC, to prepare and inspect the databases.
class SqliteFile {
 public:
  SqliteFile(const std::filesystem::path& path, int flags);
  // Throws with SQLite's message.
  void Execute(const std::string& sql);
  // The SQLite result code, for callers that expect failures.
  int TryExecute(const std::string& sql);
  // Every row of `sql`, its columns joined by '|'.
  std::vector<std::string> Rows(const std::string& sql);
  sqlite3* Get() const { return database_.get(); }

 private:
  std::unique_ptr<sqlite3, SqliteCloser> database_;
};

// Every path below `folder`, relative to it, folders included.
std::set<std::string> ListTree(const std::filesystem::path& folder);
std::string ReadWholeFile(const std::filesystem::path& path);
// The resident set of this process, from /proc/self/statm.
long ResidentBytes();

class Stopwatch {
 public:
  double Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace brivanto::stress
