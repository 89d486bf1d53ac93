// Runs the SQL console over and over through the window's logic and the real Linux services,
// queries, statements and failures in turn, checks each listing, and fails if the resident
// memory grows by more than a small bound after a warm-up.
// Usage: stress_console [RUNS]

#include <cstdlib>

#include "LinuxServices.h"
#include "OdbcTestEnvironment.h"
#include "StressSupport.h"
#include "app/TextOnlyView.h"
#include "app/frmRepairDb.h"
#include "maintenance/ResultLines.h"

namespace {

namespace fs = std::filesystem;
using namespace brivanto;

constexpr int kWarmUpRuns = 100;
constexpr long kAllowedGrowthBytes = 5L * 1024 * 1024;
constexpr int kRows = 200;
// Start, blank, spacer, count and blank of the result set, two blanks and the end line.
constexpr std::size_t kQueryFrameLines = 8;

struct Run {
  const char* query;
  // The line the listing must hold, or nothing for a failure, which ends the listing instead.
  std::string expected;
  std::size_t lines;
};

const std::vector<Run>& Turns() {
  static const std::vector<Run> turns = {
      {"select * from tblItems", maintenance::CountLine(kRows), kRows + kQueryFrameLines},
      {"update tblItems set amount = amount + 1 where id <= 10", maintenance::AffectedLine(10), 8},
      {"select * from tblMissing", "", 0},
      {"insert into tblItems (name, amount) values (\"extra\", 1.5)", maintenance::AffectedLine(1),
       8},
      {"SELECT name, amount FROM tblItems WHERE name = \"item 7\"", maintenance::CountLine(1),
       1 + kQueryFrameLines},
      {"delete from tblItems where name = 'extra'", maintenance::AffectedLine(1), 8},
      {"updte tblItems set amount = 0", "", 0},
  };
  return turns;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 1000;
  stress::Violations violations;
  testing::OdbcTestEnvironment environment;
  const fs::path database = environment.WorkDirectory() / "BrivantoDb.mdb";
  stress::SqliteFile(database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)
      .Execute(
          "CREATE TABLE tblSettings (Section TEXT, sKey TEXT, Value TEXT);"
          "CREATE TABLE tblItems (id INTEGER PRIMARY KEY, name TEXT, amount REAL, at TEXT);"
          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
          std::to_string(kRows) +
          ") INSERT INTO tblItems (name, amount, at) SELECT 'item ' || i, i / 3.0,"
          " '2024-02-29 13:45:07' FROM n;");

  stress::RecordingMessageBox messages;
  qt::LinuxServices services;
  services.settings = posix::IniSettingsStore(environment.WorkDirectory() / "config");
  services.repairLogPath = (environment.WorkDirectory() / "repairBrivanto.log").string();
  app::TextOnlyView view;
  app::frmRepairDb form(view, services.Bundle(messages));
  view.SetPathText(database.string());
  form.txtPath_Change();

  long baseline = 0;
  long peak = 0;
  int failures = 0;
  stress::Stopwatch stopwatch;
  for (int run = 0; run < runs; ++run) {
    if (run == kWarmUpRuns) {
      baseline = stress::ResidentBytes();
    }
    const auto& turn = Turns()[static_cast<std::size_t>(run) % Turns().size()];
    view.SetQueryText(turn.query);
    form.cmdExecute_Click();
    auto& results = view.Results();
    const std::string last =
        results.Count() == 0 ? std::string() : std::string(results.Line(results.Count() - 1));
    if (turn.expected.empty()) {
      ++failures;
      violations.Check(results.Count() > 0 && last.rfind("Einde Query", 0) != 0,
                       "run %d: '%s' did not end in a failure line: '%s'", run, turn.query,
                       last.c_str());
    } else {
      bool found = false;
      for (std::size_t line = 0; line < results.Count(); ++line) {
        found = found || results.Line(line) == turn.expected;
      }
      violations.Check(found && results.Count() == turn.lines,
                       "run %d: '%s' listed %zu lines without '%s'; last: '%s'", run, turn.query,
                       results.Count(), turn.expected.c_str(), last.c_str());
    }
    peak = std::max(peak, stress::ResidentBytes());
  }
  const long end = stress::ResidentBytes();
  const long growth = end - baseline;
  violations.Check(runs > kWarmUpRuns, "%d runs leave nothing after the %d warm-up runs", runs,
                   kWarmUpRuns);
  violations.Check(messages.shown == 0, "the console showed %d message boxes", messages.shown);
  violations.Check(growth <= kAllowedGrowthBytes, "resident memory grew by %ld bytes", growth);
  constexpr double kMegabyte = 1024.0 * 1024.0;
  std::printf(
      "console: %d runs (%d failures) in %.1f s; resident after %d runs %.2f MB, at the"
      " end %.2f MB, growth %.3f MB (allowed %.0f MB), peak %.2f MB\n",
      runs, failures, stopwatch.Seconds(), kWarmUpRuns, baseline / kMegabyte, end / kMegabyte,
      growth / kMegabyte, kAllowedGrowthBytes / kMegabyte, peak / kMegabyte);
  std::printf("runs=%d failures=%d rss_warm_mb=%.2f rss_end_mb=%.2f growth_mb=%.3f violations=%d\n",
              runs, failures, baseline / kMegabyte, end / kMegabyte, growth / kMegabyte,
              violations.Count());
  return violations.Finish("stress_console");
}
