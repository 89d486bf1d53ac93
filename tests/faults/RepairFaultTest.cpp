// A fault at every step of a repair, through the real file system, unixODBC and the Access
// stand-in: the database keeps every row, the message and the log name the failing step, and no
// temporary file stays behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "AccessDriver.h"
#include "FaultSupport.h"
#include "OdbcTestEnvironment.h"
#include "Windows1252.h"
#include "app/frmRepairDb.h"
#include "repair/RepairLog.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStamp = ".20261208-140509";
constexpr const char* kFailed = "Repareren mislukt. Zie logfile (";
// The driver's text, in its code page and back in UTF-8 for the log.
constexpr const char* kInUse =
    "in gebruik door een ander programma of een andere verbinding. Be\xC3\xABindig die";
constexpr const char* kRepairedIncomplete = "De database is gerepareerd (kopie: ";
constexpr const char* kLogNotWritten = "Repareren mislukt. Logfile kan niet worden geschreven (";
constexpr const char* kDone = "Repareren afgerond. Logfile aangemaakt (";

class RepairFaultTest;

struct Step {
  const char* name;
  std::function<void(RepairFaultTest&)> inject;
  std::string message;  // how the message starts
  std::string logged;   // what the log holds; the error line, or the closing line
  int backup;           // the number of the backup series kept: 0 none, 1 first name, 2 second
  const char* standInStage = nullptr;  // the stand-in's step the environment makes fail
};

void PrintTo(const Step& step, std::ostream* out) {
  *out << step.name;
}

class RepairFaultTest : public ::testing::TestWithParam<Step> {
 public:
  void SetUp() override {
    if (!OdbcTestEnvironment::AccessStandInBuilt()) {
      GTEST_FAIL() << "the Access stand-in driver (brivanto-access-odbc) is not built";
    }
#ifndef BRIVANTO_STANDIN_TEST_HOOKS
    if (GetParam().standInStage != nullptr) {
      GTEST_FAIL() << "the stand-in is built without BRIVANTO_STANDIN_TEST_HOOKS";
    }
#endif
    fs::create_directory(environment.WorkDirectory() / "data");
    database = environment
                   .CreateSettingsDatabase("data/BrivantoDb.mdb",
                                           {{"License", "LoggedOn1", "PC-07 jan"},
                                            {"Storage", "DocumentPath", "/srv/images"},
                                            {"License", "LoggedOn2", "PC-03 piet"}})
                   .string();
    // Enough rows for more than one page, so a copy or write-back can fail halfway.
    ExecuteSqlite(
        database,
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
        "INSERT INTO tblSettings SELECT 'Filler', 'Row' || i, hex(randomblob(40)) FROM n");
    access.emplace(codePage);
    faultyDatabase.emplace(access->database);
    fakes.realDatabase = &*faultyDatabase;
    fakes.realFileSystem = &fileSystem;
    fakes.realInstaller = &access->installer;
    fakes.repairLogPath = (environment.WorkDirectory() / "state/repair.log").string();
    form.emplace(view, fakes.Bundle());
    view.path = database;
    form->txtPath_Change();
  }

