#pragma once

#include <functional>
#include <string>

namespace brivanto::posix {

// Reads one environment variable; null when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

// Where the repair log lives on Linux: $XDG_STATE_HOME/brivanto/repairBrivanto.log, else
// $HOME/.local/state/brivanto/repairBrivanto.log, else the same name under the temporary folder.
// The folder is not created here; opening the log creates it.
std::string DefaultRepairLogPath(const EnvironmentLookup& lookup);
std::string DefaultRepairLogPath();

}  // namespace brivanto::posix
