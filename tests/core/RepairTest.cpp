#include <gtest/gtest.h>

#include <set>

#include "app/frmRepairDb.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

constexpr const char* kLoggedOnQuery =
    "Select * from tblSettings where [Section] = 'License' and [sKey] like 'LoggedOn%'";
constexpr const char* kDatabase = "C:\\a b\\BrivantoDb.mdb";
constexpr const char* kBackup = "C:\\a b\\BrivantoDb.mdb.20261208-140509.bak";
constexpr const char* kHeader = "------------ 20261208 ------------\r\n";
constexpr const char* kNoUsers = "Geen aangelogde gebruikers\r\n";
constexpr const char* kClosing = "----------------------------------\r\n";
constexpr const char* kDone = "Repareren afgerond. Logfile aangemaakt (repair.log)";
constexpr const char* kFailed = "Repareren mislukt. Zie logfile (repair.log)";
constexpr const char* kRepairedIncomplete =
    "De database is gerepareerd (kopie: C:\\a b\\BrivantoDb.mdb.20261208-140509.bak), maar het "
    "verslag is niet compleet. Zie logfile (repair.log)";

// The literal's bytes, embedded NULs included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

FakeTable LoggedOn(const std::vector<ports::FieldValue>& values) {
  FakeTable table{{"Section", "sKey", "Value"}, {}};
  for (const auto& value : values) {
    table.rows.push_back({"License", "LoggedOn" + std::to_string(table.rows.size()), value});
  }
  return table;
}

class RepairTest : public ::testing::Test {
 protected:
  RepairTest() {
    view.path = kDatabase;
    fakes.fileSystem.files[kDatabase] = Bytes("MDB\0bytes");
    fakes.database.state.results[kLoggedOnQuery] = LoggedOn({});
    // A new second for each run, so each run's backup gets a name of its own.
    fakes.clock.script = {{2026, 12, 8, 14, 5, 9}, {2026, 12, 8, 14, 5, 10}};
  }

  std::string Log() { return fakes.fileSystem.files[fakes.repairLogPath]; }
  void ExpectOnlyMessage(const std::string& text, int style) {
    ASSERT_EQ(fakes.messageBox.shown.size(), 1U);
    EXPECT_EQ(fakes.messageBox.shown[0].text, text);
    EXPECT_EQ(fakes.messageBox.shown[0].style, style);
    EXPECT_EQ(fakes.messageBox.shown[0].title, "BrivantoRepairDb");
  }

  FakeServices fakes;
  FakeView view;
  app::frmRepairDb form{view, fakes.Bundle()};
};

TEST_F(RepairTest, DatabaseWithoutLoggedOnUsers) {
  form.cmdRepair_Click();

  EXPECT_EQ(Log(), std::string(kHeader) + kNoUsers + kClosing);
  ExpectOnlyMessage(kDone, 0);
  EXPECT_EQ(fakes.fileSystem.openAppendFiles, 0);
}

TEST_F(RepairTest, LoggedOnUsersInQueryOrderAndANullValueAsBlanksAlone) {
  fakes.database.state.results[kLoggedOnQuery] = LoggedOn({"PC-07 jan", std::nullopt, "PC-01"});

  form.cmdRepair_Click();

  EXPECT_EQ(Log(), std::string(kHeader) +
                       "Aangelogde users 3\r\n   PC-07 jan\r\n   \r\n   PC-01\r\n" + kClosing);
  ExpectOnlyMessage(kDone, 0);
}

TEST_F(RepairTest, RequestAndQueryReachTheDriverExactly) {
  view.path = " C:\\a b\\x.mdb ";
  form.cmdRepair_Click();

  ASSERT_EQ(fakes.installer.calls.size(), 1U);
  const auto& call = fakes.installer.calls[0];
  EXPECT_EQ(call.window, 0);
  EXPECT_EQ(call.request, 2);
  EXPECT_EQ(call.driver, "Microsoft Access Driver (*.MDB)");
  EXPECT_EQ(call.attributes, Bytes("REPAIR_DB=\" C:\\a b\\x.mdb \"\0PWD=Gk58w2n7\0\0"));
  // The fresh connection gets the path without quotes, blanks and all, on a client-side cursor.
  EXPECT_EQ(fakes.database.state.opened,
            std::vector<std::string>{
                "driver={Microsoft Access Driver (*.mdb)};DBQ= C:\\a b\\x.mdb ; pwd=Gk58w2n7;"});
  const auto& connection = static_cast<const FakeConnection&>(form.Connection().Get());
  EXPECT_EQ(connection.cursorLocation, ports::CursorLocation::Client);
  EXPECT_TRUE(connection.IsOpen());
  ASSERT_EQ(fakes.database.state.executed.size(), 1U);
  EXPECT_EQ(fakes.database.state.executed[0].sql, kLoggedOnQuery);
  EXPECT_EQ(fakes.database.state.recordsetOptions.back(),
            std::make_pair(ports::CursorType::Static, ports::LockType::Optimistic));
}

