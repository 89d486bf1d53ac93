#include <QApplication>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "Application.h"
#include "LinuxServices.h"
#include "QtFormWindow.h"
#include "app/HeadlessRepair.h"
#include "app/frmRepairDb.h"
#include "ports/Failure.h"

namespace {

using namespace brivanto;
using namespace brivanto::qt;

int RunProgram(const std::optional<std::string>& screenshotFile) {
  LinuxServices services;
  QtFormWindow window(services.Bundle());
  services.messageBox.SetParentWindow(&window);
  services.fileDialog.SetParentWindow(&window);
  services.shell.SetParentWindow(&window);
  return RunWindow(window, screenshotFile);
}

// Runs without a QApplication: a repair from a script or a scheduled task may have no display.
// Every message is printed instead of shown.
int RunHeadless(const std::optional<std::string>& databasePath) {
  return app::RunHeadlessRepairWith<LinuxServices>(databasePath, std::cout, std::cerr);
}

int ReportUsageError(const std::string& error) {
  std::fprintf(stderr, "%s\n\n%s", error.c_str(), app::UsageText(kLogLocationHelp).c_str());
  return app::kExitUsage;
}

void ReportStartFailure(const std::string& text) {
  QtMessageBox().Show(text, ports::message_box::kIconError, app::kApplicationTitle);
}

}  // namespace

int main(int argc, char* argv[]) {
  const auto commandLine = app::ParseCommandLine(argc, argv);
  if (commandLine.mode == app::CommandLine::Mode::Help) {
    std::printf("%s", app::UsageText(kLogLocationHelp).c_str());
    return app::kExitSuccess;
  }
  if (!commandLine.NeedsWindow()) {
    return commandLine.mode == app::CommandLine::Mode::Repair
               ? RunHeadless(commandLine.databasePath)
               : ReportUsageError(commandLine.error);
  }
  ProvideRuntimeFolder();
  // Qt takes its own options (-platform, -style, ...) out before the window's are read.
  QApplication application(argc, argv);
  const auto windowLine = ParseQtArguments(QApplication::arguments().mid(1));
  if (windowLine.mode == app::CommandLine::Mode::Invalid) {
    return ReportUsageError(windowLine.error);
  }
  InstallDutchTranslation(application);
  try {
    return RunProgram(windowLine.screenshotFile);
  } catch (const std::exception& error) {
    // Only setting up the services gets here (no ODBC driver manager, say): the window's own
    // handlers report their failures themselves.
    ReportStartFailure(FailureText(AsFailure(error)));
  }
  return app::kExitFailure;
}
