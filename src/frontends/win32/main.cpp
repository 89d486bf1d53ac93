// Not lean: <windows.h> brings <shellapi.h> (CommandLineToArgvW) in the order it needs.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "AnsiText.h"
#include "ProgramConsole.h"
#include "Screenshot.h"
#include "UniqueHandle.h"
#include "Win32FormWindow.h"
#include "Win32Services.h"
#include "app/HeadlessRepair.h"
#include "app/frmRepairDb.h"
#include "ports/Failure.h"

namespace {

using namespace brivanto;
using namespace brivanto::win32ui;

// Where the Windows program keeps its repair log, as the help text names it.
constexpr const char* kLogLocationHelp =
    "c:\\repairBrivanto.log, of %LOCALAPPDATA%\\Brivanto\\repairBrivanto.log als c:\\ niet "
    "beschreven kan worden";

// The arguments in UTF-8 without the program name, from the wide command line: the ANSI one
// would lose every character outside the code page.
std::vector<std::string> Arguments() {
  int count = 0;
  const win32::UniqueHandle<LPWSTR*, &::LocalFree> wide(
      ::CommandLineToArgvW(::GetCommandLineW(), &count));
  std::vector<std::string> arguments;
  for (int index = 1; wide && index < count; ++index) {
    arguments.push_back(win32::FromWide(wide.get()[index]));
  }
  return arguments;
}

int RunMessageLoop(const Win32FormWindow& window) {
  MSG message{};
  BOOL received = FALSE;
  while ((received = ::GetMessageA(&message, nullptr, 0, 0)) > 0) {
    // Tab, the arrow keys and mnemonics move between the controls, as in a dialog.
    if (!::IsDialogMessageA(window.Handle(), &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }
  return received == 0 ? static_cast<int>(message.wParam) : app::kExitFailure;
}

int SaveScreenshot(const Win32FormWindow& window, const std::string& file) {
  MSG message{};
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  if (SaveWindowPicture(window.Handle(), win32::PathToAnsi(file))) {
    return app::kExitSuccess;
  }
  JoinParentConsole();
  ConsoleStream err(stderr);
  err << "Kan de afbeelding niet opslaan: " << file << "\n";
  return app::kExitFailure;
}

int RunProgram(const std::optional<std::string>& screenshotFile, int showCommand) {
  Win32Services services;
  Win32FormWindow window(services.Bundle());
  services.SetOwnerWindow(window.WindowHandle());
  if (!window.Load()) {
    return app::kExitFailure;
  }
  window.OnClosed([] { ::PostQuitMessage(app::kExitSuccess); });
  window.Show(showCommand);
  return screenshotFile ? SaveScreenshot(window, *screenshotFile) : RunMessageLoop(window);
}

// Runs without a window: a repair from a script or a scheduled task. Every message is printed.
int RunHeadless(const std::optional<std::string>& databasePath) {
  JoinParentConsole();
  ConsoleStream out(stdout);
  ConsoleStream err(stderr);
  return app::RunHeadlessRepairWith<Win32Services>(databasePath, out, err);
}

int ReportUsage(const app::CommandLine& commandLine) {
  JoinParentConsole();
  if (commandLine.mode == app::CommandLine::Mode::Help) {
    ConsoleStream out(stdout);
    out << app::UsageText(kLogLocationHelp);
    return app::kExitSuccess;
  }
  ConsoleStream err(stderr);
  err << commandLine.error << "\n\n" << app::UsageText(kLogLocationHelp);
  return app::kExitUsage;
}

}  // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int showCommand) {
  const auto commandLine = app::ParseCommandLine(Arguments());
  switch (commandLine.mode) {
    case app::CommandLine::Mode::Repair:
      return RunHeadless(commandLine.databasePath);
    case app::CommandLine::Mode::Help:
    case app::CommandLine::Mode::Invalid:
      return ReportUsage(commandLine);
    case app::CommandLine::Mode::Window:
      break;
  }
  try {
    return RunProgram(commandLine.screenshotFile, showCommand);
  } catch (const std::exception& error) {
    // Only setting up the window or the services gets here: the window's own handlers report
    // their failures themselves.
    win32::Win32MessageBox().Show(FailureText(AsFailure(error)), ports::message_box::kIconError,
                                  app::kApplicationTitle);
  }
  return app::kExitFailure;
}
