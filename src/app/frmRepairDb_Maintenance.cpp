#include "app/frmRepairDb.h"

namespace brivanto::app {

void frmRepairDb::cmdMaintenance_Click() {}
void frmRepairDb::cmdClear_Click() {}
void frmRepairDb::cmdCopy_Click() {}
void frmRepairDb::cmdExecute_Click() {}

}  // namespace brivanto::app
