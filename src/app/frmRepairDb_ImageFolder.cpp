#include "app/frmRepairDb.h"

namespace brivanto::app {

void frmRepairDb::btnSelectImagePath_Click() {}

}  // namespace brivanto::app
