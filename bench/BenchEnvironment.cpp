#include "BenchEnvironment.h"

#include <sqlite3.h>
#include <stdlib.h>  // mkdtemp, setenv

#include <fstream>
#include <memory>
#include <stdexcept>
#include <system_error>

namespace brivanto::bench {
namespace {

std::filesystem::path MakeTemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "brivanto-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "mkdtemp");
  }
  return pattern;
}

}  // namespace

void WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << content;
  if (!file.flush()) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

BenchEnvironment::BenchEnvironment() : folder_(MakeTemporaryFolder()) {
  const std::string driver = BRIVANTO_ACCESS_STANDIN;
  WriteFile(folder_ / "odbcinst.ini",
            "[Microsoft Access Driver (*.mdb)]\nDriver=" + driver + "\nSetup=" + driver + "\n");
  WriteFile(folder_ / "odbc.ini", "");
  WriteFile(folder_ / "user-odbc.ini", "");
  setenv("ODBCSYSINI", folder_.c_str(), 1);
  setenv("ODBCINSTINI", "odbcinst.ini", 1);
  setenv("ODBCINI", (folder_ / "user-odbc.ini").c_str(), 1);
}

BenchEnvironment::~BenchEnvironment() {
  std::error_code ignored;  // a folder left in /tmp is no reason to fail the figures
  std::filesystem::remove_all(folder_, ignored);
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
