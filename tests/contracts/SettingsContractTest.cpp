// The settings port, held against the fake and the INI store in a temporary folder.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "ContractWorld.h"
#include "IniSettingsStore.h"
#include "support/TemporaryFolder.h"
#include "support/fakes/FakeSettingsStore.h"

namespace brivanto::testing {
namespace {

class SettingsWorld {
 public:
  virtual ~SettingsWorld() = default;
  virtual ports::SettingsStore& Store() = 0;
  // From now on every save fails.
  virtual void BreakSaves() = 0;
};

class FakeWorld : public SettingsWorld {
 public:
  ports::SettingsStore& Store() override { return store_; }
  void BreakSaves() override { store_.failSaves = true; }

 private:
  FakeSettingsStore store_;
};

class IniWorld : public SettingsWorld {
 public:
  ports::SettingsStore& Store() override { return store_; }
  // A file where the store's folder must be: no user, root included, can write below it.
  void BreakSaves() override {
    std::filesystem::remove_all(folder_.Path() / "Brivanto");
    std::ofstream(folder_.Path() / "Brivanto") << "no folder";
  }

 private:
  TemporaryFolder folder_;
  posix::IniSettingsStore store_{folder_.Path()};
};

class SettingsContract : public ::testing::TestWithParam<WorldMaker<SettingsWorld>> {
 protected:
  void SetUp() override { world = GetParam().make(); }
  std::string Get(const std::string& key) {
    return world->Store().GetSetting("RepairDb", "Settings", key, "<default>");
  }
  void Save(const std::string& key, const std::string& value) {
    world->Store().SaveSetting("RepairDb", "Settings", key, value);
  }
  std::unique_ptr<SettingsWorld> world;
};

TEST_P(SettingsContract, EveryTextReadsBackAsSavedAndAMissingKeyAsTheDefault) {
  EXPECT_EQ(Get("DbPath"), "<default>");
  for (const std::string value :
       {"C:\\data\\a b.mdb", "", "  spaced  ", "key=value; [x] %41 #", "two\r\nlines", "é"}) {
    Save("DbPath", value);
    EXPECT_EQ(Get("DbPath"), value);
  }
  EXPECT_EQ(Get("dbpath"), "<default>");
  EXPECT_EQ(world->Store().GetSetting("RepairDb", "Other", "DbPath", "<default>"), "<default>");
}

TEST_P(SettingsContract, AFailedSaveSaysWhereAndKeepsNothingHalfWritten) {
  Save("DbPath", "old");
  world->BreakSaves();
  const Failure failure = FailureOf([&] { Save("DbPath", "new"); });
  EXPECT_EQ(failure.Number(), failure_codes::kFileAccess);
  EXPECT_EQ(failure.Description().rfind("Instelling kan niet worden opgeslagen in ", 0), 0U)
      << failure.Description();
  EXPECT_NE(Get("DbPath"), "new");
}

INSTANTIATE_TEST_SUITE_P(
    Adapters, SettingsContract,
    ::testing::Values(
        WorldMaker<SettingsWorld>{"Fake", [] { return std::make_unique<FakeWorld>(); }},
        WorldMaker<SettingsWorld>{"Ini", [] { return std::make_unique<IniWorld>(); }}),
    WorldName<SettingsWorld>);

}  // namespace
}  // namespace brivanto::testing
