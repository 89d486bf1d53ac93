#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <random>
#include <thread>
#include <vector>

#include "FileDescriptor.h"
#include "LogLocation.h"
#include "StandardFileSystem.h"
#include "ports/Failure.h"
#include "support/TemporaryFolder.h"

namespace brivanto::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Names(const TemporaryFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder.Path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Waits up to five seconds for `count` entries in the folder.
bool AwaitEntries(const TemporaryFolder& folder, std::size_t count) {
  for (int tries = 0; tries < 5000; ++tries) {
    if (Names(folder).size() >= count) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

std::string RandomBytes(std::size_t size) {
  std::mt19937 generator(7);
  std::string bytes(size, '\0');
  for (auto& byte : bytes) {
    byte = static_cast<char>(generator());
  }
  return bytes;
}

TEST(AppendFile, CreatesFoldersAndAppendsWholeCrLfLinesWithoutTruncating) {
  TemporaryFolder folder;
  const auto log = folder / "state/brivanto/repairBrivanto.log";
  posix::StandardFileSystem files;

  files.OpenForAppend(log)->WriteLine("first");
  {
    const auto file = files.OpenForAppend(log);
    file->WriteLine("");
    file->WriteLine(std::string("x\0y", 3));
  }

  EXPECT_EQ(ReadAll(log), std::string("first\r\n\r\nx\0y\r\n", 14));
}

// A child process holds the log open; the parent's open waits until the child has closed it.
TEST(AppendFile, IsHeldExclusivelyUntilClosed) {
  TemporaryFolder folder;
  const auto log = folder / "repair.log";
  int locked[2];
  int release[2];
  ASSERT_EQ(::pipe(locked), 0);
  ASSERT_EQ(::pipe(release), 0);
  posix::FileDescriptor lockedRead(locked[0]), lockedWrite(locked[1]);
  posix::FileDescriptor releaseRead(release[0]), releaseWrite(release[1]);
  const pid_t child = ::fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    try {
      auto file = posix::StandardFileSystem().OpenForAppend(log);
      char byte = 'l';
      if (::write(lockedWrite.Get(), &byte, 1) != 1 || ::read(releaseRead.Get(), &byte, 1) != 1) {
        ::_exit(2);
      }
      file->WriteLine("child");
    } catch (...) {
      ::_exit(1);
    }
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(lockedRead.Get(), &byte, 1), 1);
  auto parent = std::async(std::launch::async, [&] {
    posix::StandardFileSystem().OpenForAppend(log)->WriteLine("parent");
  });
  const bool waited =
      parent.wait_for(std::chrono::milliseconds(200)) == std::future_status::timeout;
  EXPECT_EQ(::write(releaseWrite.Get(), "r", 1), 1);
  parent.get();
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(waited);
  EXPECT_EQ(ReadAll(log), "child\r\nparent\r\n");
}

TEST(AppendFile, FailureCarriesTheSystemsReason) {
  TemporaryFolder folder;
  WriteAll(folder / "plain", "not a folder");
  posix::StandardFileSystem files;
  try {
    files.OpenForAppend(folder / "plain/repair.log");
    FAIL() << "opened a log below a plain file";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Number(), failure_codes::kFileAccess);
    EXPECT_EQ(failure.Description(), std::make_error_code(std::errc::not_a_directory).message());
  }
}

TEST(CopyToNewFile, CopiesEveryByteAndNeverOverwrites) {
  TemporaryFolder folder;
  const auto original = RandomBytes((3U << 20) + 17);
  WriteAll(folder / "a.mdb", original);
  WriteAll(folder / "taken.bak", "keep me");
  posix::StandardFileSystem files;

  files.CopyToNewFile(folder / "a.mdb", folder / "a.mdb.bak");
  EXPECT_EQ(ReadAll(folder / "a.mdb.bak"), original);

  EXPECT_THROW(files.CopyToNewFile(folder / "a.mdb", folder / "taken.bak"), Failure);
  EXPECT_EQ(ReadAll(folder / "taken.bak"), "keep me");
  EXPECT_THROW(files.CopyToNewFile(folder / "missing.mdb", folder / "missing.bak"), Failure);
  EXPECT_FALSE(fs::exists(folder / "missing.bak"));
}

TEST(CopyToNewFile, FailureHalfwayLeavesNoPartialCopy) {
  TemporaryFolder folder;
  // A folder opens for reading like a file, but its contents cannot be copied.
  fs::create_directory(folder / "folder.mdb");
  posix::StandardFileSystem files;

  EXPECT_THROW(files.CopyToNewFile(folder / "folder.mdb", folder / "folder.bak"), Failure);
  // A journal copied before the failing file goes too.
  WriteAll(folder / "j", "journal");
  EXPECT_THROW(files.CopyToNewFiles({{folder / "j", folder / "folder.bak-journal"},
                                     {folder / "folder.mdb", folder / "folder.bak"}}),
               Failure);
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"folder.mdb", "j"}));
}

