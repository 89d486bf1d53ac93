// Repairs one database many times in a row through the window's logic over the real Linux
// services: each repair appends exactly one well-formed block to the log and leaves the older
// bytes alone, the file keeps its inode and every row, and each repair leaves exactly one new
// backup under the first free name of its second.
// Usage: stress_repeated_repairs [REPAIRS]

#include <sys/stat.h>

#include <cstdlib>
#include <map>

#include "LinuxServices.h"
#include "OdbcTestEnvironment.h"
#include "StressSupport.h"
#include "app/TextOnlyView.h"
#include "app/frmRepairDb.h"
#include "repair/RepairLog.h"

namespace {

namespace fs = std::filesystem;
using namespace brivanto;

constexpr const char* kUsers[] = {"Anna", "Bram de Vries"};

std::vector<std::string> Snapshot(const fs::path& database) {
  stress::SqliteFile file(database, SQLITE_OPEN_READONLY);
  auto rows = file.Rows("SELECT rowid, * FROM tblSettings ORDER BY rowid");
  for (auto& row : file.Rows("SELECT rowid, name, hex(data) FROM tblDocs ORDER BY rowid")) {
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string Block(const ports::LocalDateTime& now) {
  std::string block = repair::HeaderLine(now) + "\r\n";
  block += repair::LoggedOnCountLine(static_cast<std::int32_t>(std::size(kUsers))) + "\r\n";
  for (const auto* user : kUsers) {
    block += repair::LoggedOnUserLine(std::string(user)) + "\r\n";
  }
  return block += std::string(repair::kClosingLine) + "\r\n";
}

ino_t Inode(const fs::path& file) {
  struct stat status {};
  return stat(file.c_str(), &status) == 0 ? status.st_ino : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int repairs = argc > 1 ? std::atoi(argv[1]) : 1000;
  stress::Violations violations;
  testing::OdbcTestEnvironment environment;
  const fs::path folder = environment.WorkDirectory() / "data";
  fs::create_directory(folder);
  const fs::path database = folder / "BrivantoDb.mdb";
  {
    stress::SqliteFile file(database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    file.Execute(
        "CREATE TABLE tblSettings (Section TEXT, sKey TEXT, Value TEXT);"
        "INSERT INTO tblSettings VALUES ('License', 'LoggedOn1', 'Anna'),"
        " ('License', 'LoggedOn2', 'Bram de Vries'), ('License', 'Seats', '5'),"
        " ('Storage', 'DocumentPath', '/srv/images');"
        "CREATE TABLE tblDocs (id INTEGER PRIMARY KEY, name TEXT, data BLOB);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300)"
        " INSERT INTO tblDocs (name, data) SELECT 'document ' || i, randomblob(i % 97) FROM n;");
  }
  const auto rows = Snapshot(database);
  const auto inode = Inode(database);

  stress::RecordingMessageBox messages;
  qt::LinuxServices services;
  services.settings = posix::IniSettingsStore(environment.WorkDirectory() / "config");
  services.repairLogPath = (environment.WorkDirectory() / "state" / "repairBrivanto.log").string();
  app::TextOnlyView view;
  app::frmRepairDb form(view, services.Bundle(messages));
  view.SetPathText(database.string());
  form.txtPath_Change();

  std::string log;
  auto files = stress::ListTree(folder);
  std::map<std::string, int> backupsPerSecond;
  const std::string backupStart = database.filename().string() + ".";
  constexpr std::size_t kStampLength = 15;  // yyyymmdd-hhmmss
  stress::Stopwatch stopwatch;
  for (int repair = 1; repair <= repairs; ++repair) {
    const auto before = services.clock.Now();
    form.cmdRepair_Click();
    const auto after = services.clock.Now();
    violations.Check(messages.lastStyle == ports::message_box::kOk &&
                         messages.lastText == repair::FinishedMessage(services.repairLogPath),
                     "repair %d: '%s' (%s)", repair, messages.lastText.c_str(),
                     form.LastRepairFailure().c_str());

    const auto grown = stress::ReadWholeFile(services.repairLogPath);
    const bool keptOlder = grown.compare(0, log.size(), log) == 0;
    violations.Check(keptOlder, "repair %d: the older log bytes changed", repair);
    const auto block = keptOlder ? grown.substr(log.size()) : std::string();
    violations.Check(block == Block(before) || block == Block(after),
                     "repair %d: appended block is not one well-formed block:\n%s", repair,
                     block.c_str());
    log = grown;

    violations.Check(Inode(database) == inode, "repair %d: the database has a new inode", repair);
    violations.Check(Snapshot(database) == rows, "repair %d: the rows changed", repair);

    const auto now = stress::ListTree(folder);
    std::vector<std::string> added;
    for (const auto& name : now) {
      if (files.count(name) == 0) {
        added.push_back(name);
      }
    }
    violations.Check(now.size() == files.size() + 1 && added.size() == 1,
                     "repair %d: %zu new files instead of one backup", repair, added.size());
    if (added.size() == 1) {
      const auto& name = added.front();
      const auto stamp = name.substr(backupStart.size(), kStampLength);
      const int number = ++backupsPerSecond[stamp];
      const auto expected = backupStart + stamp +
                            (number > 1 ? "-" + std::to_string(number) : std::string()) + ".bak";
      violations.Check(name == expected, "repair %d: backup '%s', expected '%s'", repair,
                       name.c_str(), expected.c_str());
      violations.Check(Snapshot(folder / name) == rows, "repair %d: backup %s is not the database",
                       repair, name.c_str());
    }
    files = now;
  }
  const double seconds = stopwatch.Seconds();
  int busiestSecond = 0;
  for (const auto& [stamp, count] : backupsPerSecond) {
    busiestSecond = std::max(busiestSecond, count);
  }
  const auto blocks = static_cast<int>(log.size() / Block(services.clock.Now()).size());
  violations.Check(
      log.size() == static_cast<std::size_t>(repairs) * Block(services.clock.Now()).size(),
      "the log holds %zu bytes, not %d blocks", log.size(), repairs);
  std::printf(
      "repeated repairs: %d repairs in %.1f s (%.1f ms each), log %zu bytes, %zu backups,"
      " up to %d in one second\n",
      repairs, seconds, 1000.0 * seconds / repairs, log.size(), files.size() - 1, busiestSecond);
  std::printf(
      "repairs=%d blocks=%d backups=%zu busiest_second=%d ms_per_repair=%.1f violations=%d\n",
      repairs, blocks, files.size() - 1, busiestSecond, 1000.0 * seconds / repairs,
      violations.Count());
  return violations.Finish("stress_repeated_repairs");
}
