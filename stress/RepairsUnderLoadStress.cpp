// Repairs a database while another process commits rows to it: every row whose commit the
// writer saw succeed is in the file at the end, with the value it was given. Repairs refused
// because the writer held the file are counted, not failed; every backup must open whole.
// Usage: stress_repairs_under_load [REPAIRS]

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <thread>

#include "LinuxServices.h"
#include "OdbcTestEnvironment.h"
#include "StressSupport.h"
#include "app/TextOnlyView.h"
#include "app/frmRepairDb.h"

namespace {

namespace fs = std::filesystem;
using namespace brivanto;

// One commit as the writer saw it: the row id, or minus SQLite's result code on failure.
struct Commit {
  sqlite3_int64 row;
  sqlite3_int64 sequence;
};

class Descriptor {
 public:
  explicit Descriptor(int descriptor = -1) : descriptor_(descriptor) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { Close(); }
  int Get() const { return descriptor_; }
  void Close() {
    if (descriptor_ >= 0) {
      ::close(descriptor_);
      descriptor_ = -1;
    }
  }

 private:
  int descriptor_;
};

struct Pipe {
  Pipe() {
    std::array<int, 2> ends{};
    if (::pipe(ends.data()) != 0) {
      throw std::runtime_error("pipe");
    }
    read = std::make_unique<Descriptor>(ends[0]);
    write = std::make_unique<Descriptor>(ends[1]);
  }
  std::unique_ptr<Descriptor> read;
  std::unique_ptr<Descriptor> write;
};

// The child: one connection, one row per transaction, until the stop pipe reaches its end.
int RunWriter(const fs::path& database, int acknowledgements, int stop) {
  stress::SqliteFile file(database, SQLITE_OPEN_READWRITE);
  sqlite3_busy_timeout(file.Get(), 5000);
  // Without waiting for the disk the writer commits hundreds of times a second, so repairs
  // meet it often; what other connections see of a commit does not depend on the flush.
  file.Execute("PRAGMA synchronous=OFF");
  sqlite3_stmt* raw = nullptr;
  const int prepared = sqlite3_prepare_v2(file.Get(), "INSERT INTO tblLoad (sequence) VALUES (?)",
                                          -1, &raw, nullptr);
  const std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> insert(raw, sqlite3_finalize);
  if (prepared != SQLITE_OK) {
    return 1;
  }
  fcntl(stop, F_SETFL, O_NONBLOCK);
  char ignored = 0;
  for (sqlite3_int64 sequence = 1; ::read(stop, &ignored, 1) != 0; ++sequence) {
    sqlite3_bind_int64(insert.get(), 1, sequence);
    const int result = sqlite3_step(insert.get());
    sqlite3_reset(insert.get());
    const Commit commit{result == SQLITE_DONE ? sqlite3_last_insert_rowid(file.Get()) : -result,
                        sequence};
    if (::write(acknowledgements, &commit, sizeof commit) != sizeof commit) {
      return 1;
    }
    ::usleep(1000);
  }
  return 0;
}

bool Mentions(const std::string& text, std::initializer_list<const char*> words) {
  for (const auto* word : words) {
    if (text.find(word) != std::string::npos) {
      return true;
    }
  }
  return false;
}

int Run(int argc, char** argv) {
  const int repairs = argc > 1 ? std::atoi(argv[1]) : 100;
  stress::Violations violations;
  testing::OdbcTestEnvironment environment;
  const fs::path folder = environment.WorkDirectory() / "data";
  fs::create_directory(folder);
  const fs::path database = folder / "BrivantoDb.mdb";
  stress::SqliteFile(database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)
      .Execute(
          "CREATE TABLE tblSettings (Section TEXT, sKey TEXT, Value TEXT);"
          "INSERT INTO tblSettings VALUES ('License', 'LoggedOn1', 'Anna');"
          "CREATE TABLE tblLoad (id INTEGER PRIMARY KEY, sequence INTEGER NOT NULL);");

  // Forked before this process loads any ODBC library or starts a thread.
  Pipe acknowledgements;
  Pipe stop;
  const pid_t writer = ::fork();
  if (writer == 0) {
    acknowledgements.read->Close();
    stop.write->Close();
    std::_Exit(RunWriter(database, acknowledgements.write->Get(), stop.read->Get()));
  }
  acknowledgements.write->Close();
  stop.read->Close();
  std::vector<Commit> commits;
  std::thread collector([&] {
    Commit commit{};
    while (::read(acknowledgements.read->Get(), &commit, sizeof commit) == sizeof commit) {
      commits.push_back(commit);
    }
  });

  stress::RecordingMessageBox messages;
  qt::LinuxServices services;
  services.settings = posix::IniSettingsStore(environment.WorkDirectory() / "config");
  services.repairLogPath = (environment.WorkDirectory() / "state" / "repairBrivanto.log").string();
  app::TextOnlyView view;
  app::frmRepairDb form(view, services.Bundle(messages));
  view.SetPathText(database.string());
  form.txtPath_Change();

  int succeeded = 0;
  int refusedInUse = 0;
  int repairedLogIncomplete = 0;
  int backups = 0;
  int damagedBackups = 0;
  std::map<std::string, int> reasons;
  stress::Stopwatch stopwatch;
  for (int repair = 1; repair <= repairs; ++repair) {
    // Back to back, the repairs' exclusive locks would leave the writer, whose busy handler
    // sleeps ever longer, hardly a commit; a short gap keeps the two interleaved.
    std::this_thread::sleep_for(std::chrono::milliseconds(repair % 4 * 10));
    form.cmdRepair_Click();
    const auto& reason = form.LastRepairFailure();
    if (messages.lastStyle == ports::message_box::kOk) {
      ++succeeded;
    } else if (messages.lastText.rfind("De database is gerepareerd", 0) == 0) {
      ++repairedLogIncomplete;
      ++reasons[reason];
    } else {
      const bool inUse = Mentions(reason, {"in use", "locked", "busy"});
      refusedInUse += inUse ? 1 : 0;
      ++reasons[reason];
      violations.Check(inUse, "repair %d failed for another reason: %s / %s", repair,
                       messages.lastText.c_str(), reason.c_str());
    }
    // Each backup, with the journal copied beside it, must open to a whole database.
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() != ".bak") {
        continue;
      }
      ++backups;
      std::string verdict;
      try {
        stress::SqliteFile backup(entry.path(), SQLITE_OPEN_READWRITE);
        const auto check = backup.Rows("PRAGMA integrity_check");
        verdict = check.empty() ? "no answer" : check.front();
        backup.Rows("SELECT count(*) FROM tblLoad");
      } catch (const std::exception& error) {
        verdict = error.what();
      }
      damagedBackups += verdict == "ok" ? 0 : 1;
      violations.Check(verdict == "ok", "repair %d: backup %s is damaged: %s", repair,
                       entry.path().filename().c_str(), verdict.c_str());
      fs::remove(entry.path());
      fs::remove(entry.path().string() + "-journal");
    }
  }
  const double seconds = stopwatch.Seconds();
  bool cancel = false;
  form.Form_Unload(cancel);
  stop.write->Close();
  int status = 0;
  ::waitpid(writer, &status, 0);
  collector.join();
  violations.Check(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the writer ended badly");

  std::map<sqlite3_int64, sqlite3_int64> stored;
  stress::SqliteFile file(database, SQLITE_OPEN_READWRITE);
  const auto check = file.Rows("PRAGMA integrity_check");
  violations.Check(check.size() == 1 && check.front() == "ok", "the database is damaged: %s",
                   check.empty() ? "" : check.front().c_str());
  for (const auto& row : file.Rows("SELECT id, sequence FROM tblLoad")) {
    const auto bar = row.find('|');
    stored[std::stoll(row.substr(0, bar))] = std::stoll(row.substr(bar + 1));
  }
  int acknowledged = 0;
  int busy = 0;
  int lost = 0;
  for (const auto& commit : commits) {
    if (commit.row < 0) {
      const auto code = static_cast<int>(-commit.row) & 0xff;
      busy += code == SQLITE_BUSY || code == SQLITE_LOCKED ? 1 : 0;
      violations.Check(code == SQLITE_BUSY || code == SQLITE_LOCKED, "commit %lld failed: %s",
                       static_cast<long long>(commit.sequence),
                       sqlite3_errstr(static_cast<int>(-commit.row)));
      continue;
    }
    ++acknowledged;
    const auto found = stored.find(commit.row);
    const bool kept = found != stored.end() && found->second == commit.sequence;
    lost += kept ? 0 : 1;
    violations.Check(kept, "acknowledged row %lld (commit %lld) is gone",
                     static_cast<long long>(commit.row), static_cast<long long>(commit.sequence));
  }
  for (const auto& [reason, count] : reasons) {
    std::printf("  %3d x %s\n", count, reason.c_str());
  }
  std::printf(
      "repairs under load: %d repairs in %.1f s: %d succeeded, %d refused (file in use),"
      " %d repaired but log incomplete; %d backups checked, %d damaged\n",
      repairs, seconds, succeeded, refusedInUse, repairedLogIncomplete, backups, damagedBackups);
  std::printf("writer: %d commits acknowledged, %d refused busy, %zu rows in the file, %d lost\n",
              acknowledged, busy, stored.size(), lost);
  std::printf(
      "repairs=%d succeeded=%d in_use=%d log_incomplete=%d backups=%d damaged_backups=%d"
      " acknowledged=%d busy=%d lost=%d violations=%d\n",
      repairs, succeeded, refusedInUse, repairedLogIncomplete, backups, damagedBackups,
      acknowledged, busy, lost, violations.Count());
  return violations.Finish("stress_repairs_under_load");
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "repairs_under_load: %s\n", error.what());
    return 1;
  }
}
