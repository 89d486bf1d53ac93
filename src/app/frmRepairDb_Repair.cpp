#include "app/frmRepairDb.h"

namespace brivanto::app {

void frmRepairDb::cmdRepair_Click() {}

}  // namespace brivanto::app