TEST_F(RepairTest, EmptyPathBoxEndsWithTheErrorLineAndTheFailureBox) {
  view.path = "";
  fakes.database.state.openFailure = Failure(-2147467259, "Not a valid file name.");

  form.cmdRepair_Click();

  EXPECT_EQ(fakes.installer.calls.at(0).attributes, Bytes("REPAIR_DB=\"\"\0PWD=Gk58w2n7\0\0"));
  EXPECT_TRUE(fakes.fileSystem.copies.empty());
  EXPECT_EQ(Log(),
            std::string(kHeader) + "Error in repair (-2147467259, Not a valid file name.)\r\n");
  // The driver took the request, so the message must not say the repair failed.
  ExpectOnlyMessage(
      "De database is gerepareerd, maar het verslag is niet compleet. Zie logfile (repair.log)",
      16);
  EXPECT_FALSE(form.Connection().Get().IsOpen());
}

TEST_F(RepairTest, FailedRepairRequestIsLoggedWithTheInstallersErrorAndGoesNoFurther) {
  fakes.installer.succeeds = false;
  fakes.installer.error = {1, "General installer error"};
  form.cmdRepair_Click();

  EXPECT_EQ(Log(), std::string(kHeader) + "Error in repair (1, General installer error)\r\n");
  // Nothing was repaired: the window goes on with the file as it was.
  EXPECT_TRUE(form.Connection().Get().IsOpen());
  ExpectOnlyMessage(kFailed, 16);
  EXPECT_TRUE(fakes.database.state.executed.empty());
  EXPECT_TRUE(fakes.database.state.recordsetOptions.empty());

  // A driver that refuses without giving a reason still leaves a readable line.
  fakes.installer.error = {0, ""};
  form.cmdRepair_Click();
  EXPECT_NE(Log().find("Error in repair (0, De driver meldt geen reden)\r\n"), std::string::npos);
}

// Whether the driver takes the repair as request 2 is not documented: it may repair and still
// say FALSE, or take it only as request 1. Only two refusals fail, with the one that names a
// real obstacle rather than the request type.
TEST_F(RepairTest, ARefusedRequestIsAskedAgainAsAddAndOnlyTwoRefusalsFail) {
  using Answer = std::optional<ports::InstallerError>;
  const ports::InstallerError wrongType{5, "Request 2 is not supported"};
  const ports::InstallerError inUse{11,
                                    "Het bestand is in gebruik bij \xC3\xA9\xC3\xA9n gebruiker"};
  struct Case {
    Answer config;
    Answer add;
    std::vector<int> requests;
    std::string lastLine;
  };
  const Case cases[] = {
      {std::nullopt, inUse, {2}, kClosing},
      {ports::InstallerError{}, std::nullopt, {2, 1}, kClosing},
      {wrongType, std::nullopt, {2, 1}, kClosing},
      {wrongType, inUse, {2, 1}, "Error in repair (11, " + inUse.message + ")\r\n"},
      {inUse, wrongType, {2, 1}, "Error in repair (11, " + inUse.message + ")\r\n"},
      {wrongType,
       ports::InstallerError{5, "Request 1 is not supported"},
       {2, 1},
       "Error in repair (5, Request 2 is not supported)\r\n"},
  };
  for (const auto& test : cases) {
    fakes.installer.calls.clear();
    fakes.installer.answers = {{2, test.config}, {1, test.add}};
    form.cmdRepair_Click();

    std::vector<int> requests;
    for (const auto& call : fakes.installer.calls) {
      requests.push_back(call.request);
    }
    EXPECT_EQ(requests, test.requests);
    EXPECT_TRUE(Log().ends_with(test.lastLine)) << Log();
    EXPECT_EQ(fakes.messageBox.shown.back().text, test.lastLine == kClosing ? kDone : kFailed);
  }
}

