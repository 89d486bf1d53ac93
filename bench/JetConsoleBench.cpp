// Lists "Select * from" a table of N rows of a real Access (Jet 4) file through the SQL console,
// over the real ODBC layer, the Access stand-in and MDB Tools behind it, and times MDB Tools' own
// mdb-export of the same table. Usage: bench_jet_console [rows ...]   (default: 10000 100000)

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "BenchEnvironment.h"
#include "JetFile.h"
#include "OdbcDatabase.h"
#include "database/ConnectionHolder.h"
#include "database/ConnectionText.h"
#include "maintenance/ResultLines.h"
#include "maintenance/SqlConsole.h"

namespace {

namespace fs = std::filesystem;
namespace jet = brivanto::testing::jet;
using namespace brivanto;
using Stopwatch = std::chrono::steady_clock;

constexpr int kRepetitions = 3;
// Lines of a run besides its rows: start, blank, spacer, count, three blanks and the end line.
constexpr std::size_t kFrameLines = 8;

double MillisecondsSince(Stopwatch::time_point start) {
  return std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
}

class Lines : public ports::ResultList {
 public:
  void Clear() override { lines_.clear(); }
  void Append(std::string_view line) override { lines_.emplace_back(line); }
  std::size_t Count() const override { return lines_.size(); }
  std::string_view Line(std::size_t index) const override { return lines_.at(index); }
  bool IsSelected(std::size_t) const override { return false; }

 private:
  std::vector<std::string> lines_;
};

// Three columns, one of them NULL in every tenth row.
void WriteTable(const fs::path& file, std::size_t rows) {
  jet::Table table{"tblBig", {{"Id", jet::ColumnType::Long}, {"Name"}, {"Note"}}, {}};
  table.rows.reserve(rows);
  for (std::size_t row = 0; row < rows; ++row) {
    table.rows.push_back({std::to_string(row), "Artikel " + std::to_string(row),
                          row % 10 == 0 ? jet::Value() : jet::Value("opmerking")});
  }
  jet::WriteJetFile(file, jet::Version::Jet4, {table});
}

double TimeConsole(const std::string& connectionText, std::size_t rows) {
  bench::SystemClock clock;
  bench::SteadyTicks ticks;
  Lines lines;
  const auto start = Stopwatch::now();
  {
    odbc::OdbcDatabase database;
    database::ConnectionHolder connection;
    connection.Replace(database.CreateConnection());
    connection.Get().Open(connectionText);
    maintenance::SqlConsole(lines, connection, clock, ticks).Run("Select * from tblBig");
  }
  const double elapsed = MillisecondsSince(start);
  if (lines.Count() != rows + kFrameLines ||
      lines.Line(rows + 3) != maintenance::CountLine(static_cast<std::int32_t>(rows))) {
    throw std::runtime_error("the console listed " + std::to_string(lines.Count()) + " lines");
  }
  return elapsed;
}

double TimeMdbExport(const fs::path& file) {
  const std::string command = "mdb-export '" + file.string() + "' tblBig > /dev/null";
  const auto start = Stopwatch::now();
  const int status = std::system(command.c_str());
  const double elapsed = MillisecondsSince(start);
  if (status != 0) {
    throw std::runtime_error("mdb-export failed with status " + std::to_string(status));
  }
  return elapsed;
}

}  // namespace

int main(int argc, char** argv) try {
  std::vector<std::size_t> sizes;
  for (int i = 1; i < argc; ++i) {
    sizes.push_back(std::stoul(argv[i]));
  }
  if (sizes.empty()) {
    sizes = {10'000, 100'000};
  }
  bench::BenchEnvironment environment;
  for (const std::size_t rows : sizes) {
    const fs::path file = environment.WorkDirectory() / ("jet" + std::to_string(rows) + ".mdb");
    WriteTable(file, rows);
    const std::string connectionText = database::ConnectionText(file.string());
    double console = 1e300;
    double exported = 1e300;
    for (int repetition = 0; repetition < kRepetitions; ++repetition) {
      exported = std::min(exported, TimeMdbExport(file));
      console = std::min(console, TimeConsole(connectionText, rows));
    }
    std::printf("rows=%zu console_ms=%.1f mdb_export_ms=%.1f console_vs_mdb_export=%.2f\n", rows,
                console, exported, console / exported);
  }
  return 0;
} catch (const std::exception& error) {
  std::cerr << "bench_jet_console: " << error.what() << '\n';
  return 1;
}
