#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "LogLocation.h"
#include "Win32FileSystem.h"
#include "Win32TestSupport.h"
#include "ports/Failure.h"

namespace brivanto::win32 {
namespace {

using testing::ScratchFolder;

std::string Read(const std::string& ansiPath) {
  std::string content;
  const HANDLE file =
      CreateFileA(ansiPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return "<missing>";
  }
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    content.append(buffer, got);
  }
  CloseHandle(file);
  return content;
}

void Write(const std::string& ansiPath, const std::string& content) {
  const HANDLE file =
      CreateFileA(ansiPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

// The names in a folder, hidden ones included.
std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..") {
        names.insert(found.cFileName);
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return names;
}

// More than one copy buffer (1 MiB), not a multiple of it.
std::string LargeContent() {
  std::string content(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) {
    content[i] = static_cast<char>((i * 7919) >> 3);
  }
  return content;
}

TEST(Win32FileSystemTest, IsFileOnlyForExistingFiles) {
  const ScratchFolder folder;
  Write(folder / "file.mdb", "x");
  Write(folder / "Belgi\xEB.mdb", "x");
  Win32FileSystem fileSystem;
  EXPECT_TRUE(fileSystem.IsFile(folder / "file.mdb"));
  EXPECT_TRUE(fileSystem.IsFile(folder.Path() + "\\Belgi\xC3\xAB.mdb"));
  EXPECT_FALSE(fileSystem.IsFile(folder.Path()));
  EXPECT_FALSE(fileSystem.IsFile(folder / "missing.mdb"));
  EXPECT_FALSE(fileSystem.IsFile(folder.Path() + "\\\xE6\xBC\xA2.mdb"));
  EXPECT_FALSE(fileSystem.IsFile(""));
}

TEST(Win32FileSystemTest, CopiesAppearWholeUnderTheirNamesOrNotAtAll) {
  const std::string large = LargeContent();
  const struct {
    std::string name;
    std::vector<std::string> taken;  // names that exist before the copy
    std::size_t longSecondName;      // 0: "db.bak"
    ports::NewFilesOutcome expected;
  } cases[] = {
      {"fresh names", {}, 0, ports::NewFilesOutcome::kCopied},
      {"first name taken", {"db.bak-journal"}, 0, ports::NewFilesOutcome::kNameTaken},
      {"second name taken", {"db.bak"}, 0, ports::NewFilesOutcome::kNameTaken},
      {"second path past MAX_PATH", {}, 250, ports::NewFilesOutcome::kNameTooLong},
      {"second name past 255", {}, 300, ports::NewFilesOutcome::kNameTooLong},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const ScratchFolder folder;
    Write(folder / "db.mdb", large);
    Write(folder / "db.mdb-journal", "journal");
    for (const auto& taken : test.taken) {
      Write(folder / taken, "keep");
    }
    const auto before = Names(folder.Path());
    const std::string secondTarget =
        test.longSecondName == 0 ? folder / "db.bak"
                                 : folder / (std::string(test.longSecondName, 'x') + ".bak");
    Win32FileSystem fileSystem;

    const auto outcome =
        fileSystem.CopyToNewFiles({{folder / "db.mdb-journal", folder / "db.bak-journal"},
                                   {folder / "db.mdb", secondTarget}});

    EXPECT_EQ(outcome, test.expected);
    if (outcome == ports::NewFilesOutcome::kCopied) {
      EXPECT_EQ(Read(folder / "db.bak") == large, true);
      EXPECT_EQ(Read(folder / "db.bak-journal"), "journal");
      EXPECT_EQ(GetFileAttributesA((folder / "db.bak").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0U);
      auto expected = before;
      expected.insert({"db.bak", "db.bak-journal"});
      EXPECT_EQ(Names(folder.Path()), expected);
    } else {
      EXPECT_EQ(Names(folder.Path()), before);
      for (const auto& taken : test.taken) {
        EXPECT_EQ(Read(folder / taken), "keep");
      }
    }
  }
}

TEST(Win32FileSystemTest, GroupFailingHalfwayLeavesNothingBehind) {
  const ScratchFolder folder;
  Write(folder / "db.mdb-journal", LargeContent());
  Write(folder / "db.mdb", "db");
  const auto before = Names(folder.Path());
  Win32FileSystem fileSystem;
  // The journal's copy is whole under its temporary name when the second source cannot be read
  // (a folder in the database's place would do the same).
  const std::vector<ports::FileCopy> groups[] = {
      {{folder / "db.mdb-journal", folder / "db.bak-journal"},
       {folder / "missing.mdb", folder / "db.bak"}},
      {{folder / "db.mdb-journal", folder / "db.bak-journal"},
       {folder / "db.mdb", folder / "nofolder\\db.bak"}},
  };
  for (const auto& group : groups) {
    SCOPED_TRACE(group.back().target);
    try {
      fileSystem.CopyToNewFiles(group);
      ADD_FAILURE() << "no failure";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.Number(), failure_codes::kFileAccess);
      EXPECT_FALSE(failure.Description().empty());
    }
    EXPECT_EQ(Names(folder.Path()), before);
  }
}

TEST(Win32FileSystemTest, CopyRefusesTakenNamesMissingSourcesAndUncarriedPaths) {
  const ScratchFolder folder;
  Write(folder / "db.mdb", "db");
  Write(folder / "db.bak", "keep");
  Win32FileSystem fileSystem;
  const struct {
    std::string source;
    std::string target;
    std::string description;  // empty: the system's own text
  } cases[] = {
      {folder / "db.mdb", folder / "db.bak", ""},
      {folder / "missing.mdb", folder / "new.bak", ""},
      {folder / "db.mdb", folder / "nofolder\\new.bak", ""},
      {folder / "db.mdb", folder.Path() + "\\\xE6\xBC\xA2.bak",
       "Het pad bevat tekens die Windows hier niet kan doorgeven: " + folder.Path() +
           "\\\xE6\xBC\xA2.bak"},
  };
  const auto before = Names(folder.Path());
  for (const auto& test : cases) {
    SCOPED_TRACE(test.target);
    try {
      fileSystem.CopyToNewFile(test.source, test.target);
      ADD_FAILURE() << "no failure";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.Number(), failure_codes::kFileAccess);
      if (test.description.empty()) {
        EXPECT_FALSE(failure.Description().empty());
      } else {
        EXPECT_EQ(failure.Description(), test.description);
      }
    }
    EXPECT_EQ(Names(folder.Path()), before);
    EXPECT_EQ(Read(folder / "db.bak"), "keep");
  }
  // A name the code page carries works as any other.
  fileSystem.CopyToNewFile(folder / "db.mdb", folder.Path() + "\\Belgi\xC3\xAB.bak");
  EXPECT_EQ(Read(folder / "Belgi\xEB.bak"), "db");
}

TEST(Win32FileSystemTest, LogIsCreatedWithItsFoldersAppendedToAndHeldExclusively) {
  const ScratchFolder folder;
  const std::string log = folder.Path() + "\\Brivanto\\deeper\\repairBrivanto.log";
  Win32FileSystem fileSystem;
  {
    auto file = fileSystem.OpenForAppend(log);
    file->WriteLine("first");
    file->WriteLine("Belgi\xC3\xAB stays as given");
  }
  EXPECT_EQ(Read(log), "first\r\nBelgi\xC3\xAB stays as given\r\n");

  // A second writer, in another thread, waits until the first is done; nothing is truncated.
  auto first = fileSystem.OpenForAppend(log);
  std::atomic<bool> secondOpened{false};
  std::thread second([&] {
    auto file = fileSystem.OpenForAppend(log);
    secondOpened = true;
    file->WriteLine("second block");
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(secondOpened);
  first->WriteLine("first block, line 1");
  first->WriteLine("first block, line 2");
  first.reset();
  second.join();
  EXPECT_TRUE(secondOpened);
  EXPECT_EQ(Read(log),
            "first\r\nBelgi\xC3\xAB stays as given\r\nfirst block, line 1\r\nfirst block, line "
            "2\r\nsecond block\r\n");
}

TEST(Win32FileSystemTest, LogThatCannotBeOpenedThrowsTheSystemsReason) {
  const ScratchFolder folder;
  Win32FileSystem fileSystem;
  // A folder in the log's place.
  CreateDirectoryA((folder / "repair.log").c_str(), nullptr);
  for (const auto& path : {folder / "repair.log", folder.Path() + "\\\xE6\xBC\xA2\\repair.log"}) {
    SCOPED_TRACE(path);
    try {
      fileSystem.OpenForAppend(path);
      ADD_FAILURE() << "no failure";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.Number(), failure_codes::kFileAccess);
      EXPECT_FALSE(failure.Description().empty());
    }
  }
}

TEST(Win32LogLocationTest, RootOfCFirstThenTheLocalApplicationDataFolder) {
  EXPECT_EQ(Win32RepairLogPath(), "c:\\repairBrivanto.log");
  EXPECT_EQ(Win32FallbackRepairLogPath("C:\\Users\\jan\\AppData\\Local"),
            "C:\\Users\\jan\\AppData\\Local\\Brivanto\\repairBrivanto.log");
  EXPECT_EQ(Win32FallbackRepairLogPath("D:\\x\\"), "D:\\x\\Brivanto\\repairBrivanto.log");
  EXPECT_EQ(Win32FallbackRepairLogPath(""), "");

  char localAppData[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableA("LOCALAPPDATA", localAppData, MAX_PATH), 0U);
  EXPECT_EQ(Win32FallbackRepairLogPath(),
            std::string(localAppData) + "\\Brivanto\\repairBrivanto.log");
}

}  // namespace
}  // namespace brivanto::win32
