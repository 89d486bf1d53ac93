#include <gtest/gtest.h>

#include <sstream>

#include "app/HeadlessRepair.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

using Mode = app::CommandLine::Mode;

TEST(CommandLine, OnlyAFirstRepairArgumentIsOurs) {
  EXPECT_EQ(app::ParseCommandLine(std::vector<std::string>{}).mode, Mode::Window);
  EXPECT_EQ(app::ParseCommandLine({"--help"}).mode, Mode::Window);
  EXPECT_EQ(app::ParseCommandLine({"--screenshot", "--repair"}).mode, Mode::Window);

  const auto chosenAtStart = app::ParseCommandLine({"--repair"});
  EXPECT_EQ(chosenAtStart.mode, Mode::Repair);
  EXPECT_FALSE(chosenAtStart.databasePath.has_value());

  const char* argv[] = {"BrivantoRepairDb", "--repair", " /data/a b.mdb"};
  const auto given = app::ParseCommandLine(3, argv);
  EXPECT_EQ(given.mode, Mode::Repair);
  EXPECT_EQ(given.databasePath, " /data/a b.mdb");

  const auto tooMany = app::ParseCommandLine({"--repair", "a.mdb", "b.mdb"});
  EXPECT_EQ(tooMany.mode, Mode::Invalid);
  EXPECT_FALSE(tooMany.error.empty());
}

class HeadlessRepairTest : public ::testing::Test {
 protected:
  int Run(const std::optional<std::string>& path) {
    return app::RunHeadlessRepair(fakes.Bundle(), path, out, err);
  }

  FakeServices fakes;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(HeadlessRepairTest, GivenPathIsRepairedWithoutBecomingTheSavedPath) {
  EXPECT_EQ(Run("/data/BrivantoDb.mdb"), 0);

  EXPECT_EQ(out.str(), "Repareren afgerond. Logfile aangemaakt (repair.log)\n");
  EXPECT_EQ(err.str(), "");
  EXPECT_TRUE(
      fakes.installer.calls.at(0).attributes.starts_with("REPAIR_DB=\"/data/BrivantoDb.mdb\""));
  EXPECT_TRUE(fakes.settings.saves.empty());
  EXPECT_TRUE(fakes.messageBox.shown.empty());
  EXPECT_EQ(fakes.database.state.alive, 0);
}

TEST_F(HeadlessRepairTest, WithoutPathStartUpChoosesTheDatabase) {
  fakes.registry.SetDataSource("DBQ", "/srv/BrivantoDb.mdb");

  EXPECT_EQ(Run(std::nullopt), 0);

  EXPECT_TRUE(
      fakes.installer.calls.at(0).attributes.starts_with("REPAIR_DB=\"/srv/BrivantoDb.mdb\""));
}

TEST_F(HeadlessRepairTest, FailuresGoToStandardErrorWithExitCodeOne) {
  fakes.installer.succeeds = false;
  EXPECT_EQ(Run("/data/BrivantoDb.mdb"), 1);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "Repareren mislukt. Zie logfile (repair.log)\n");

  err.str("");
  fakes.registry.readFailure = Failure(-2147024891, "Access is denied");
  EXPECT_EQ(Run(std::nullopt), 1);
  EXPECT_EQ(err.str(), "Error in load form: Access is denied (-2147024891)\n");
  EXPECT_EQ(fakes.installer.calls.size(), 1U);
}

}  // namespace
}  // namespace brivanto::testing
