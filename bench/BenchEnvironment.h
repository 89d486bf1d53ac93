#pragma once

#include <filesystem>
#include <string>

namespace brivanto::bench {

// A temporary folder with a private unixODBC configuration that registers the Access stand-in,
// removed again when the benchmark ends. Construct it before the first ODBC call.
class BenchEnvironment {
 public:
  BenchEnvironment();
  BenchEnvironment(const BenchEnvironment&) = delete;
  BenchEnvironment& operator=(const BenchEnvironment&) = delete;
  ~BenchEnvironment();

  const std::filesystem::path& Folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
};

void WriteFile(const std::filesystem::path& path, const std::string& content);

// Runs `sql` on a new SQLite file (or an existing one) at `path`; throws on failure.
void RunSqlite(const std::filesystem::path& path, const std::string& sql);

}  // namespace brivanto::bench
