#pragma once

#include <filesystem>
#include <string>

#include "OdbcTestEnvironment.h"

namespace brivanto::bench {

// The benchmarks run in the tests' private unixODBC configuration, which registers the Access
// stand-in; construct it before the first ODBC call.
using BenchEnvironment = testing::OdbcTestEnvironment;

void WriteFile(const std::filesystem::path& path, const std::string& content);

// Runs `sql` on a new SQLite file (or an existing one) at `path`; throws on failure.
void RunSqlite(const std::filesystem::path& path, const std::string& sql);

}  // namespace brivanto::bench
