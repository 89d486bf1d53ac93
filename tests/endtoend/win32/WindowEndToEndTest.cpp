// The Windows program end to end under Wine: the real window with the real services, the real
// ODBC entry points (odbc32, odbccp32) reaching the Linux stand-in driver, the Windows setup
// stand-in for the repair request, the Wine registry, the real message boxes, dialogs and
// clipboard; and the program's own --repair.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "JetFile.h"
#include "JetSite.h"
#include "Win32FormWindow.h"
#include "Win32Services.h"
#include "WineSite.h"
#include "ports/Failure.h"

namespace brivanto::win32test {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kLog = "c:\\repairBrivanto.log";
constexpr const char* kDataSourceKey = "SOFTWARE\\ODBC\\ODBC.INI\\BrivantoDb";
constexpr const char* kSetupKey = "SOFTWARE\\ODBC\\ODBCINST.INI\\Microsoft Access Driver (*.mdb)";
constexpr const char* kTwoUsers = "Aangelogde users 2\r\n   PC-07 jan\r\n   PC-03 piet\r\n";
constexpr const char* kClosing = "----------------------------------\r\n";
constexpr const char* kFinished = "Repareren afgerond. Logfile aangemaakt (";
constexpr const char* kFailed = "Repareren mislukt. Zie logfile (";
constexpr int kIconError = 16;
// Wine 8's SQLPostInstallerError is a stub that keeps nothing, so a refused request reaches the
// program as Wine's own ODBC_ERROR_REQUEST_FAILED; the setup library's text only on Windows.
constexpr const char* kWineRefusal = "Request Failed";

std::string Header() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  char line[64] = {};
  wsprintfA(line, "------------ %04u%02u%02u ------------\r\n", now.wYear, now.wMonth, now.wDay);
  return line;
}

std::string Text(HWND window) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)), '\0');
  ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()) + 1);
  return text;
}

void PumpMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

// The files beside `database` whose names start with its own and end in ".bak".
Lines Backups(const std::string& database) {
  Lines found;
  WIN32_FIND_DATAA entry{};
  const HANDLE search = ::FindFirstFileA((database + ".*.bak").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      found.push_back(database.substr(0, database.find_last_of('/') + 1) + entry.cFileName);
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
  }
  return found;
}

std::string ClipboardText() {
  std::string text;
  if (::OpenClipboard(nullptr)) {
    if (const HANDLE data = ::GetClipboardData(CF_TEXT)) {
      text = static_cast<const char*>(::GlobalLock(data));
      ::GlobalUnlock(data);
    }
    ::CloseClipboard();
  }
  return text;
}

class WindowEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = NewWorkFolder();
    RemoveTree(kLog);
    RemoveTree(services.fallbackRepairLogPath);
  }
  void TearDown() override {
    window.reset();
    RemoveTree(kLog);
    if (!shallowFolder.empty()) {
      RemoveTree(shallowFolder);
    }
  }

  // A folder right under c:\, for the folder browser: Wine expands its tree slowly through a
  // crowded host folder such as /tmp, and an answer given meanwhile picks a folder on the way.
  const std::string& ShallowFolder() {
    if (shallowFolder.empty()) {
      shallowFolder = "C:\\brivanto-endtoend-" + std::to_string(::GetCurrentProcessId());
      ::CreateDirectoryA(shallowFolder.c_str(), nullptr);
    }
    return shallowFolder;
  }

  // The site as an installation leaves it: the data source names the database.
  std::string Site(const std::string& imageFolder = "D:\\Scans") {
    database = CreateSiteDatabase(folder, imageFolder);
    dataSource.emplace(kDataSourceKey,
                       std::vector<std::pair<std::string, std::string>>{
                           {"driver", "C:\\Windows\\system32\\odbcjt32.dll"}, {"DBQ", database}});
    return database;
  }
  void OpenWindow() {
    window = std::make_unique<win32ui::Win32FormWindow>(services.Bundle(boxes));
    services.SetOwnerWindow(window->WindowHandle());
    ASSERT_TRUE(window->Load());
    window->Show(SW_SHOWNORMAL);
    PumpMessages();
  }
  HWND Control(const char* name) const { return window->Control(name); }
  void Click(const char* name) {
    ::SendMessageA(Control(name), BM_CLICK, 0, 0);
    PumpMessages();
  }
  Lines Run(const std::string& query) {
    ::SetWindowTextA(Control("txtQuery"), query.c_str());
    Click("cmdExecute");
    Lines lines;
    for (std::size_t index = 0; index < window->Count(); ++index) {
      lines.emplace_back(window->Line(index));
    }
    return lines;
  }

  std::string folder;
  std::string database;
  std::string shallowFolder;
  // Wine's SQLConfigDataSource loads the setup library its registry names for the driver.
  RegistryKey setup{kSetupKey, {{"Driver", ExeFolder() + "\\brivanto-access-setup.dll"}}};
  std::optional<RegistryKey> dataSource;
  win32ui::Win32Services services;
  RecordingMessageBox boxes{services.messageBox};
  std::unique_ptr<DialogAnswerer> answerer = std::make_unique<DialogAnswerer>();
  std::unique_ptr<win32ui::Win32FormWindow> window;
};

