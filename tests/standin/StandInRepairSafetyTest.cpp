// A repair keeps the database file itself, refuses what it may not write, loses no commit, and
// leaves no temp file behind, however it ends.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <thread>

#include "StandInTestSupport.h"

namespace brivanto::standin::test {
namespace {

constexpr uid_t kNobody = 65534;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Without reaping it, so WaitFor can still read its status.
bool IsRunning(pid_t child) {
  siginfo_t info{};
  return ::waitid(P_PID, child, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

// tblSettings plus `rows` rows of `bytes` random bytes each, and free pages a rebuild drops.
void CreateFilledDatabase(const std::string& path, int rows, int bytes) {
  CreateSettingsDatabase(path);
  SqliteFile(path).Execute(
      "CREATE TABLE tblLog(id INTEGER PRIMARY KEY, data BLOB);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
      std::to_string(rows) + ") INSERT INTO tblLog SELECT i, randomblob(" + std::to_string(bytes) +
      ") FROM n; DELETE FROM tblLog WHERE id % 100 < 30;");
}

std::vector<std::string> Rows(const std::string& path) {
  return SqliteFile(path, false).Query("SELECT id, hex(data) FROM tblLog ORDER BY id");
}

// The b-tree of tblSettings (page 2) overwritten: nothing can read its rows any more.
void CreateDatabaseDamagedBeyondRepair(const std::string& path) {
  CreateSettingsDatabase(path);
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(4096);
  file << std::string(4096, '\x5A');
}

class StandInRepairSafetyTest : public ::testing::Test {
 protected:
  std::string Database() const { return dir_.File("data.mdb"); }
  TempDir dir_;
};

TEST_F(StandInRepairSafetyTest, KeepsTheFileItselfWithItsLinksAttributesAndRows) {
  CreateFilledDatabase(Database(), 300, 200);
  ASSERT_EQ(::setxattr(Database().c_str(), "user.x", "kept", 4, 0), 0)
      << "the file system of " << dir_.path()
      << " refuses extended attributes: point TMPDIR at one that keeps them";
  ASSERT_EQ(::link(Database().c_str(), dir_.File("link.mdb").c_str()), 0);
  ASSERT_EQ(::chmod(Database().c_str(), 0640), 0);
  const uid_t owner = ::geteuid() == 0 ? kNobody : ::geteuid();  // root repairs others' files
  ASSERT_EQ(::chown(Database().c_str(), owner, owner == kNobody ? kNobody : ::getegid()), 0);
  struct stat before {};
  ASSERT_EQ(::stat(Database().c_str(), &before), 0);
  const std::vector<std::string> rows = Rows(Database());

  ASSERT_TRUE(Repair(Database())) << InstallerError().text;

  struct stat after {};
  ASSERT_EQ(::stat(Database().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(after.st_nlink, 2U);
  std::array<char, 16> value{};
  EXPECT_EQ(::getxattr(Database().c_str(), "user.x", value.data(), value.size()), 4);
  EXPECT_STREQ(value.data(), "kept");
  EXPECT_EQ(Rows(Database()), rows);
  EXPECT_EQ(SqliteFile(Database(), false).Query("PRAGMA freelist_count").at(0), "0");
  EXPECT_EQ(ListTree(dir_.path()), (std::set<std::string>{"data.mdb", "link.mdb"}));
}

struct Unwritable {
  const char* what;
  mode_t mode;
  bool another_owner;  // needs root to set up
};

// Each repair runs in a child that cannot override permission bits, as root otherwise would.
TEST_F(StandInRepairSafetyTest, RefusesAFileThisUserMayNotWriteAndLeavesItAlone) {
  const std::vector<Unwritable> cases = {{"read-only mode", 0444, false},
                                         {"another user's file", 0644, true}};
  for (const Unwritable& unwritable : cases) {
    SCOPED_TRACE(unwritable.what);
    if (unwritable.another_owner && ::geteuid() != 0) {
      std::cout << "not run: '" << unwritable.what << "' needs root to hand the file to another "
                << "user; the read-only case covers the same refusal\n";
      continue;
    }
    CreateSettingsDatabase(Database());
    ASSERT_EQ(::chmod(Database().c_str(), unwritable.mode), 0);
    if (unwritable.another_owner) {
      ASSERT_EQ(::chown(Database().c_str(), kNobody, kNobody), 0);
    }
    const std::string bytes = ReadBytes(Database());

    const int status = WaitFor(StartChild([&] {
      if (!StopOverridingFilePermissions() || Repair(Database())) {
        return 1;
      }
      const std::string message = InstallerError().text;
      std::cerr << message << "\n";
      return Contains(message, "read-only for this user (Permission denied)") ? 0 : 2;
    }));

    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    EXPECT_TRUE(ReadBytes(Database()) == bytes) << "the file changed";
    EXPECT_EQ(ListTree(dir_.path()), std::set<std::string>{"data.mdb"});
    ASSERT_EQ(::unlink(Database().c_str()), 0);
  }
}

// A connection opened before the repair and left idle is neither cut off nor shown the old data.
TEST_F(StandInRepairSafetyTest, LeavesAnIdleConnectionWorking) {
  CreateFilledDatabase(Database(), 200, 1000);
  SqliteFile idle(Database(), false);
  ASSERT_NE(idle.Query("PRAGMA freelist_count").at(0), "0");

  ASSERT_TRUE(Repair(Database())) << InstallerError().text;

  EXPECT_EQ(idle.Query("PRAGMA freelist_count").at(0), "0");
  EXPECT_NO_THROW(idle.Execute("INSERT INTO tblSettings VALUES ('Main', 'After', 'repair')"));
  EXPECT_EQ(SqliteFile(Database(), false).Query("SELECT Value FROM tblSettings WHERE sKey='After'"),
            std::vector<std::string>{"repair"});
}

// Two processes repair over and over while this one commits rows; each repair may find the
// database busy, but every row it was told was committed must be there at the end.
TEST_F(StandInRepairSafetyTest, LosesNoCommitOfAWriterDuringOverlappingRepairs) {
  CreateFilledDatabase(Database(), 200, 100);
  const auto repeated_repairs = [&] {
    int repaired = 0;
    for (int attempt = 0; attempt < 200 && repaired < 3; ++attempt) {
      if (Repair(Database())) {
        ++repaired;
      } else if (const std::string message = InstallerError().text;
                 !Contains(message, "in gebruik")) {
        std::cerr << message << "\n";
        return 2;
      }
    }
    return repaired > 0 ? 0 : 1;
  };
  std::vector<pid_t> repairers = {StartChild(repeated_repairs), StartChild(repeated_repairs)};
  SqliteFile writer(Database(), false);
  writer.Execute("PRAGMA busy_timeout = 20000");
  int committed = 0;
  std::string writer_error;
  for (size_t running = repairers.size(); running > 0 && writer_error.empty();) {
    try {
      writer.Execute("INSERT INTO tblSettings VALUES ('Written', 'n', '" +
                     std::to_string(committed) + "')");
      ++committed;
    } catch (const std::exception& error) {
      writer_error = error.what();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    running = std::count_if(repairers.begin(), repairers.end(), IsRunning);
  }

  EXPECT_EQ(writer_error, "");
  for (const pid_t repairer : repairers) {
    const int status = WaitFor(repairer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "repairer status " << status;
  }
  EXPECT_EQ(SqliteFile(Database(), false)
                .Query("SELECT count(*) FROM tblSettings WHERE Section = "
                       "'Written'"),
            std::vector<std::string>{std::to_string(committed)});
}

struct RepairOutcome {
  const char* what;
  void (*create)(const std::string&);
  bool repaired;
};

TEST_F(StandInRepairSafetyTest, RemovesOnlyTheTempFilesOfEndedRepairsAndLeavesNoneOfItsOwn) {
  const std::string ended = ".brivanto-repair-" + std::to_string(EndedPid()) + "-Ab12Cd";
  const std::string live = ".brivanto-repair-" + std::to_string(::getpid()) + "-Ef34Gh";
  const std::vector<RepairOutcome> outcomes = {
      {"healthy", CreateSettingsDatabase, true},
      {"damaged beyond repair", CreateDatabaseDamagedBeyondRepair, false},
  };
  for (const RepairOutcome& outcome : outcomes) {
    SCOPED_TRACE(outcome.what);
    outcome.create(Database());
    for (const std::string& leftover : {ended, ended + "-journal", live}) {
      WriteBytes(dir_.File(leftover), std::string(3000, 'x'));
    }

    EXPECT_EQ(Repair(Database()), outcome.repaired) << InstallerError().text;

    EXPECT_EQ(ListTree(dir_.path()), (std::set<std::string>{"data.mdb", live}));
    ASSERT_EQ(::unlink(Database().c_str()), 0);
  }
}

#ifdef BRIVANTO_STANDIN_TEST_HOOKS
// A child that stops itself once the rebuilt copy is complete. It exits 0 when the repair
// succeeds, or, given `refusal`, when it fails with a message containing that.
pid_t StartPausedRepair(const std::string& database, const char* refusal = nullptr) {
  return StartChild([=] {
    ::setenv("BRIVANTO_STANDIN_TEST_PAUSE_AT", "rebuilt", 1);
    if (Repair(database)) {
      return refusal == nullptr ? 0 : 1;
    }
    const std::string message = InstallerError().text;
    std::cerr << message << "\n";
    return refusal != nullptr && Contains(message, refusal) ? 0 : 2;
  });
}
#endif

TEST_F(StandInRepairSafetyTest, RemovesItsTempFileWhenASignalEndsTheRepair) {
#ifndef BRIVANTO_STANDIN_TEST_HOOKS
  FAIL() << "the stand-in was built without BRIVANTO_STANDIN_TEST_HOOKS, so a repair cannot "
            "be stopped at a known point: configure the tests with it ON";
#else
  CreateFilledDatabase(Database(), 300, 200);
  const std::string bytes = ReadBytes(Database());
  for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal_number);
    const pid_t child = StartPausedRepair(Database());
    const int stopped = WaitFor(child, true);
    ASSERT_TRUE(WIFSTOPPED(stopped)) << "child status " << stopped;
    ASSERT_EQ(ListTree(dir_.path()).size(), 2U) << "no rebuilt copy beside the database";

    ::kill(child, signal_number);
    ::kill(child, SIGCONT);
    const int ended = WaitFor(child);

    EXPECT_TRUE(WIFSIGNALED(ended) && WTERMSIG(ended) == signal_number) << "status " << ended;
    EXPECT_EQ(ListTree(dir_.path()), std::set<std::string>{"data.mdb"});
    EXPECT_TRUE(ReadBytes(Database()) == bytes) << "the file changed";
  }
#endif
}

// Another program renames a file over the database while the repair rebuilds the old one.
TEST_F(StandInRepairSafetyTest, DoesNotWriteBackOverAFileReplacedDuringTheRepair) {
#ifndef BRIVANTO_STANDIN_TEST_HOOKS
  FAIL() << "the stand-in was built without BRIVANTO_STANDIN_TEST_HOOKS, so a repair cannot "
            "be stopped at a known point: configure the tests with it ON";
#else
  CreateFilledDatabase(Database(), 300, 200);
  CreateSettingsDatabase(dir_.File("newer.mdb"));
  const std::string newer = ReadBytes(dir_.File("newer.mdb"));
  const pid_t child = StartPausedRepair(Database(), "moved or replaced");
  const int stopped = WaitFor(child, true);
  ASSERT_TRUE(WIFSTOPPED(stopped)) << "child status " << stopped;

  ASSERT_EQ(::rename(dir_.File("newer.mdb").c_str(), Database().c_str()), 0);
  ::kill(child, SIGCONT);
  const int ended = WaitFor(child);

  EXPECT_TRUE(WIFEXITED(ended) && WEXITSTATUS(ended) == 0) << "status " << ended;
  EXPECT_TRUE(ReadBytes(Database()) == newer) << "the file changed";
  EXPECT_EQ(ListTree(dir_.path()), std::set<std::string>{"data.mdb"});
#endif
}

TEST_F(StandInRepairSafetyTest, ReportsAFullDiskAsSuchAndLeavesTheFileAlone) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "mounting a small tmpfs to fill needs root";
  }
  const std::string small = dir_.File("small");
  std::filesystem::create_directory(small);
  const TmpfsMount mount(small, "3m");
  ASSERT_TRUE(mount.failure().empty())
      << "cannot mount a tmpfs on " << small << ": " << mount.failure();
  const std::string database = small + "/data.mdb";
  CreateFilledDatabase(database, 1900, 1000);  // about 2 MB: no room for a copy beside it
  const std::string bytes = ReadBytes(database);

  EXPECT_FALSE(Repair(database));

  const std::string message = InstallerError().text;
  EXPECT_TRUE(Contains(message, "not enough disk space")) << message;
  EXPECT_FALSE(Contains(message, "damaged")) << message;
  EXPECT_TRUE(ReadBytes(database) == bytes) << "the file changed";
  EXPECT_EQ(ListTree(small), std::set<std::string>{"data.mdb"});
}

}  // namespace
}  // namespace brivanto::standin::test
