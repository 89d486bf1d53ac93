#pragma once

#include <algorithm>
#include <array>
#include <string_view>

#include "app/frmRepairDb.h"

namespace brivanto::app {

// The Click handler of each button in layout::kControls. Both windows wire their buttons from
// this one table, so a button cannot run one handler on Linux and another on Windows.
struct ClickHandler {
  std::string_view control;
  void (frmRepairDb::*handler)();
};

inline constexpr std::array<ClickHandler, 7> kClickHandlers{{
    {"btnSelectPath", &frmRepairDb::btnSelectPath_Click},
    {"cmdRepair", &frmRepairDb::cmdRepair_Click},
    {"cmdMaintenance", &frmRepairDb::cmdMaintenance_Click},
    {"cmdClear", &frmRepairDb::cmdClear_Click},
    {"cmdCopy", &frmRepairDb::cmdCopy_Click},
    {"cmdExecute", &frmRepairDb::cmdExecute_Click},
    {"btnSelectImagePath", &frmRepairDb::btnSelectImagePath_Click},
}};

// Null when the control has no Click handler.
inline const ClickHandler* ClickHandlerOf(std::string_view control) {
  const auto* found =
      std::find_if(kClickHandlers.begin(), kClickHandlers.end(),
                   [control](const ClickHandler& click) { return click.control == control; });
  return found == kClickHandlers.end() ? nullptr : found;
}

}  // namespace brivanto::app
