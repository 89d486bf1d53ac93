// The file system port as the repair uses it, held against the fake and the real one in a
// temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ContractWorld.h"
#include "StandardFileSystem.h"
#include "support/TemporaryFolder.h"
#include "support/fakes/FakeFileSystem.h"

namespace brivanto::testing {
namespace {

namespace fs = std::filesystem;
using ports::NewFilesOutcome;

class FileWorld {
 public:
  virtual ~FileWorld() = default;
  virtual ports::FileSystem& Files() = 0;
  virtual std::string Path(const std::string& name) = 0;
  virtual void Put(const std::string& path, const std::string& content) = 0;
  virtual std::optional<std::string> Content(const std::string& path) = 0;
  // Every file there is, hidden ones included.
  virtual std::set<std::string> AllFiles() = 0;
};

class FakeWorld : public FileWorld {
 public:
  ports::FileSystem& Files() override { return files_; }
  std::string Path(const std::string& name) override { return "/data/" + name; }
  void Put(const std::string& path, const std::string& content) override {
    files_.files[path] = content;
  }
  std::optional<std::string> Content(const std::string& path) override {
    const auto found = files_.files.find(path);
    return found == files_.files.end() ? std::nullopt : std::optional(found->second);
  }
  std::set<std::string> AllFiles() override {
    std::set<std::string> names;
    for (const auto& [path, content] : files_.files) {
      names.insert(path);
    }
    return names;
  }

 private:
  FakeFileSystem files_;
};

class PosixWorld : public FileWorld {
 public:
  ports::FileSystem& Files() override { return files_; }
  std::string Path(const std::string& name) override { return folder_ / name; }
  void Put(const std::string& path, const std::string& content) override {
    std::ofstream(path, std::ios::binary) << content;
  }
  std::optional<std::string> Content(const std::string& path) override {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::set<std::string> AllFiles() override {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder_.Path())) {
      if (!entry.is_directory()) {
        names.insert(entry.path().string());
      }
    }
    return names;
  }

 private:
  TemporaryFolder folder_;
  posix::StandardFileSystem files_;
};

class FileSystemContract : public ::testing::TestWithParam<WorldMaker<FileWorld>> {
 protected:
  void SetUp() override {
    world = GetParam().make();
    source = world->Path("db.mdb");
    world->Put(source, "database");
    journal = world->Path("db.mdb-journal");
    world->Put(journal, "journal");
  }
  std::unique_ptr<FileWorld> world;
  std::string source;
  std::string journal;
};

TEST_P(FileSystemContract, OnlyAnExistingFileIsAFile) {
  EXPECT_TRUE(world->Files().IsFile(source));
  EXPECT_FALSE(world->Files().IsFile(world->Path("missing.mdb")));
}

TEST_P(FileSystemContract, AppendingCreatesTheFileAndItsFoldersAndNeverTruncates) {
  const auto log = world->Path("state/brivanto/repair.log");
  world->Files().OpenForAppend(log)->WriteLine("eerste");
  world->Files().OpenForAppend(log)->WriteLine("tweede");
  EXPECT_EQ(world->Content(log), "eerste\r\ntweede\r\n");
}

struct CopyCase {
  const char* name;
  std::vector<std::string> taken;  // targets that exist beforehand
  std::string backupName;
  bool sourceMissing;
  std::optional<NewFilesOutcome> outcome;  // nullopt: throws
};

TEST_P(FileSystemContract, CopiesAppearWholeOrNotAtAllAndNeverReplaceAFile) {
  const std::vector<CopyCase> cases = {
      {"fresh names", {}, "db.bak", false, NewFilesOutcome::kCopied},
      {"backup name taken", {"db.bak"}, "db.bak", false, NewFilesOutcome::kNameTaken},
      {"journal name taken", {"db.bak-journal"}, "db.bak", false, NewFilesOutcome::kNameTaken},
      {"name too long", {}, std::string(300, 'n') + ".bak", false, NewFilesOutcome::kNameTooLong},
      {"source missing", {}, "db.bak", true, std::nullopt},
  };
  for (const auto& copyCase : cases) {
    SCOPED_TRACE(copyCase.name);
    SetUp();
    const auto backup = world->Path(copyCase.backupName);
    for (const auto& taken : copyCase.taken) {
      world->Put(world->Path(taken), "taken");
    }
    const auto from = copyCase.sourceMissing ? world->Path("gone.mdb") : source;
    const std::vector<ports::FileCopy> group = {{journal, backup + "-journal"}, {from, backup}};
    const auto before = world->AllFiles();
    if (!copyCase.outcome) {
      const Failure failure = FailureOf([&] { world->Files().CopyToNewFiles(group); });
      EXPECT_EQ(failure.Number(), failure_codes::kFileAccess);
      EXPECT_EQ(failure.Description(), "No such file or directory");
      EXPECT_EQ(world->AllFiles(), before);
      continue;
    }
    EXPECT_EQ(world->Files().CopyToNewFiles(group), *copyCase.outcome);
    if (*copyCase.outcome == NewFilesOutcome::kCopied) {
      EXPECT_EQ(world->Content(backup), "database");
      EXPECT_EQ(world->Content(backup + "-journal"), "journal");
      EXPECT_EQ(world->AllFiles().size(), before.size() + 2);
    } else {
      EXPECT_EQ(world->AllFiles(), before);
      for (const auto& taken : copyCase.taken) {
        EXPECT_EQ(world->Content(world->Path(taken)), "taken");
      }
    }
  }
}

TEST_P(FileSystemContract, ASingleCopyOntoATakenNameFailsAndKeepsTheFile) {
  const auto target = world->Path("db.bak");
  world->Put(target, "taken");
  const Failure failure = FailureOf([&] { world->Files().CopyToNewFile(source, target); });
  EXPECT_EQ(failure.Number(), failure_codes::kFileAccess);
  EXPECT_EQ(failure.Description(), "File exists");
  EXPECT_EQ(world->Content(target), "taken");
}

INSTANTIATE_TEST_SUITE_P(
    Adapters, FileSystemContract,
    ::testing::Values(WorldMaker<FileWorld>{"Fake", [] { return std::make_unique<FakeWorld>(); }},
                      WorldMaker<FileWorld>{"Posix",
                                            [] { return std::make_unique<PosixWorld>(); }}),
    WorldName<FileWorld>);

}  // namespace
}  // namespace brivanto::testing
