#include "StressSupport.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace brivanto::stress {

int Violations::Finish(const char* program) const {
  if (count_ == 0) {
    std::printf("%s: PASS\n", program);
    return 0;
  }
  std::printf("%s: FAIL (%d violations)\n", program, count_);
  return 1;
}

int RecordingMessageBox::Show(const std::string& text, int style, const std::string& /*title*/) {
  ++shown;
  lastText = text;
  lastStyle = style;
  return ports::message_box::kAnswerOk;
}

SqliteFile::SqliteFile(const std::filesystem::path& path, int flags) {
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  database_.reset(raw);
  if (opened != SQLITE_OK) {
    throw std::runtime_error("cannot open " + path.string() + ": " + sqlite3_errstr(opened));
  }
}

void SqliteFile::Execute(const std::string& sql) {
  if (TryExecute(sql) != SQLITE_OK) {
    throw std::runtime_error(sql + ": " + sqlite3_errmsg(Get()));
  }
}

int SqliteFile::TryExecute(const std::string& sql) {
  return sqlite3_exec(Get(), sql.c_str(), nullptr, nullptr, nullptr);
}

std::vector<std::string> SqliteFile::Rows(const std::string& sql) {
  std::vector<std::string> rows;
  const auto collect = [](void* target, int columns, char** values, char** /*names*/) {
    std::string row;
    for (int column = 0; column < columns; ++column) {
      row += (column > 0 ? "|" : "");
      row += values[column] != nullptr ? values[column] : "NULL";
    }
    static_cast<std::vector<std::string>*>(target)->push_back(std::move(row));
    return 0;
  };
  if (sqlite3_exec(Get(), sql.c_str(), collect, &rows, nullptr) != SQLITE_OK) {
    throw std::runtime_error(sql + ": " + sqlite3_errmsg(Get()));
  }
  return rows;
}

std::set<std::string> ListTree(const std::filesystem::path& folder) {
  std::set<std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    entries.insert(std::filesystem::relative(entry.path(), folder).string());
  }
  return entries;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  if (!(statm >> pages >> resident)) {
    throw std::runtime_error("cannot read /proc/self/statm");
  }
  return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace brivanto::stress
