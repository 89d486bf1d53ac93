#pragma once

#include <cstdint>
#include <string>

#include "AccessDriver.h"
#include "AnsiCodePage.h"
#include "LogLocation.h"
#include "Win32Clipboard.h"
#include "Win32Clock.h"
#include "Win32FileDialog.h"
#include "Win32FileSystem.h"
#include "Win32MessageBox.h"
#include "Win32Registry.h"
#include "Win32Shell.h"
#include "app/Services.h"

namespace brivanto::win32ui {

// The real services of the Windows program, the one place where they are put together: for the
// window and for the repair without a window.
struct Win32Services {
  // The window's services; a headless run speaks through its own `messages` instead of boxes.
  app::Services Bundle(ports::MessageDialog& messages) {
    return app::Services{messages,
                         settings,
                         registry,
                         access.database,
                         fileSystem,
                         fileDialog,
                         clipboard,
                         clock,
                         ticks,
                         access.installer,
                         shell,
                         repairLogPath,
                         fallbackRepairLogPath};
  }
  app::Services Bundle() { return Bundle(messageBox); }

  // Boxes and dialogs are modal to the window from then on; the clipboard names it as owner.
  void SetOwnerWindow(std::intptr_t window) {
    messageBox.SetParentWindow(window);
    fileDialog.SetParentWindow(window);
    shell.SetParentWindow(window);
    clipboard.SetOwnerWindow(window);
  }

  win32::Win32MessageBox messageBox;
  win32::Win32SettingsStore settings;
  win32::Win32RegistryReaderFactory registry;
  // The Access driver speaks the ANSI code page; the core speaks UTF-8.
  win32::AnsiCodePage ansi;
  odbc::AccessDriver access{ansi};
  win32::Win32FileSystem fileSystem;
  win32::Win32FileDialog fileDialog;
  win32::Win32Clipboard clipboard;
  win32::Win32Clock clock;
  win32::Win32TickCounter ticks;
  win32::Win32Shell shell;
  std::string repairLogPath = win32::Win32RepairLogPath();
  std::string fallbackRepairLogPath = win32::Win32FallbackRepairLogPath();
};

}  // namespace brivanto::win32ui
