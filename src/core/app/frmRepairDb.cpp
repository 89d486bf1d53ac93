#include "app/frmRepairDb.h"

#include <exception>
#include <string>

#include "database/ConnectionText.h"
#include "dialogs/ComDlg.h"
#include "imagefolder/DocumentPath.h"
#include "ports/Failure.h"
#include "text/Text.h"

namespace brivanto::app {
namespace {

constexpr const char* kSettingsApplication = "Brivanto";
constexpr const char* kSettingsSection = "RepairDb";
constexpr const char* kSettingsKey = "DbPath";

constexpr const char* kDataSourceKey = "SOFTWARE\\ODBC\\ODBC.INI\\BrivantoDb";

constexpr const char* kStandardCaption = "Brivanto: Repareren database";
constexpr const char* kStandardPattern = "BrivantoDb.mdb";
constexpr const char* kZelvorantaCaption = "Brivanto: Repareren database voor de Zelvoranta";
constexpr const char* kZelvorantaPattern = "kestrin*.mdb";

constexpr const char* kWrongDatabaseFile =
    "Bestand is geen juist databasebestand. Selecteer een ander bestand";

// The path-change handling goes on with its next step whatever fails.
template <typename Step>
void IgnoringFailure(Step step) {
  try {
    step();
  } catch (
      const std::exception&) {  // NOLINT(bugprone-empty-catch): failures are skipped on purpose
  }
}

}  // namespace

frmRepairDb::frmRepairDb(ports::FormView& view, const Services& services)
    : view_(view), services_(services) {}

bool frmRepairDb::Form_Load() {
  try {
    SetPath(
        services_.settings.GetSetting(kSettingsApplication, kSettingsSection, kSettingsKey, ""));
    SelectStandardVariant();
    ReadDataSourceDefinition();
    return true;
  } catch (const std::exception& error) {
    const auto failure = AsFailure(error);
    if (failure.Number() == failure_codes::kModuleNotFound) {
      SelectZelvorantaVariant();
      return true;
    }
    ShowMessage(FailureText(failure), ports::message_box::kIconError, "Error in load form");
  }
  return false;
}

void frmRepairDb::RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowMessage(FailureText(AsFailure(error)), ports::message_box::kIconError);
  }
}

void frmRepairDb::ReadDataSourceDefinition() {
  const auto reader = services_.registry.Create();
  std::string driver;
  reader->ReadString(ports::kHkeyLocalMachine, kDataSourceKey, "driver", driver);
  // A server database has no file to repair.
  if (text::ContainsIgnoringCase(driver, "sql")) {
    SetPath("");
    return;
  }
  std::string databaseFile;
  reader->ReadString(ports::kHkeyLocalMachine, kDataSourceKey, "DBQ", databaseFile);
  if (text::TrimSpaces(databaseFile).empty()) {
    SelectZelvorantaVariant();
  }
  SetPath(databaseFile);
}

void frmRepairDb::Form_Unload(bool& /*cancel*/) {
  cnDatabase.Release();
}

void frmRepairDb::SelectStandardVariant() {
  view_.SetCaption(kStandardCaption);
  sDbPattern = kStandardPattern;
}

void frmRepairDb::SelectZelvorantaVariant() {
  view_.SetCaption(kZelvorantaCaption);
  sDbPattern = kZelvorantaPattern;
}

void frmRepairDb::SetPath(const std::string& path) {
  view_.SetPathText(path);
  txtPath_Change();
}

void frmRepairDb::txtPath_Change() {
  const auto path = view_.PathText();
  IgnoringFailure([&] {
    services_.settings.SaveSetting(kSettingsApplication, kSettingsSection, kSettingsKey, path);
  });
  if (path.empty()) {
    return;
  }
  OpenDatabase(path);
  ShowImageFolder();
}

void frmRepairDb::OpenDatabase(const std::string& path) {
  // The old connection goes first, so nothing later can reach the previously chosen file.
  cnDatabase.Release();
  IgnoringFailure([&] { cnDatabase.Replace(services_.database.CreateConnection()); });
  // Each keystroke is a change; a path that names no file is not worth a driver call.
  if (cnDatabase.IsEmpty() || !services_.fileSystem.IsFile(path)) {
    return;
  }
  IgnoringFailure([&] { cnDatabase.Get().Open(database::ConnectionText(path)); });
}

void frmRepairDb::ShowImageFolder() {
  std::unique_ptr<ports::Recordset> settings;
  IgnoringFailure([&] {
    if (!cnDatabase.IsEmpty() && cnDatabase.Get().IsOpen()) {
      settings = cnDatabase.Get().Execute(imagefolder::kDocumentPathQuery);
    }
  });
  view_.SetDirText("");
  IgnoringFailure([&] {
    if (settings && settings->IsOpen() && !settings->Eof()) {
      const auto folder = settings->Field("Value");
      if (folder) {
        view_.SetDirText(*folder);
      }
    }
  });
}

void frmRepairDb::txtPath_OLEDragDrop(const std::optional<std::vector<std::string>>& files,
                                      KeyModifiers modifiers) {
  if (!files) {
    return;
  }
  for (const auto& file : *files) {
    if (AcceptsDroppedFile(sDbPattern, file, modifiers)) {
      SetPath(file);
    } else {
      ShowMessage(kWrongDatabaseFile, ports::message_box::kOk);
    }
  }
}

void frmRepairDb::btnSelectPath_Click() {
  const auto filter = ComDlg::BuildFilter(sDbPattern, "Brivanto database");
  std::string chosen;
  if (ComDlg::ShowOpen(services_.fileDialog, chosen, filter, std::nullopt,
                       "Selecteer de database") == ComDlg::kFileChosen) {
    SetPath(chosen);
  }
}

int frmRepairDb::ShowMessage(const std::string& text, int style, const std::string& title) {
  return services_.messageBox.Show(text, style, title.empty() ? kApplicationTitle : title);
}

}  // namespace brivanto::app
