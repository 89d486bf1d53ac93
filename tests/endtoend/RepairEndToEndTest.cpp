#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "AccessDriver.h"
#include "OdbcTestEnvironment.h"
#include "StandardFileSystem.h"
#include "Windows1252.h"
#include "app/HeadlessRepair.h"
#include "app/frmRepairDb.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = BRIVANTO_PROGRAM;

constexpr const char* kHeader = "------------ 20261208 ------------\r\n";
constexpr const char* kTwoUsers = "Aangelogde users 2\r\n   PC-07 jan\r\n   PC-03 piet\r\n";
constexpr const char* kClosing = "----------------------------------\r\n";

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RepairEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OdbcTestEnvironment::AccessStandInBuilt()) {
      GTEST_FAIL() << "the Access stand-in driver (brivanto-access-odbc) is not built";
    }
    fs::create_directory(environment.WorkDirectory() / "a b");
    demo = environment.CreateSettingsDatabase("a b/BrivantoDb.mdb",
                                              {{"License", "LoggedOn1", "PC-07 jan"},
                                               {"Storage", "DocumentPath", "/srv/images"},
                                               {"License", "LoggedOn2", "PC-03 piet"},
                                               {"License", "Serial", "X-1"}});
    broken = environment.WorkDirectory() / "a b" / "kapot.mdb";
    std::ofstream(broken, std::ios::binary) << std::string(4096, 'x');
    access.emplace(codePage);
  }

  app::Services RealServices() {
    fakes.realDatabase = &access->database;
    fakes.realFileSystem = &fileSystem;
    fakes.realInstaller = &access->installer;
    fakes.repairLogPath = LogPath().string();
    return fakes.Bundle();
  }
  app::ServicesWith Real() {
    return [this](ports::MessageDialog& messages) {
      RealServices();
      return fakes.Bundle(messages);
    };
  }
  fs::path LogPath() const { return environment.WorkDirectory() / "state/brivanto/repair.log"; }
  std::string Log() const { return ReadAll(LogPath()); }

  // Constructed first: it points the ODBC configuration at a private directory.
  OdbcTestEnvironment environment;
  odbc::Windows1252 codePage;
  std::optional<odbc::AccessDriver> access;
  posix::StandardFileSystem fileSystem;
  FakeServices fakes;
  FakeView view;
  fs::path demo;
  fs::path broken;
};

TEST_F(RepairEndToEndTest, WindowRepairLogsTheLoggedOnUsersAndKeepsABackup) {
  app::frmRepairDb form(view, RealServices());
  view.path = demo.string();
  // The window holds a connection to the file, as after any change of the path box.
  form.txtPath_Change();
  ASSERT_TRUE(form.Connection().Get().IsOpen());
  const auto original = ReadAll(demo);

  form.cmdRepair_Click();

  EXPECT_EQ(Log(), std::string(kHeader) + kTwoUsers + kClosing);
  ASSERT_EQ(fakes.messageBox.shown.size(), 1U);
  EXPECT_EQ(fakes.messageBox.shown[0].text,
            "Repareren afgerond. Logfile aangemaakt (" + LogPath().string() + ")");
  EXPECT_EQ(fakes.messageBox.shown[0].style, 0);
  EXPECT_EQ(ReadAll(demo.string() + ".20261208-140509.bak"), original);
  EXPECT_EQ(OdbcTestEnvironment::ReadSettings(demo).size(), 4U);
  EXPECT_TRUE(form.Connection().Get().IsOpen());
}

TEST_F(RepairEndToEndTest, HeadlessRunsReportOnTheRightStreamAndRefusedFilesStayAsTheyWere) {
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(app::RunHeadlessRepair(Real(), demo.string(), out, err), 0);
  EXPECT_EQ(out.str(), "Repareren afgerond. Logfile aangemaakt (" + LogPath().string() + ")\n");
  EXPECT_EQ(err.str(), "");

  out.str("");
  const auto original = ReadAll(broken);
  EXPECT_EQ(app::RunHeadlessRepair(Real(), broken.string(), out, err), 1);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(
      err.str().rfind("Repareren mislukt. Zie logfile (" + LogPath().string() + ")\nReden: ", 0),
      0U)
      << err.str();
  EXPECT_EQ(ReadAll(broken), original);
  // The second block is the header and one error line carrying the driver's own reason.
  const auto log = Log();
  const std::string firstBlock = std::string(kHeader) + kTwoUsers + kClosing;
  ASSERT_EQ(log.rfind(firstBlock + kHeader + "Error in repair (11, ", 0), 0U) << log;
  EXPECT_EQ(log.find("\r\n", firstBlock.size() + std::string(kHeader).size()), log.size() - 2)
      << log;
}

struct ProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class ProgramTest : public RepairEndToEndTest {
 protected:
  // Through the shell, so the program gets its own state and settings folders and no display.
  ProgramRun Run(const std::vector<std::string>& arguments) {
    const auto work = environment.WorkDirectory();
    std::string command = "XDG_STATE_HOME='" + (work / "state").string() + "' XDG_CONFIG_HOME='" +
                          (work / "config").string() + "' QT_QPA_PLATFORM=offscreen '" +
                          std::string(kProgram) + "'";
    for (const auto& argument : arguments) {
      command += " '" + argument + "'";
    }
    command += " >'" + (work / "out").string() + "' 2>'" + (work / "err").string() +
               "'; echo $? >'" + (work / "code").string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    ProgramRun run;
    std::ifstream(work / "code") >> run.exitCode;
    run.out = ReadAll(work / "out");
    run.err = ReadAll(work / "err");
    return run;
  }

  fs::path ProgramLog() const {
    return environment.WorkDirectory() / "state/brivanto/repairBrivanto.log";
  }
};

TEST_F(ProgramTest, RepairOptionRepairsAndExitsWithTheOutcome) {
  const auto repaired = Run({"--repair", demo.string()});
  EXPECT_EQ(repaired.exitCode, 0) << repaired.err;
  EXPECT_EQ(repaired.out,
            "Repareren afgerond. Logfile aangemaakt (" + ProgramLog().string() + ")\n");
  EXPECT_NE(ReadAll(ProgramLog()).find(std::string(kTwoUsers) + kClosing), std::string::npos);

  const auto refused = Run({"--repair", broken.string()});
  EXPECT_EQ(refused.exitCode, 1);
  // The reason the driver gave is printed too, not only in the log.
  EXPECT_EQ(refused.err.rfind("Repareren mislukt. Zie logfile (" + ProgramLog().string() +
                                  ")\nReden: [Brivanto Access stand-in] Cannot repair",
                              0),
            0U)
      << refused.err;
}

}  // namespace
}  // namespace brivanto::testing
