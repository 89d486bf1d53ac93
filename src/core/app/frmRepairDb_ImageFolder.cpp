#include <cstdint>
#include <exception>
#include <string>

#include "app/frmRepairDb.h"
#include "dialogs/ComDlgFolder.h"
#include "imagefolder/DocumentPath.h"
#include "ports/Failure.h"

namespace brivanto::app {
namespace {

constexpr const char* kConfirmText =
    "Indien u dit pad wijzigt kunnen oude documenten verloren gaan.\r\n"
    "Weet u zeker dat u dit pad wilt aanpassen?";
constexpr const char* kConfirmTitle = "Bevestigen wijzigen pad voor images";
constexpr const char* kBrowseTitle = "Selecteer de map waarin de mappen met images zich bevinden";
constexpr bool kIncludeFiles = false;
constexpr bool kNewDialogStyle = true;
constexpr const char* kNotSaved =
    "Het pad voor images is niet gewijzigd, omdat de database niet kon worden bijgewerkt.\r\n"
    "Reden: ";

ports::Connection& OpenConnection(const database::ConnectionHolder& holder) {
  auto& connection = holder.Get();
  if (!connection.IsOpen()) {
    throw Failure(failure_codes::kConnectionNotOpen, "Er is geen database geopend");
  }
  return connection;
}

}  // namespace

void frmRepairDb::btnSelectImagePath_Click() {
  namespace style = ports::message_box;
  if (ShowMessage(kConfirmText, style::kYesNo | style::kIconQuestion, kConfirmTitle) !=
      style::kAnswerYes) {
    return;
  }
  const auto previous = view_.DirText();
  const auto folder = ComDlg::BrowseForFolder(services_.shell, view_.WindowHandle(), previous,
                                              kBrowseTitle, kIncludeFiles, kNewDialogStyle);
  if (folder.empty()) {
    return;
  }
  view_.SetDirText(folder);
  try {
    imagefolder::WriteDocumentPath(OpenConnection(cnDatabase), folder);
  } catch (const std::exception& error) {
    // txtDir must show what the database holds, never a folder that was not saved.
    view_.SetDirText(previous);
    ShowMessage(kNotSaved + FailureText(AsFailure(error)), style::kIconError);
  }
}

}  // namespace brivanto::app
