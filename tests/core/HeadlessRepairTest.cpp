#include <gtest/gtest.h>

#include <sstream>

#include "app/HeadlessRepair.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

using Mode = app::CommandLine::Mode;

TEST(CommandLine, ModesPathsAndErrors) {
  struct Case {
    std::vector<std::string> arguments;
    Mode mode;
    std::optional<std::string> path;
    std::optional<std::string> screenshot;
  };
  const std::vector<Case> cases{
      {{}, Mode::Window, std::nullopt, std::nullopt},
      {{"--screenshot", "w.png"}, Mode::Window, std::nullopt, "w.png"},
      {{"--screenshot"}, Mode::Invalid, std::nullopt, std::nullopt},
      {{"--bogus"}, Mode::Invalid, std::nullopt, std::nullopt},
      {{"--help"}, Mode::Help, std::nullopt, std::nullopt},
      {{"-h", "--screenshot"}, Mode::Help, std::nullopt, std::nullopt},
      // Asking for help never repairs a database called --help.
      {{"--repair", "--help"}, Mode::Help, std::nullopt, std::nullopt},
      {{"--repair"}, Mode::Repair, std::nullopt, std::nullopt},
      {{"--repair", " /data/a b.mdb"}, Mode::Repair, " /data/a b.mdb", std::nullopt},
      {{"--repair", "--screenshot"}, Mode::Invalid, std::nullopt, std::nullopt},
      {{"--repair", "a.mdb", "b.mdb"}, Mode::Invalid, std::nullopt, std::nullopt},
  };
  for (const auto& [arguments, mode, path, screenshot] : cases) {
    const auto parsed = app::ParseCommandLine(arguments);
    const std::string shown = ::testing::PrintToString(arguments);
    EXPECT_EQ(parsed.mode, mode) << shown;
    EXPECT_EQ(parsed.databasePath, path) << shown;
    EXPECT_EQ(parsed.screenshotFile, screenshot) << shown;
    EXPECT_EQ(parsed.error.empty(), mode != Mode::Invalid) << shown;
    // A bad --repair line is reported without opening a window; a bad window line after Qt
    // has taken its own options out.
    EXPECT_EQ(parsed.NeedsWindow(),
              mode == Mode::Window || (mode == Mode::Invalid && arguments.at(0) != "--repair"))
        << shown;
  }
  const char* argv[] = {"BrivantoRepairDb", "--repair", "x.mdb"};
  EXPECT_EQ(app::ParseCommandLine(3, argv).databasePath, "x.mdb");
}

class HeadlessRepairTest : public ::testing::Test {
 protected:
  int Run(const std::optional<std::string>& path) {
    return app::RunHeadlessRepair(
        [this](ports::MessageDialog& messages) { return fakes.Bundle(messages); }, path, out, err);
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
  EXPECT_EQ(err.str(), "Repareren mislukt. Zie logfile (repair.log)\nReden: Request failed (11)\n");

  err.str("");
  fakes.registry.readFailure = Failure(-2147024891, "Access is denied");
  EXPECT_EQ(Run(std::nullopt), 1);
  EXPECT_EQ(err.str(), "Error in load form: Access is denied (-2147024891)\n");
  // Request 2, then request 1 once more: none by the run that failed to load.
  EXPECT_EQ(fakes.installer.calls.size(), 2U);
}

}  // namespace
}  // namespace brivanto::testing
