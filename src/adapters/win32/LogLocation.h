#pragma once

#include <functional>
#include <string>

namespace brivanto::win32 {

// Where the repair log lives on Windows: c:\repairBrivanto.log, as ever.
std::string Win32RepairLogPath();

// Where it goes when the root of C: refuses a standard user:
// %LOCALAPPDATA%\Brivanto\repairBrivanto.log (the shell's local application-data folder when the
// variable is not set), in UTF-8. When the ANSI code page cannot carry that folder's name, its
// short (8.3) name is used instead. Empty when there is no such folder. The folder Brivanto is
// not created here; opening the log creates it.
std::string Win32FallbackRepairLogPath();

// The same from a given local application-data folder (UTF-8; empty: none), for tests.
std::string Win32FallbackRepairLogPath(const std::string& localAppData);

}  // namespace brivanto::win32