TEST_F(WindowEndToEndTest, StartUpTakesThePathFromTheDataSourceAndShowsTheImageFolder) {
  Site("D:\\Scans 'oud'");
  OpenWindow();
  EXPECT_EQ(Text(Control("txtPath")), database);
  EXPECT_EQ(Text(Control("txtDir")), "D:\\Scans 'oud'");
  EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.at(0);
}

TEST_F(WindowEndToEndTest, RepairLogsTheLoggedOnUsersKeepsABackupAndNamesTheLog) {
  Site();
  const std::string original = ReadFile(database);
  OpenWindow();
  Click("cmdRepair");

  EXPECT_EQ(ReadFile(kLog), Header() + kTwoUsers + kClosing);
  const Lines backups = Backups(database);
  ASSERT_EQ(backups.size(), 1U);
  EXPECT_EQ(ReadFile(backups[0]), original);
  EXPECT_EQ(boxes.texts, (Lines{kFinished + std::string(kLog) + ")"}));
  EXPECT_EQ(boxes.styles, (std::vector<int>{0}));
  ASSERT_EQ(answerer->Seen().size(), 1U);
  EXPECT_EQ(answerer->Seen()[0].text, boxes.texts[0]);
}

TEST_F(WindowEndToEndTest, RefusedRepairLogsTheSetupLibrarysReasonInAnErrorBox) {
  Site();
  OpenWindow();
  const std::string broken = folder + "/kapot.mdb";
  WriteFile(broken, std::string(4096, 'x'));
  ::SetWindowTextA(Control("txtPath"), broken.c_str());
  PumpMessages();
  const std::size_t before = boxes.texts.size();
  Click("cmdRepair");

  EXPECT_EQ(ReadFile(kLog), Header() + "Error in repair (11, " + kWineRefusal + ")\r\n");
  ASSERT_EQ(boxes.texts.size(), before + 1);
  EXPECT_EQ(boxes.texts.back(), kFailed + std::string(kLog) + ")");
  EXPECT_EQ(boxes.styles.back(), kIconError);
  const auto seen = answerer->Seen();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().text, boxes.texts.back());
  EXPECT_TRUE(seen.back().errorIcon);
  for (const auto& text : boxes.texts) {
    EXPECT_EQ(text.find("Repareren afgerond"), std::string::npos) << text;
  }
}

TEST_F(WindowEndToEndTest, RepairLogsPerUserWhenTheRootOfCCannotTakeTheLog) {
  Site();
  // A folder where the log should be: the file cannot be opened for appending.
  ASSERT_TRUE(::CreateDirectoryA(kLog, nullptr));
  OpenWindow();
  Click("cmdRepair");

  const std::string fallback = services.fallbackRepairLogPath;
  ASSERT_FALSE(fallback.empty());
  EXPECT_EQ(ReadFile(fallback), Header() + kTwoUsers + kClosing);
  EXPECT_EQ(boxes.texts, (Lines{kFinished + fallback + ")"}));
  ::RemoveDirectoryA(kLog);
  RemoveTree(fallback);
}

