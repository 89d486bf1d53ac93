#include <gtest/gtest.h>

#include "app/frmRepairDb.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

constexpr const char* kStandardCaption = "Brivanto: Repareren database";
constexpr const char* kZelvorantaCaption = "Brivanto: Repareren database voor de Zelvoranta";

class StartupTest : public ::testing::Test {
 protected:
  void SaveLastPath(const std::string& path) {
    fakes.settings.values[FakeSettingsStore::Key("Brivanto", "RepairDb", "DbPath")] = path;
  }
  std::string SavedPath() {
    return fakes.settings.GetSetting("Brivanto", "RepairDb", "DbPath", "<none>");
  }

  FakeServices fakes;
  FakeView view;
  app::frmRepairDb form{view, fakes.Bundle()};
};

TEST_F(StartupTest, ServerDataSourceEmptiesThePathAndTheSavedSetting) {
  SaveLastPath("C:\\x\\a.mdb");
  fakes.registry.SetDataSource("driver", "C:\\WINDOWS\\System32\\SQLSRV32.dll");
  fakes.registry.SetDataSource("DBQ", "D:\\never\\read.mdb");

  EXPECT_TRUE(form.Form_Load());

  EXPECT_EQ(view.path, "");
  EXPECT_EQ(view.caption, kStandardCaption);
  EXPECT_EQ(form.DbPattern(), "BrivantoDb.mdb");
  EXPECT_EQ(SavedPath(), "");
  // The saved path was shown (and so saved again) before the data source replaced it.
  EXPECT_EQ(fakes.settings.saves, (std::vector<std::string>{"C:\\x\\a.mdb", ""}));
}

TEST_F(StartupTest, DriverNamesMentioningSqlInAnyCaseCountAsServerDatabases) {
  for (const char* driver : {"MySQL ODBC 8.0 Driver", "PostgreSQL Unicode", "sqlsrv"}) {
    FakeServices services;
    FakeView window;
    services.registry.SetDataSource("driver", driver);
    services.registry.SetDataSource("DBQ", "D:\\data\\BrivantoDb.mdb");
    app::frmRepairDb startingForm(window, services.Bundle());
    startingForm.Form_Load();
    EXPECT_EQ(window.path, "") << driver;
  }
}

TEST_F(StartupTest, AccessDataSourceShowsItsDatabaseFile) {
  SaveLastPath("C:\\old.mdb");
  fakes.registry.SetDataSource("driver", "C:\\WINDOWS\\System32\\odbcjt32.dll");
  fakes.registry.SetDataSource("DBQ", "D:\\data\\BrivantoDb.mdb");

  EXPECT_TRUE(form.Form_Load());

  EXPECT_EQ(view.path, "D:\\data\\BrivantoDb.mdb");
  EXPECT_EQ(view.caption, kStandardCaption);
  EXPECT_EQ(form.DbPattern(), "BrivantoDb.mdb");
  EXPECT_EQ(SavedPath(), "D:\\data\\BrivantoDb.mdb");
}

TEST_F(StartupTest, MissingDataSourceSelectsTheZelvorantaVariant) {
  SaveLastPath("C:\\x\\kestrin1.mdb");

  EXPECT_TRUE(form.Form_Load());

  EXPECT_EQ(view.caption, kZelvorantaCaption);
  EXPECT_EQ(form.DbPattern(), "kestrin*.mdb");
  EXPECT_EQ(view.path, "");
  EXPECT_EQ(SavedPath(), "");
}

TEST_F(StartupTest, BlankDatabaseFileSelectsZelvorantaAndKeepsTheBlanks) {
  fakes.registry.SetDataSource("driver", "odbcjt32.dll");
  fakes.registry.SetDataSource("DBQ", "   ");

  EXPECT_TRUE(form.Form_Load());

  EXPECT_EQ(view.caption, kZelvorantaCaption);
  EXPECT_EQ(form.DbPattern(), "kestrin*.mdb");
  EXPECT_EQ(view.path, "   ");
}

