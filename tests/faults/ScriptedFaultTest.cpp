// Faults around the repair, through the real ODBC stack and adapters: the driver's own numbers
// reach the Failure, and the window stays usable with a clear message and nothing lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "FaultSupport.h"
#include "IniSettingsStore.h"
#include "OdbcDataSourceReader.h"
#include "OdbcInstallerLibrary.h"
#include "RealDatabaseWindow.h"
#include "repair/RepairLog.h"
#include "support/TemporaryFolder.h"

namespace brivanto::testing {
namespace {

namespace fs = std::filesystem;

class ScriptedFaultTest : public RealDatabaseWindow {
 protected:
  void SetUp() override {
    RealDatabaseWindow::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    file = CreateDatabase(
               {{"License", "LoggedOn1", "PC-07 jan"}, {"Storage", "DocumentPath", "D:\\Docs"}})
               .string();
  }
  Failure OpenFailure(const std::string& path) {
    auto connection = access->database.CreateConnection();
    try {
      connection->Open(OdbcTestEnvironment::AccessConnectionText(path));
    } catch (const Failure& failure) {
      return failure;
    }
    ADD_FAILURE() << "the connection opened";
    return Failure(0, "");
  }
  std::string file;
};

TEST_F(ScriptedFaultTest, DriverRefusalsKeepTheirStateAndNativeErrorBehindTheSameNumber) {
  const Failure missing = OpenFailure(file + ".missing");
  EXPECT_EQ(missing.Number(), failure_codes::kProviderError);
  EXPECT_EQ(missing.Sqlstate(), "HY000");
  EXPECT_EQ(missing.NativeError(), 1002);
  EXPECT_EQ(missing.Description().rfind("[Brivanto Access stand-in] Could not find file ", 0), 0U)
      << missing.Description();

  SqliteLock otherProgram(file);
  const Failure locked = OpenFailure(file);
  EXPECT_EQ(locked.Number(), failure_codes::kProviderError);
  EXPECT_EQ(locked.Sqlstate(), "HY000");
  EXPECT_EQ(locked.NativeError(), 1007);
}

TEST_F(ScriptedFaultTest, ADriverThatCannotBeLoadedFailsTheRepairWithItsReasonOnly) {
  // The installer library, asked to repair with a driver whose setup library is missing.
  odbc::OdbcInstallerLibrary installer;
  ASSERT_FALSE(installer.ConfigDataSource(0, repair::kConfigDataSourceRequest,
                                          OdbcTestEnvironment::kBrokenSetupDriver,
                                          repair::RepairAttributes(file)));
  const auto error = installer.LastError();
  EXPECT_NE(error.code, 0);
  EXPECT_NE(error.message.find("/nonexistent/libbrivanto-setup.so"), std::string::npos)
      << error.message;

  // The window's repair, with its request sent to that driver.
  struct BrokenDriverInstaller : ports::OdbcInstaller {
    odbc::OdbcInstallerLibrary real;
    bool ConfigDataSource(std::intptr_t window, int request, const std::string&,
                          const std::string& attributes) override {
      return real.ConfigDataSource(window, request, OdbcTestEnvironment::kBrokenSetupDriver,
                                   attributes);
    }
    ports::InstallerError LastError() override { return real.LastError(); }
  } broken;
  const auto rows = AllRows(file);
  fakes.realInstaller = &broken;
  fakes.repairLogPath = (environment.WorkDirectory() / "repair.log").string();
  app::frmRepairDb window(view, Services());
  view.path = file;
  window.txtPath_Change();
  window.cmdRepair_Click();
  ASSERT_EQ(fakes.messageBox.shown.size(), 1U);
  EXPECT_EQ(fakes.messageBox.shown[0].text.rfind("Repareren mislukt. Zie logfile (", 0), 0U);
  EXPECT_NE(window.LastRepairFailure().find("/nonexistent/libbrivanto-setup.so"), std::string::npos)
      << window.LastRepairFailure();
  EXPECT_EQ(AllRows(file), rows);
  // The repair gave up the window's connection; the path box opens the file again.
  window.txtPath_Change();
  EXPECT_TRUE(window.Connection().Get().IsOpen());
}

TEST_F(ScriptedFaultTest, AMissingInstallerLibraryServesTheOtherVariant) {
  odbc::OdbcDataSourceReaderFactory registry("libbrivanto-no-such-installer.so.9");
  const Failure failure = [&] {
    try {
      registry.Create();
    } catch (const Failure& caught) {
      return caught;
    }
    return Failure(0, "");
  }();
  EXPECT_EQ(failure.Number(), failure_codes::kModuleNotFound);
  fakes.registry.createFailure = failure;
  app::frmRepairDb window(view, Services());
  EXPECT_TRUE(window.Form_Load());
  EXPECT_EQ(window.DbPattern().rfind("kestrin", 0), 0U) << window.DbPattern();
  EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(ScriptedFaultTest, UnusableOdbcIniLeavesThePathBoxEmptyAndTheWindowUsable) {
  odbc::OdbcDataSourceReaderFactory registry;
  for (const char* content : {"", "garbage\n[[[\n=\x01\x02", "[BrivantoDb]\nDriver\n"}) {
    SCOPED_TRACE(::testing::PrintToString(std::string(content)));
    OdbcTestEnvironment::WriteOdbcIni(content);
    auto reader = registry.Create();
    std::string value = "unchanged";
    reader->ReadString(ports::kHkeyLocalMachine, "SOFTWARE\\ODBC\\ODBC.INI\\BrivantoDb", "DBQ",
                       value);
    EXPECT_EQ(value, "unchanged");
  }
  OdbcTestEnvironment::RemoveOdbcIni();
  std::string value = "unchanged";
  registry.Create()->ReadString(ports::kHkeyLocalMachine, "SOFTWARE\\ODBC\\ODBC.INI\\BrivantoDb",
                                "DBQ", value);
  EXPECT_EQ(value, "unchanged");
}

TEST_F(ScriptedFaultTest, UnwritableSettingsNeverStopThePathBox) {
  for (const bool asFolder : {false, true}) {
    TemporaryFolder base;
    // The settings file is a folder, or its folder a file: no user, root included, can save.
    if (asFolder) {
      fs::create_directories(base.Path() / "Brivanto" / "Brivanto.ini");
    } else {
      std::ofstream(base.Path() / "Brivanto") << "no folder";
    }
    posix::IniSettingsStore settings(base.Path());
    EXPECT_THROW(settings.SaveSetting("Brivanto", "RepairDb", "DbPath", file), Failure);
    app::Services services = Services();
    app::Services withSettings{services.messageBox, settings,
                               services.registry,   services.database,
                               services.fileSystem, services.fileDialog,
                               services.clipboard,  services.clock,
                               services.ticks,      services.installer,
                               services.shell,      services.repairLogPath};
    app::frmRepairDb window(view, withSettings);
    view.path = file;
    window.txtPath_Change();
    EXPECT_TRUE(window.Connection().Get().IsOpen());
    EXPECT_EQ(view.dir, "D:\\Docs");
  }
}

TEST_F(ScriptedFaultTest, ConsoleFailuresAreListedAndTheWindowRunsTheNextStatement) {
  Open(file);
  const auto run = [&](const std::string& query) {
    view.query = query;
    form->cmdExecute_Click();
    return view.results.lines;
  };
  // The driver computes every row while executing, so the failure comes before any row.
  const auto failed =
      run("select sKey, abs(-9223372036854775807 - (sKey = 'DocumentPath')) from tblSettings");
  EXPECT_EQ(failed.back().rfind(std::to_string(failure_codes::kProviderError) + " ", 0), 0U)
      << failed.back();

  // The file goes away between two runs; the connection still reads what it opened.
  const auto rows = AllRows(file);
  fs::rename(file, file + ".moved");
  const auto after = run("select count(*) from tblSettings");
  EXPECT_NE(std::find(after.begin(), after.end(), " 2"), after.end())
      << ::testing::PrintToString(after);
  EXPECT_EQ(AllRows(file + ".moved"), rows);
  EXPECT_TRUE(fakes.messageBox.shown.empty());
}

}  // namespace
}  // namespace brivanto::testing
