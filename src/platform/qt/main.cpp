#include <QApplication>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <variant>

#include "app/HeadlessRepair.h"
#include "app/Services.h"
#include "platform/Failure.h"
#include "platform/IniSettingsStore.h"
#include "platform/LogLocation.h"
#include "platform/StandardFileSystem.h"
#include "platform/odbc/OdbcDataSourceReader.h"
#include "platform/odbc/OdbcDatabase.h"
#include "platform/odbc/OdbcInstallerLibrary.h"
#include "platform/qt/Application.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtFileDialog.h"
#include "platform/qt/QtFormWindow.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtShell.h"

namespace {

using namespace brivanto;
using namespace brivanto::platform::qt;

// The real services of the Linux frontend, in one place for the window and the headless repair.
struct LinuxServices {
  QtMessageBox messageBox;
  platform::IniSettingsStore settings;
  platform::OdbcDataSourceReaderFactory registry;
  platform::OdbcDatabase database;
  platform::StandardFileSystem fileSystem;
  QtFileDialog fileDialog;
  QtClipboard clipboard;
  QtClock clock;
  QtTickCounter ticks;
  platform::OdbcInstallerLibrary installer;
  QtShell shell;

  app::Services Bundle() {
    return app::Services{messageBox, settings,   registry,  database,
                         fileSystem, fileDialog, clipboard, clock,
                         ticks,      installer,  shell,     platform::DefaultRepairLogPath()};
  }
};

int RunProgram(const StartOptions& options) {
  LinuxServices services;
  QtFormWindow window(services.Bundle());
  services.messageBox.SetParentWindow(&window);
  services.fileDialog.SetParentWindow(&window);
  services.shell.SetParentWindow(&window);
  return RunWindow(window, options);
}

// Runs without a QApplication: a repair from a script or a scheduled task may have no display.
// Every message is printed instead of shown.
int RunHeadless(const std::optional<std::string>& databasePath) {
  try {
    LinuxServices services;
    return app::RunHeadlessRepair(services.Bundle(), databasePath, std::cout, std::cerr);
  } catch (const Failure& failure) {
    std::cerr << failure.Description() << " (" << failure.Number() << ")" << std::endl;
  } catch (const std::exception& error) {
    std::cerr << error.what() << std::endl;
  }
  return app::kExitFailure;
}

void ReportStartFailure(const std::string& text) {
  QtMessageBox().Show(text, platform::message_box::kIconError, app::kApplicationTitle);
}

}  // namespace

int main(int argc, char* argv[]) {
  const auto commandLine = app::ParseCommandLine(argc, argv);
  if (commandLine.mode == app::CommandLine::Mode::Invalid) {
    std::fprintf(stderr, "%s\n\n%s", commandLine.error.c_str(), qUtf8Printable(UsageText()));
    return kExitUsage;
  }
  if (commandLine.mode == app::CommandLine::Mode::Repair) {
    return RunHeadless(commandLine.databasePath);
  }
  QApplication application(argc, argv);
  const auto parsed = ParseArguments(QApplication::arguments().mid(1));
  if (const auto* error = std::get_if<QString>(&parsed)) {
    std::fprintf(stderr, "%s\n\n%s", qUtf8Printable(*error), qUtf8Printable(UsageText()));
    return kExitUsage;
  }
  const auto& options = std::get<StartOptions>(parsed);
  if (options.showHelp) {
    std::printf("%s", qUtf8Printable(UsageText()));
    return kExitOk;
  }
  InstallDutchTranslation(application);
  try {
    return RunProgram(options);
  } catch (const Failure& failure) {
    // Only setting up the services gets here (no ODBC driver manager, say): the window's own
    // handlers report their failures themselves.
    ReportStartFailure(failure.Description() + " (" + std::to_string(failure.Number()) + ")");
  } catch (const std::exception& error) {
    ReportStartFailure(error.what());
  }
  return kExitLoadFailed;
}