TEST_F(StartupTest, MissingReaderModuleSelectsZelvorantaAndKeepsTheSavedPath) {
  SaveLastPath("C:\\x\\a.mdb");
  fakes.registry.createFailure = Failure(failure_codes::kModuleNotFound, "module not found");

  EXPECT_TRUE(form.Form_Load());

  EXPECT_EQ(view.caption, kZelvorantaCaption);
  EXPECT_EQ(form.DbPattern(), "kestrin*.mdb");
  EXPECT_EQ(view.path, "C:\\x\\a.mdb");
  EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(StartupTest, AnyOtherLoadFailureShowsOneErrorBoxAndEndsTheProgram) {
  fakes.registry.readFailure = Failure(-2147221164, "Class not registered");

  EXPECT_FALSE(form.Form_Load());

  ASSERT_EQ(fakes.messageBox.shown.size(), 1U);
  EXPECT_EQ(fakes.messageBox.shown[0].text, "Class not registered (-2147221164)");
  EXPECT_EQ(fakes.messageBox.shown[0].style, 16);
  EXPECT_EQ(fakes.messageBox.shown[0].title, "Error in load form");
}

TEST_F(StartupTest, UnexpectedExceptionsAlsoEndTheProgramWithTheErrorBox) {
  fakes.registry.createFailure.reset();
  struct ThrowingRegistry : ports::RegistryReaderFactory {
    std::unique_ptr<ports::RegistryReader> Create() override { throw std::bad_alloc(); }
  } registry;
  auto services = fakes.Bundle();
  app::Services withThrowingRegistry{
      services.messageBox, services.settings,   registry,           services.database,
      services.fileSystem, services.fileDialog, services.clipboard, services.clock,
      services.ticks,      services.installer,  services.shell,     services.repairLogPath};
  app::frmRepairDb failingForm(view, withThrowingRegistry);

  EXPECT_FALSE(failingForm.Form_Load());
  ASSERT_EQ(fakes.messageBox.shown.size(), 1U);
  EXPECT_EQ(fakes.messageBox.shown[0].title, "Error in load form");
}

TEST_F(StartupTest, UnloadReleasesTheConnectionAndNeverCancels) {
  app::frmRepairDb neverLoaded(view, fakes.Bundle());
  bool cancel = false;
  neverLoaded.Form_Unload(cancel);
  EXPECT_FALSE(cancel);

  fakes.fileSystem.allFilesExist = true;
  fakes.registry.SetDataSource("DBQ", "D:\\data\\BrivantoDb.mdb");
  form.Form_Load();
  ASSERT_EQ(fakes.database.state.alive, 1);
  form.Form_Unload(cancel);
  EXPECT_EQ(fakes.database.state.alive, 0);
  EXPECT_FALSE(cancel);
}

}  // namespace
}  // namespace brivanto::testing

namespace brivanto::testing {
namespace {

TEST(HandlerFailures, AreShownInAnErrorBoxAndTheNextEventStillRuns) {
  FakeServices fakes;
  FakeView view;
  app::frmRepairDb form(view, fakes.Bundle());

  form.RunHandler([] { throw Failure(-2147217900, "Syntaxfout"); });
  form.RunHandler([] { throw std::length_error("te lang"); });
  bool ran = false;
  form.RunHandler([&] { ran = true; });

  ASSERT_EQ(fakes.messageBox.shown.size(), 2U);
  EXPECT_EQ(fakes.messageBox.shown[0].text, "Syntaxfout (-2147217900)");
  EXPECT_EQ(fakes.messageBox.shown[0].style, 16);
  EXPECT_EQ(fakes.messageBox.shown[0].title, "BrivantoRepairDb");
  EXPECT_EQ(fakes.messageBox.shown[1].text, "te lang (51)");
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace brivanto::testing
