#pragma once

#include <string>

#include "AccessDriver.h"
#include "IniSettingsStore.h"
#include "LogLocation.h"
#include "OdbcDataSourceReader.h"
#include "QtClipboard.h"
#include "QtClock.h"
#include "QtFileDialog.h"
#include "QtMessageBox.h"
#include "QtShell.h"
#include "StandardFileSystem.h"
#include "Windows1252.h"
#include "app/Services.h"

namespace brivanto::qt {

// The real services of the Linux program, the one place where they are put together: for the
// window, the headless repair and the benchmarks.
struct LinuxServices {
  // The window's services; a headless run speaks through its own `messages` instead of boxes.
  app::Services Bundle(ports::MessageDialog& messages) {
    return app::Services{messages,   settings,         registry,  access.database,
                         fileSystem, fileDialog,       clipboard, clock,
                         ticks,      access.installer, shell,     repairLogPath};
  }
  app::Services Bundle() { return Bundle(messageBox); }

  QtMessageBox messageBox;
  posix::IniSettingsStore settings;
  odbc::OdbcDataSourceReaderFactory registry;
  // The Access driver speaks the ANSI code page of a Dutch Windows; the core speaks UTF-8.
  odbc::Windows1252 driverCodePage;
  odbc::AccessDriver access{driverCodePage};
  posix::StandardFileSystem fileSystem;
  QtFileDialog fileDialog;
  QtClipboard clipboard;
  QtClock clock;
  QtTickCounter ticks;
  QtShell shell;
  std::string repairLogPath = posix::DefaultRepairLogPath();
};

}  // namespace brivanto::qt
