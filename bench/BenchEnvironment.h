#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "OdbcTestEnvironment.h"
#include "ports/Clock.h"

namespace brivanto::bench {

// The benchmarks run in the tests' private unixODBC configuration, which registers the Access
// stand-in; construct it before the first ODBC call.
using BenchEnvironment = testing::OdbcTestEnvironment;

void WriteFile(const std::filesystem::path& path, const std::string& content);

// Runs `sql` on a new SQLite file (or an existing one) at `path`; throws on failure.
void RunSqlite(const std::filesystem::path& path, const std::string& sql);

// The real local time and a millisecond tick counter, as the window's services give them.
class SystemClock : public ports::Clock {
 public:
  ports::LocalDateTime Now() override;
};

class SteadyTicks : public ports::TickCounter {
 public:
  std::uint32_t GetTickCount() override;
};

}  // namespace brivanto::bench
