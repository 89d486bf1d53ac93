#include "BenchEnvironment.h"

#include <sqlite3.h>

#include <fstream>
#include <memory>
#include <stdexcept>

namespace brivanto::bench {

void WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << content;
  if (!file.flush()) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

void RunSqlite(const std::filesystem::path& path, const std::string& sql) {
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open(path.c_str(), &raw);
  const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> database(raw, sqlite3_close);
  if (opened != SQLITE_OK) {
    throw std::runtime_error("cannot open " + path.string());
  }
  char* message = nullptr;
  if (sqlite3_exec(database.get(), sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string reason = message != nullptr ? message : "unknown error";
    sqlite3_free(message);
    throw std::runtime_error(reason);
  }
}

}  // namespace brivanto::bench