TEST_F(WindowEndToEndTest, ConsoleListsRowsCountsAndErrorsAndCopiesTheSelectedLines) {
  Site();
  OpenWindow();
  Click("cmdMaintenance");
  const std::string failure =
      std::to_string(failure_codes::kProviderError) + " [SQLite]near \"selec\": syntax error (1)";
  const struct {
    const char* statement;
    Lines middle;  // the lines between the start line (and its blank) and the end line
  } cases[] = {
      {"select [sKey], [Value] from tblSettings where [Section] = \"License\" order by sKey",
       {" LoggedOn1 PC-07 jan", " LoggedOn2 PC-03 piet", " Serial X-1", " ", "3 records gevonden",
        "", "", ""}},
      {"update tblSettings set [Value] = [Value] where [sKey] like \"LoggedOn%\"",
       {" ", "Query met goed gevolg uitgevoerd", "Aantal rijen bewerkt: 2", "", ""}},
      {"selec * from tblSettings", {failure}},
      // The driver's text comes back from its code page: "café", typed in ANSI.
      {"delete from caf\xE9",
       {std::to_string(failure_codes::kProviderError) + " [SQLite]no such table: caf\xC3\xA9 (1)"}},
  };
  for (const auto& [statement, middle] : cases) {
    SCOPED_TRACE(statement);
    const Lines lines = Run(statement);
    ASSERT_GE(lines.size(), 2U);
    EXPECT_EQ(lines[0].rfind("Start Query ", 0), 0U) << lines[0];
    EXPECT_EQ(lines[1], "");
    const bool ends = lines.back().rfind("Einde Query ", 0) == 0;
    EXPECT_EQ(Lines(lines.begin() + 2, lines.end() - (ends ? 1 : 0)), middle);
    EXPECT_EQ(ends, middle.size() > 1);
  }

  Run(cases[0].statement);
  ::SendMessageA(Control("lstResult"), LB_SELITEMRANGE, TRUE, MAKELPARAM(2, 3));
  Click("cmdCopy");
  EXPECT_EQ(ClipboardText(), " LoggedOn1 PC-07 jan\r\n LoggedOn2 PC-03 piet\r\n");
}

TEST_F(WindowEndToEndTest, ImageFolderChosenInTheBrowserIsWrittenAndReadsBackUnchanged) {
  const std::string old = ShallowFolder() + "\\oud";
  ::CreateDirectoryA(old.c_str(), nullptr);
  // "Scans 'België'" in the ANSI code page, as the system's dialogs hand it over.
  const std::string chosen = ShallowFolder() + "\\Scans 'Belgi\xEB'";
  ASSERT_TRUE(::CreateDirectoryA(chosen.c_str(), nullptr));
  answerer = std::make_unique<DialogAnswerer>(chosen);
  Site(old);
  OpenWindow();
  Click("btnSelectImagePath");

  const std::string utf8 = ShallowFolder() + "\\Scans 'Belgi\xC3\xAB'";
  EXPECT_EQ(window->DirText(), utf8);
  const auto seen = answerer->Seen();
  ASSERT_EQ(seen.size(), 2U);
  EXPECT_EQ(seen[0].text.rfind("Indien u dit pad wijzigt", 0), 0U) << seen[0].text;
  EXPECT_TRUE(seen[1].folderBrowser);
  EXPECT_TRUE(boxes.texts.size() == 1) << boxes.texts.back();

  window.reset();
  OpenWindow();
  EXPECT_EQ(window->DirText(), utf8);
}

TEST_F(WindowEndToEndTest, ImageFolderTheDatabaseRefusesLeavesTheOldFolderShown) {
  const std::string chosen = ShallowFolder() + "\\nieuw";
  ASSERT_TRUE(::CreateDirectoryA(chosen.c_str(), nullptr));
  answerer = std::make_unique<DialogAnswerer>(chosen);
  Site("D:\\Scans");
  RunOnSqlite(database, {"create trigger readonly before update on tblSettings begin "
                         "select raise(abort, 'alleen lezen'); end"});
  OpenWindow();
  Click("btnSelectImagePath");

  EXPECT_EQ(Text(Control("txtDir")), "D:\\Scans");
  ASSERT_EQ(boxes.texts.size(), 2U);
  EXPECT_EQ(boxes.texts[1].rfind("Het pad voor images is niet gewijzigd", 0), 0U) << boxes.texts[1];
  EXPECT_NE(boxes.texts[1].find("alleen lezen"), std::string::npos) << boxes.texts[1];
  EXPECT_EQ(boxes.styles[1], kIconError);
}