  std::string Log() const {
    std::ifstream in(fakes.repairLogPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string Backup(int number) const {
    return database + kStamp + (number == 2 ? "-2.bak" : ".bak");
  }

  OdbcTestEnvironment environment;  // first: the private ODBC configuration
  std::string database;
  odbc::Windows1252 codePage;
  std::optional<odbc::AccessDriver> access;
  std::optional<FaultyDatabase> faultyDatabase;
  FaultyFileSystem fileSystem;
  FakeServices fakes;
  FakeView view;
  std::optional<app::frmRepairDb> form;
  std::optional<SqliteLock> otherProgram;
};

TEST_P(RepairFaultTest, DatabaseKeepsEveryRowAndTheLogNamesTheStep) {
  const Step& step = GetParam();
  const auto before = AllRows(database);
  step.inject(*this);
  {
    std::optional<ScopedEnvironment> standInFault;
    if (step.standInStage != nullptr) {
      standInFault.emplace("BRIVANTO_STANDIN_TEST_FAIL_AT", step.standInStage);
    }
    form->cmdRepair_Click();
  }
  otherProgram.reset();

  ASSERT_EQ(fakes.messageBox.shown.size(), 1U);
  EXPECT_EQ(fakes.messageBox.shown[0].text.rfind(step.message, 0), 0U)
      << fakes.messageBox.shown[0].text;
  EXPECT_NE(Log().find(step.logged), std::string::npos) << Log();
  EXPECT_EQ(AllRows(database), before);
  for (int number = 1; number <= 2; ++number) {
    EXPECT_EQ(fs::is_regular_file(Backup(number)), number == step.backup) << Backup(number);
  }
  if (step.backup != 0) {
    EXPECT_EQ(AllRows(Backup(step.backup)), before);
  }
  EXPECT_EQ(LeftoverTemporaries(fs::path(database).parent_path()), std::vector<std::string>{});

  // Once the fault is gone, the same window repairs the file.
  fileSystem.copyFault = {};
  fileSystem.failingLogLine = 0;
  faultyDatabase->failingSql.clear();
  fakes.messageBox.shown.clear();
  form->cmdRepair_Click();
  ASSERT_EQ(fakes.messageBox.shown.size(), 1U);
  EXPECT_EQ(fakes.messageBox.shown[0].text.rfind(kDone, 0), 0U) << fakes.messageBox.shown[0].text;
  EXPECT_EQ(AllRows(database), before);
}

std::string ErrorLine(int number, const std::string& text) {
  return "Error in repair (" + std::to_string(number) + ", " + text;
}

const std::string kStandIn = ErrorLine(11, "[Brivanto Access stand-in] Cannot repair '");
const std::string kBackupFailed = ErrorLine(failure_codes::kFileAccess, "Backup ");
constexpr const char* kClosing = "\r\n----------------------------------\r\n";
const auto kNoFault = [](RepairFaultTest&) {};

const Step kSteps[] = {
    {"BeforeTheBackup",
     [](RepairFaultTest& t) {
       t.fileSystem.copyFault = [](auto&, const auto&) -> ports::NewFilesOutcome {
         throw Failure(failure_codes::kFileAccess, "Permission denied");
       };
     },
     kFailed, kBackupFailed, 0},
    {"DuringTheBackup",
     [](RepairFaultTest& t) {
       t.fileSystem.copyFault = [](auto& real, const auto& copies) {
         return CopyWithFileSizeLimit(real, copies, 4096);
       };
     },
     kFailed, "kan niet worden gemaakt: File too large)", 0},
    {"AtTheBackupsRename",
     [](RepairFaultTest& t) {
       // Only the first name is taken; the next one is free.
       t.fileSystem.copyFault = [taken = std::make_shared<bool>(false)](auto& real,
                                                                        const auto& copies) {
         return std::exchange(*taken, true) ? real.CopyToNewFiles(copies)
                                            : CopyWithNameTakenBeforeRename(real, copies);
       };
     },
     kDone, kClosing, 2},
    {"RequestOnAFileAnotherProgramLocked",
     [](RepairFaultTest& t) { t.otherProgram.emplace(t.database); }, kFailed, kInUse, 1},
    {"StandInLock", kNoFault, kFailed, kInUse, 1, "lock"},
    {"StandInIntegrityCheck", kNoFault, kDone, kClosing, 1, "integrity"},
    {"StandInRebuild", kNoFault, kFailed,
     "the system failed to rebuild the database (injected failure at rebuild)", 1, "rebuild"},
    {"StandInVerify", kNoFault, kFailed, "damaged beyond Repair (injected failure at verify)", 1,
     "verify"},
    {"StandInWriteBack", kNoFault, kFailed,
     "the system failed to write the repaired database back (injected failure at write-back)", 1,
     "write-back"},
    {"LoggedOnQuery",
     [](RepairFaultTest& t) { t.faultyDatabase->failingSql = std::string(repair::kLoggedOnQuery); },
     kRepairedIncomplete,
     ErrorLine(failure_codes::kProviderError, "[SQLite]near \"injected\": syntax error"), 1},
    {"LogHeader", [](RepairFaultTest& t) { t.fileSystem.failingLogLine = 1; }, kLogNotWritten, "",
     0},
    {"LogUserLine", [](RepairFaultTest& t) { t.fileSystem.failingLogLine = 3; },
     kRepairedIncomplete, "Aangelogde users 2\r\n", 1},
    {"LogClosingLine", [](RepairFaultTest& t) { t.fileSystem.failingLogLine = 5; },
     kRepairedIncomplete, "   PC-03 piet\r\n", 1},
};

INSTANTIATE_TEST_SUITE_P(EveryStep, RepairFaultTest, ::testing::ValuesIn(kSteps),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brivanto::testing