TEST_F(RepairTest, FailingQueryOrMissingValueColumnEndsTheBlockWithTheError) {
  fakes.database.state.failures.emplace(kLoggedOnQuery, Failure(-2147217865, "no such table"));
  form.cmdRepair_Click();
  EXPECT_EQ(Log(), std::string(kHeader) + "Error in repair (-2147217865, no such table)\r\n");

  fakes.fileSystem.files.erase(fakes.repairLogPath);
  fakes.database.state.failures.clear();
  fakes.database.state.results[kLoggedOnQuery] = FakeTable{{"sKey"}, {{"LoggedOn1"}}};
  form.cmdRepair_Click();
  EXPECT_EQ(Log(), std::string(kHeader) +
                       "Aangelogde users 1\r\nError in repair (3265, De recordset heeft geen "
                       "veld met de naam 'Value')\r\n");
  ASSERT_EQ(fakes.messageBox.shown.size(), 2U);
  EXPECT_EQ(fakes.messageBox.shown[0].text, kRepairedIncomplete);
  EXPECT_EQ(fakes.messageBox.shown[1].text.rfind("De database is gerepareerd (kopie: ", 0), 0U);
}

TEST_F(RepairTest, RunsAppendBlocksAndKeepEachBackupUnderItsOwnName) {
  fakes.fileSystem.files[fakes.repairLogPath] = "older block\r\n";
  fakes.clock.script = {{2026, 12, 8, 14, 5, 9}, {2026, 12, 8, 23, 59, 59}, {2027, 1, 2, 0, 0, 1}};

  for (int run = 0; run < 3; ++run) {
    form.cmdRepair_Click();
  }

  const std::string noUsers = std::string(kNoUsers) + kClosing;
  EXPECT_EQ(Log(), "older block\r\n" + std::string(kHeader) + noUsers + kHeader + noUsers +
                       "------------ 20270102 ------------\r\n" + noUsers);
  std::vector<std::string> backups;
  for (const auto& copy : fakes.fileSystem.copies) {
    backups.push_back(copy.second);
  }
  EXPECT_EQ(backups,
            (std::vector<std::string>{kBackup, "C:\\a b\\BrivantoDb.mdb.20261208-235959.bak",
                                      "C:\\a b\\BrivantoDb.mdb.20270102-000001.bak"}));
  EXPECT_EQ(fakes.fileSystem.files[kBackup], Bytes("MDB\0bytes"));
}

TEST_F(RepairTest, ConnectionIsReleasedBeforeTheBackupAndTheRequest) {
  form.txtPath_Change();
  ASSERT_EQ(fakes.database.state.alive, 1);
  std::vector<std::string> events;
  fakes.fileSystem.onCopy = [&] {
    events.push_back("backup, connections " + std::to_string(fakes.database.state.alive));
  };
  fakes.installer.onCall = [&] {
    events.push_back("request, connections " + std::to_string(fakes.database.state.alive));
  };

  form.cmdRepair_Click();

  EXPECT_EQ(events, (std::vector<std::string>{"backup, connections 0", "request, connections 0"}));
  EXPECT_EQ(fakes.database.state.alive, 1);
}

TEST_F(RepairTest, FailedBackupMeansNoRepairRequest) {
  fakes.fileSystem.copyFailure = Failure(75, "Read-only file system");

  form.cmdRepair_Click();

  EXPECT_TRUE(fakes.installer.calls.empty());
  EXPECT_EQ(Log(), std::string(kHeader) + "Error in repair (75, Backup " + kBackup +
                       " kan niet worden gemaakt: Read-only file system)\r\n");
  ExpectOnlyMessage(kFailed, 16);
}

TEST_F(RepairTest, LogThatCannotBeOpenedStopsEverythingAndSaysWhy) {
  form.txtPath_Change();
  fakes.fileSystem.openFailure = Failure(75, "Permission denied");

  form.cmdRepair_Click();

  ExpectOnlyMessage(
      "Repareren niet gestart. Logfile kan niet worden geopend (repair.log): Permission denied",
      16);
  EXPECT_TRUE(fakes.installer.calls.empty());
  EXPECT_TRUE(fakes.fileSystem.copies.empty());
  EXPECT_TRUE(form.Connection().Get().IsOpen());
}

