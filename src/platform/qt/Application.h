#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

class QApplication;

namespace brivanto::platform::qt {

class QtFormWindow;

inline constexpr int kExitOk = 0;
inline constexpr int kExitLoadFailed = 1;
inline constexpr int kExitScreenshotFailed = 1;
inline constexpr int kExitUsage = 2;

struct StartOptions {
  bool showHelp = false;
  // Save a picture of the started window to this PNG file, then end.
  std::optional<QString> screenshotFile;
};

// The command line without the program name (and without Qt's own options). An unknown or
// incomplete argument gives an error text instead.
std::variant<StartOptions, QString> ParseArguments(const QStringList& arguments);
QString UsageText();

// Qt's own texts (file dialog, context menus) in Dutch; English when no translation is installed.
void InstallDutchTranslation(QApplication& application);

// Loads the window and, unless loading ends the program, shows it and runs the event loop: until
// the window is closed, or only until its picture is saved. Returns the exit code.
int RunWindow(QtFormWindow& window, const StartOptions& options);

}  // namespace brivanto::platform::qt
