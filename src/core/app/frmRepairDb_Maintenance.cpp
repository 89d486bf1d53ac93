#include "app/frmRepairDb.h"
#include "maintenance/Panel.h"
#include "maintenance/SqlConsole.h"

namespace brivanto::app {
namespace {

constexpr const char* kClipboardBusy =
    "Het klembord is in gebruik door een ander programma. Er is niets gekopieerd; probeer het "
    "opnieuw.";

}  // namespace

void frmRepairDb::cmdMaintenance_Click() {
  maintenance::TogglePanel(view_);
}

void frmRepairDb::cmdClear_Click() {
  maintenance::ClearPanel(view_);
}

void frmRepairDb::cmdCopy_Click() {
  // Without a word the user would paste whatever the clipboard held before.
  if (!maintenance::CopySelection(view_.Results(), services_.clipboard)) {
    ShowMessage(kClipboardBusy, ports::message_box::kOk);
  }
}

void frmRepairDb::cmdExecute_Click() {
  maintenance::SqlConsole console(view_.Results(), cnDatabase, services_.clock, services_.ticks);
  console.Run(view_.QueryText());
}

}  // namespace brivanto::app