// Refuses to open the logs named in `refused`, the way the root of C: refuses a standard user.
class FileSystemRefusingLogs : public FakeFileSystem {
 public:
  std::unique_ptr<ports::AppendFile> OpenForAppend(const std::string& path) override {
    if (refused.count(path) != 0) {
      throw Failure(75, "Access denied: " + path);
    }
    return FakeFileSystem::OpenForAppend(path);
  }
  std::set<std::string> refused;
};

TEST_F(RepairTest, LogThatCannotBeOpenedFallsBackToTheSecondPathWhichTheMessageNames) {
  const std::string primary = "c:\\repairBrivanto.log";
  const std::string fallback = "C:\\Users\\jan\\AppData\\Local\\Brivanto\\repairBrivanto.log";
  const struct {
    std::string name;
    std::set<std::string> refused;
    std::string fallbackPath;
    bool installerFails;
    std::string writtenLog;  // empty: no log written and nothing repaired
    std::string message;
  } cases[] = {
      {"first path opens",
       {},
       fallback,
       false,
       primary,
       "Repareren afgerond. Logfile aangemaakt (" + primary + ")"},
      {"fallback opens",
       {primary},
       fallback,
       false,
       fallback,
       "Repareren afgerond. Logfile aangemaakt (" + fallback + ")"},
      {"failure names the fallback",
       {primary},
       fallback,
       true,
       fallback,
       "Repareren mislukt. Zie logfile (" + fallback + ")"},
      {"no fallback",
       {primary},
       "",
       false,
       "",
       "Repareren niet gestart. Logfile kan niet worden geopend (" + primary +
           "): Access denied: " + primary},
      {"neither opens",
       {primary, fallback},
       fallback,
       false,
       "",
       "Repareren niet gestart. Logfile kan niet worden geopend (" + primary +
           "): Access denied: " + primary + "; ook " + fallback +
           " niet: Access denied: " + fallback},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    FakeServices run;
    FileSystemRefusingLogs fileSystem;
    fileSystem.refused = test.refused;
    fileSystem.files[kDatabase] = "db";
    run.realFileSystem = &fileSystem;
    run.repairLogPath = primary;
    run.installer.succeeds = !test.installerFails;
    run.database.state.results[kLoggedOnQuery] = LoggedOn({});
    auto services = run.Bundle();
    services.fallbackRepairLogPath = test.fallbackPath;
    FakeView window;
    window.path = kDatabase;
    app::frmRepairDb repairForm{window, services};

    repairForm.cmdRepair_Click();

    ASSERT_EQ(run.messageBox.shown.size(), 1U);
    EXPECT_EQ(run.messageBox.shown[0].text, test.message);
    for (const auto& log : {primary, fallback}) {
      if (log == test.writtenLog) {
        EXPECT_EQ(fileSystem.files[log].rfind(kHeader, 0), 0U) << log;
      } else {
        EXPECT_EQ(fileSystem.files.count(log), 0U) << log;
      }
    }
    // A refused request is asked once more, as ODBC_ADD_DSN.
    const std::size_t requests = test.writtenLog.empty() ? 0U : (test.installerFails ? 2U : 1U);
    EXPECT_EQ(run.installer.calls.size(), requests);
    EXPECT_EQ(fileSystem.openAppendFiles, 0);
  }
}

TEST_F(RepairTest, LogThatFillsUpMidwayIsReportedInsteadOfSuccess) {
  fakes.fileSystem.writableLines = 1;

  form.cmdRepair_Click();

  EXPECT_EQ(Log(), kHeader);
  ExpectOnlyMessage(
      "De database is gerepareerd (kopie: " + std::string(kBackup) +
          "), maar de logfile kan niet worden geschreven (repair.log): No space left on device",
      16);
  EXPECT_EQ(fakes.fileSystem.openAppendFiles, 0);

  // A log full before the repair request still means nothing was repaired.
  fakes.fileSystem.writableLines = 0;
  form.cmdRepair_Click();
  EXPECT_EQ(fakes.messageBox.shown.back().text,
            "Repareren mislukt. Logfile kan niet worden geschreven (repair.log): No space left on "
            "device");
  EXPECT_EQ(fakes.installer.calls.size(), 1U);
}