// The source is a pipe, so the copy is caught halfway: only a hidden temporary may exist then.
// A file that takes the name meanwhile is kept, and the copy reports the name as taken.
TEST(CopyToNewFiles, FinalNameAppearsOnlyWholeAndNeverReplacesAFile) {
  for (const bool takenMeanwhile : {false, true}) {
    SCOPED_TRACE(takenMeanwhile);
    TemporaryFolder folder;
    ASSERT_EQ(::mkfifo((folder / "a.mdb").c_str(), 0600), 0);
    posix::StandardFileSystem files;
    auto copying = std::async(std::launch::async, [&] {
      return files.CopyToNewFiles({{folder / "a.mdb", folder / "a.bak"}});
    });
    {
      std::ofstream writer(folder / "a.mdb", std::ios::binary);
      writer << "first half" << std::flush;
      EXPECT_TRUE(AwaitEntries(folder, 2));
      const auto names = Names(folder);
      EXPECT_EQ(names.size(), 2U);
      EXPECT_EQ(names.front().rfind(".a.bak.partial-", 0), 0U) << names.front();
      if (takenMeanwhile) {
        WriteAll(folder / "a.bak", "other");
      }
      writer << ", second half";
    }
    EXPECT_EQ(copying.get(), takenMeanwhile ? ports::NewFilesOutcome::kNameTaken
                                            : ports::NewFilesOutcome::kCopied);
    EXPECT_EQ(ReadAll(folder / "a.bak"), takenMeanwhile ? "other" : "first half, second half");
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"a.bak", "a.mdb"}));
  }
}

TEST(CopyToNewFiles, JournalBesideTakenOrTooLongNamesLeaveEverythingAsItWas) {
  const std::string tooLong(256, 'x');
  const std::string longest(250, 'x');  // fits, but not with "-journal"
  const struct {
    std::vector<ports::FileCopy> copies;
    ports::NewFilesOutcome outcome;
  } cases[] = {
      {{{"a.mdb-journal", "c.bak-journal"}, {"a.mdb", "c.bak"}}, ports::NewFilesOutcome::kCopied},
      {{{"a.mdb", "b.bak"}}, ports::NewFilesOutcome::kNameTaken},
      {{{"a.mdb-journal", "b.bak-journal"}, {"a.mdb", "d.bak"}},
       ports::NewFilesOutcome::kNameTaken},
      {{{"a.mdb", tooLong}}, ports::NewFilesOutcome::kNameTooLong},
      {{{"a.mdb-journal", longest + "-journal"}, {"a.mdb", longest}},
       ports::NewFilesOutcome::kNameTooLong},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.copies.back().target.substr(0, 12));
    TemporaryFolder folder;
    for (const auto* name : {"a.mdb", "a.mdb-journal", "b.bak", "b.bak-journal"}) {
      WriteAll(folder / name, name);
    }
    auto before = Names(folder);
    std::vector<ports::FileCopy> copies;
    for (const auto& copy : test.copies) {
      copies.push_back({folder / copy.source, folder / copy.target});
      if (test.outcome == ports::NewFilesOutcome::kCopied) {
        before.push_back(copy.target);
      }
    }
    std::sort(before.begin(), before.end());

    EXPECT_EQ(posix::StandardFileSystem().CopyToNewFiles(copies), test.outcome);

    EXPECT_EQ(Names(folder), before);
    for (const auto& copy : test.copies) {
      if (std::error_code tooLong; fs::exists(folder / copy.target, tooLong)) {
        EXPECT_EQ(ReadAll(folder / copy.target),
                  test.outcome == ports::NewFilesOutcome::kCopied ? copy.source : copy.target);
      }
    }
  }
  // The single-file copy names the reason.
  TemporaryFolder folder;
  WriteAll(folder / "a.mdb", "a");
  try {
    posix::StandardFileSystem().CopyToNewFile(folder / "a.mdb", folder / tooLong);
    FAIL() << "copied to a name that is too long";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Description(), std::make_error_code(std::errc::filename_too_long).message());
  }
}

TEST(CopyToNewFile, FileSystemWithoutKernelCopyFallsBackToReading) {
  if (!fs::exists("/proc/version")) {
    GTEST_FAIL() << "needs /proc, where the kernel cannot copy in place";
  }
  TemporaryFolder folder;
  posix::StandardFileSystem files;
  files.CopyToNewFile("/proc/version", folder / "version");
  EXPECT_EQ(ReadAll(folder / "version"), ReadAll("/proc/version"));
  EXPECT_FALSE(ReadAll(folder / "version").empty());
}

TEST(RepairLogLocation, StateHomeThenHomeThenTemporaryFolder) {
  const auto lookup = [](const char* state, const char* home) {
    return [=](const char* name) { return std::string(name) == "XDG_STATE_HOME" ? state : home; };
  };
  EXPECT_EQ(posix::DefaultRepairLogPath(lookup("/s", "/h")), "/s/brivanto/repairBrivanto.log");
  // Relative or empty values do not count.
  EXPECT_EQ(posix::DefaultRepairLogPath(lookup("rel", "/h")),
            "/h/.local/state/brivanto/repairBrivanto.log");
  EXPECT_EQ(posix::DefaultRepairLogPath(lookup("", "/h")),
            "/h/.local/state/brivanto/repairBrivanto.log");
  const auto fallback = fs::path(posix::DefaultRepairLogPath(lookup(nullptr, nullptr)));
  EXPECT_TRUE(fallback.is_absolute());
  EXPECT_EQ(fallback.filename(), "repairBrivanto.log");
}

}  // namespace
}  // namespace brivanto::testing