// A real Access file reaches MDB Tools behind the Linux stand-in: it is read as any database is,
// and nothing writes to it. Wine's SQLPostInstallerError keeps no text, so here the refused
// repair only shows as Wine's own reason.
TEST_F(WindowEndToEndTest, AccessJetFileIsReadAndLeftByteForByteAsItWas) {
  for (const auto version : {testing::jet::Version::Jet4, testing::jet::Version::Jet3}) {
    const bool jet4 = version == testing::jet::Version::Jet4;
    SCOPED_TRACE(jet4 ? "Jet 4" : "Jet 3");
    database = folder + (jet4 ? "/Jet4.mdb" : "/Jet3.mdb");
    testing::jet::WriteJetFile(database, version, testing::jet::SiteTables());
    const std::string original = ReadFile(database);
    dataSource.emplace(kDataSourceKey,
                       std::vector<std::pair<std::string, std::string>>{
                           {"driver", "C:\\Windows\\system32\\odbcjt32.dll"}, {"DBQ", database}});
    const std::string chosen = ShallowFolder() + "\\nieuw";
    ::CreateDirectoryA(chosen.c_str(), nullptr);
    answerer = std::make_unique<DialogAnswerer>(chosen);
    RemoveTree(kLog);
    boxes.texts.clear();
    boxes.styles.clear();
    OpenWindow();
    EXPECT_EQ(window->DirText(), testing::jet::kSiteImageFolder);

    Click("cmdMaintenance");
    const Lines rows = testing::jet::SiteSettingsLines();
    const Lines all = Run("Select * from tblSettings");
    ASSERT_EQ(all.size(), rows.size() + 8);
    EXPECT_EQ(Lines(all.begin() + 2, all.begin() + 2 + static_cast<long>(rows.size())), rows);
    const Lines loggedOn =
        Run("Select * from tblSettings where [Section] = 'License' and [sKey] like 'LoggedOn%'");
    ASSERT_GE(loggedOn.size(), 5U);
    EXPECT_EQ(Lines(loggedOn.begin() + 2, loggedOn.begin() + 5),
              Lines(rows.begin() + 1, rows.begin() + 4));
    const Lines written = Run("delete from tblSettings");
    ASSERT_GE(written.size(), 3U);
    EXPECT_NE(written[2].find("alleen-lezen"), std::string::npos) << written[2];

    Click("btnSelectImagePath");
    EXPECT_EQ(window->DirText(), testing::jet::kSiteImageFolder);
    ASSERT_EQ(boxes.texts.size(), 2U);
    EXPECT_EQ(boxes.texts[1].rfind("Het pad voor images is niet gewijzigd", 0), 0U)
        << boxes.texts[1];
    EXPECT_NE(boxes.texts[1].find("alleen-lezen"), std::string::npos) << boxes.texts[1];

    Click("cmdRepair");
    EXPECT_EQ(boxes.texts.back(), kFailed + std::string(kLog) + ")");
    EXPECT_EQ(ReadFile(kLog), Header() + "Error in repair (11, " + kWineRefusal + ")\r\n");
    EXPECT_EQ(ReadFile(database), original);
    window.reset();
  }
}

TEST_F(WindowEndToEndTest, SetupStandInAcceptsOnlyARepairRequestForADatabase) {
  const std::string good = Site();
  const std::string text = folder + "/tekst.mdb";
  WriteFile(text, "SQLite format 2" + std::string(4096, '\0'));
  using ConfigDsn = BOOL(WINAPI*)(HWND, WORD, LPCSTR, LPCSTR);
  const std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&::FreeLibrary)> library(
      ::LoadLibraryA((ExeFolder() + "\\brivanto-access-setup.dll").c_str()), &::FreeLibrary);
  ASSERT_TRUE(library != nullptr);
  // GetProcAddress gives a generic function pointer; the export's type is the driver's.
  const auto configDsn = reinterpret_cast<ConfigDsn>(
      reinterpret_cast<void*>(::GetProcAddress(library.get(), "ConfigDSN")));
  ASSERT_TRUE(configDsn != nullptr);
  using namespace std::string_literals;
  const struct {
    WORD request;
    std::string attributes;
    BOOL accepted;
  } cases[] = {
      {2, "REPAIR_DB=\"" + good + "\"\0PWD=x\0\0"s, TRUE},
      {2, "repair_db=" + good + "\0UID=a\0\0"s, TRUE},
      {1, "REPAIR_DB=" + good + "\0\0"s, FALSE},
      {2, "REPAIR_DB=" + good + "\0DBQ=x\0\0"s, FALSE},
      {2, "REPAIR_DB=" + good + "\0PWD\0\0"s, FALSE},
      {2, "PWD=x\0\0"s, FALSE},
      {2, "REPAIR_DB=" + text + "\0\0"s, FALSE},
      {2, "REPAIR_DB=" + folder + "/ontbreekt.mdb\0\0"s, FALSE},
  };
  // What the driver answers to each request is not documented; every plausible answer is tried,
  // the checks of the attributes under the one that takes request 2.
  const auto answerAs = [](const std::string& answer) {
    ::_putenv(("BRIVANTO_STANDIN_REPAIR_ANSWER=" + answer).c_str());
  };
  answerAs("config");
  for (const auto& [request, attributes, accepted] : cases) {
    SCOPED_TRACE(attributes);
    EXPECT_EQ(configDsn(nullptr, request, "Microsoft Access Driver (*.mdb)", attributes.c_str()),
              accepted);
  }
  const std::string repair = "REPAIR_DB=\"" + good + "\"\0PWD=x\0\0"s;
  const struct {
    const char* answer;
    BOOL configAccepted;
    BOOL addAccepted;
  } answers[] = {{"false-after-repair", FALSE, TRUE},
                 {"add-only", FALSE, TRUE},
                 {"config", TRUE, FALSE},
                 {"refuse-both", FALSE, FALSE}};
  for (const auto& [answer, configAccepted, addAccepted] : answers) {
    SCOPED_TRACE(answer);
    answerAs(answer);
    EXPECT_EQ(configDsn(nullptr, 2, "Microsoft Access Driver (*.mdb)", repair.c_str()),
              configAccepted);
    EXPECT_EQ(configDsn(nullptr, 1, "Microsoft Access Driver (*.mdb)", repair.c_str()),
              addAccepted);
  }
  answerAs("");
}