TEST_F(RepairTest, LineBreaksInValuesCannotForgeLines) {
  fakes.database.state.results[kLoggedOnQuery] =
      LoggedOn({"PC-07\r\n----------------------------------", "a\rb\nc"});
  form.cmdRepair_Click();
  EXPECT_EQ(Log(), std::string(kHeader) +
                       "Aangelogde users 2\r\n   PC-07  ----------------------------------\r\n"
                       "   a b c\r\n" +
                       kClosing);

  fakes.fileSystem.files.erase(fakes.repairLogPath);
  fakes.database.state.failures.emplace(kLoggedOnQuery, Failure(1, "no such\ntable"));
  form.cmdRepair_Click();
  EXPECT_EQ(Log(), std::string(kHeader) + "Error in repair (1, no such table)\r\n");
}

TEST_F(RepairTest, BackupTakesTheNextFreeNameOrAShorterOne) {
  const std::string folder = "C:\\a b\\";
  const std::string longName = std::string(250, 'x') + ".mdb";
  const std::string stamp = ".20261208-140509";
  const struct {
    std::string database;
    std::vector<std::string> taken;
    std::string expected;  // "" when the name must be shortened
  } cases[] = {
      {kDatabase, {kBackup}, folder + "BrivantoDb.mdb" + stamp + "-2.bak"},
      {kDatabase,
       {kBackup, folder + "BrivantoDb.mdb" + stamp + "-2.bak"},
       folder + "BrivantoDb.mdb" + stamp + "-3.bak"},
      // A journal copy that would land beside the backup makes its name taken, too.
      {kDatabase,
       {kDatabase + std::string("-journal"), kBackup + std::string("-journal")},
       folder + "BrivantoDb.mdb" + stamp + "-2.bak"},
      {folder + longName, {}, ""},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.database);
    FakeServices run;
    run.fileSystem.files[test.database] = "db";
    for (const auto& name : test.taken) {
      run.fileSystem.files[name] = "keep";
    }
    run.clock.script = {{2026, 12, 8, 14, 5, 9}};
    run.database.state.results[kLoggedOnQuery] = LoggedOn({});
    FakeView window;
    window.path = test.database;
    app::frmRepairDb repairForm{window, run.Bundle()};

    repairForm.cmdRepair_Click();

    ASSERT_FALSE(run.fileSystem.copies.empty());
    const auto backup = run.fileSystem.copies.back().second;
    if (test.expected.empty()) {
      EXPECT_EQ(backup.rfind(folder + std::string(200, 'x') + "~", 0), 0U) << backup;
      EXPECT_EQ(backup.substr(backup.size() - 20), stamp + ".bak");
      EXPECT_LE(backup.size() - folder.size() + 8, 255U);  // room for "-journal"
    } else {
      EXPECT_EQ(backup, test.expected);
    }
    EXPECT_EQ(run.fileSystem.files[backup], "db");
    for (const auto& name : test.taken) {
      EXPECT_EQ(run.fileSystem.files[name], "keep");
    }
    EXPECT_EQ(run.messageBox.shown.at(0).text, kDone);
  }
}

TEST_F(RepairTest, LeftoverJournalIsCopiedBesideTheBackupBeforeIt) {
  const auto journal = std::string(kDatabase) + "-journal";
  fakes.fileSystem.files[journal] = "hot journal";

  form.cmdRepair_Click();

  EXPECT_EQ(fakes.fileSystem.copies,
            (std::vector<std::pair<std::string, std::string>>{
                {journal, kBackup + std::string("-journal")}, {kDatabase, kBackup}}));
  EXPECT_EQ(fakes.fileSystem.files[kBackup + std::string("-journal")], "hot journal");
  ExpectOnlyMessage(kDone, 0);
}

// A journal can also belong to another program's live transaction, and vanish on its commit
// between the look and the copy; the file then no longer needs it.
TEST_F(RepairTest, JournalThatVanishesBeforeTheCopyIsLeftOut) {
  const auto journal = std::string(kDatabase) + "-journal";
  fakes.fileSystem.files[journal] = "live journal";
  fakes.fileSystem.onCopy = [&] { fakes.fileSystem.files.erase(journal); };

  form.cmdRepair_Click();

  EXPECT_EQ(fakes.fileSystem.files.count(kBackup), 1U);
  EXPECT_EQ(fakes.fileSystem.files.count(kBackup + std::string("-journal")), 0U);
  ExpectOnlyMessage(kDone, 0);
}

}  // namespace
}  // namespace brivanto::testing
