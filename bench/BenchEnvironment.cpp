#include "BenchEnvironment.h"

#include <sqlite3.h>

#include <chrono>
#include <ctime>
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

ports::LocalDateTime SystemClock::Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::uint32_t SteadyTicks::GetTickCount() {
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

}  // namespace brivanto::bench
