#pragma once

#include <QStringList>
#include <optional>
#include <string>

#include "app/HeadlessRepair.h"

class QApplication;

namespace brivanto::qt {

class QtFormWindow;

inline constexpr int kExitScreenshotFailed = 1;

// Where the Linux program keeps its repair log, as the help text names it.
inline constexpr const char* kLogLocationHelp =
    "$XDG_STATE_HOME/brivanto/repairBrivanto.log (standaard ~/.local/state/...)";

// The command line after Qt has taken its own options out of it.
app::CommandLine ParseQtArguments(const QStringList& arguments);

// Qt warns on every start when XDG_RUNTIME_DIR is not set (a root shell, a service). Sets it to
// the private folder Qt would use itself. Call before the QApplication is made.
void ProvideRuntimeFolder();

// Qt's own texts (file dialog, context menus) in Dutch; English when no translation is installed.
void InstallDutchTranslation(QApplication& application);

// Loads the window and, unless loading ends the program, shows it and runs the event loop: until
// the window is closed, or only until its picture is saved. Returns the exit code.
int RunWindow(QtFormWindow& window, const std::optional<std::string>& screenshotFile);

}  // namespace brivanto::qt