struct ProgramRun {
  DWORD exitCode = 0;
  std::string out;
  std::string err;
};

// Reads a pipe to its end on its own thread, so a full pipe never stops the program.
class PipeReader {
 public:
  PipeReader() {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    ::CreatePipe(&read_, &write_, &inherit, 0);
    ::SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
  }
  ~PipeReader() {
    CloseWriteEnd();
    if (thread_.joinable()) {
      thread_.join();
    }
    ::CloseHandle(read_);
  }
  PipeReader(const PipeReader&) = delete;
  PipeReader& operator=(const PipeReader&) = delete;
  HANDLE WriteEnd() const { return write_; }
  void Start() {
    CloseWriteEnd();
    thread_ = std::thread([this] {
      char buffer[4096];
      DWORD read = 0;
      while (::ReadFile(read_, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text_.append(buffer, read);
      }
    });
  }
  std::string Finish() {
    thread_.join();
    return text_;
  }

 private:
  void CloseWriteEnd() {
    if (write_ != nullptr) {
      ::CloseHandle(write_);
      write_ = nullptr;
    }
  }
  HANDLE read_ = nullptr;
  HANDLE write_ = nullptr;
  std::thread thread_;
  std::string text_;
};

ProgramRun RunProgram(const std::string& arguments) {
  PipeReader out;
  PipeReader err;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out.WriteEnd();
  startup.hStdError = err.WriteEnd();
  PROCESS_INFORMATION process{};
  std::string command = "\"" + ExeFolder() + "\\BrivantoRepairDb.exe\" " + arguments;
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
    ADD_FAILURE() << "cannot start " << command;
    return {};
  }
  out.Start();
  err.Start();
  ProgramRun run;
  EXPECT_EQ(::WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  ::GetExitCodeProcess(process.hProcess, &run.exitCode);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  run.out = out.Finish();
  run.err = err.Finish();
  return run;
}

TEST_F(WindowEndToEndTest, RepairOptionPrintsTheOutcomeAndExitsWithIt) {
  Site();
  const ProgramRun repaired = RunProgram("--repair \"" + database + "\"");
  EXPECT_EQ(repaired.exitCode, 0U) << repaired.err;
  EXPECT_EQ(repaired.out, kFinished + std::string(kLog) + ")\r\n");
  EXPECT_EQ(repaired.err, "");
  EXPECT_EQ(ReadFile(kLog), Header() + kTwoUsers + kClosing);
  EXPECT_EQ(Backups(database).size(), 1U);

  const std::string broken = folder + "/kapot.mdb";
  WriteFile(broken, std::string(4096, 'x'));
  const ProgramRun refused = RunProgram("--repair \"" + broken + "\"");
  EXPECT_EQ(refused.exitCode, 1U);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, kFailed + std::string(kLog) + ")\r\nReden: " + kWineRefusal + " (11)\r\n");
}

}  // namespace
}  // namespace brivanto::win32test
