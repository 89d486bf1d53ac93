#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

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
  EXPECT_FALSE(fs::exists(folder / "folder.bak"));
}

TEST(CopyToNewFile, FileSystemWithoutKernelCopyFallsBackToReading) {
  if (!fs::exists("/proc/version")) {
    GTEST_SKIP() << "needs /proc, where the kernel cannot copy in place";
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
