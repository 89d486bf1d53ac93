#pragma once

#include <string>

#include "ports/Clipboard.h"
#include "ports/FormView.h"

namespace brivanto::maintenance {

// Shows the panel when it is hidden and hides it when it is shown, as read at the call; the
// window height and the button caption follow.
void TogglePanel(ports::FormView& view);

// Empties the query box and the result list; the panel's visibility stays.
void ClearPanel(ports::FormView& view);

// The selected lines in list order (not in the order they were selected), each followed by
// CR LF; empty when nothing is selected.
std::string SelectedText(const ports::ResultList& results);

// False when another program holds the clipboard: nothing was copied, and the call did not wait.
bool CopySelection(const ports::ResultList& results, ports::Clipboard& clipboard);

}  // namespace brivanto::maintenance
