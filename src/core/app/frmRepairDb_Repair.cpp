#include "app/frmRepairDb.h"
#include "repair/RepairOperation.h"

namespace brivanto::app {

void frmRepairDb::cmdRepair_Click() {
  const repair::RepairServices repairServices{
      services_.fileSystem, services_.clock,         services_.installer,
      services_.database,   services_.repairLogPath, services_.fallbackRepairLogPath};
  const auto outcome = repair::RepairDatabase(repairServices, cnDatabase, view_.PathText());
  lastRepairFailure_ = outcome.reason;
  ShowMessage(outcome.message,
              outcome.succeeded ? ports::message_box::kOk : ports::message_box::kIconError);
}

}  // namespace brivanto::app
