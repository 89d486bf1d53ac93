#pragma once

#include <string>

#include "IniSettingsStore.h"
#include "LogLocation.h"
#include "OdbcDataSourceReader.h"
#include "OdbcDatabase.h"
#include "OdbcInstallerLibrary.h"
#include "QtClipboard.h"
#include "QtClock.h"
#include "QtFileDialog.h"
#include "QtMessageBox.h"
#include "QtShell.h"
#include "StandardFileSystem.h"
#include "app/Services.h"

namespace brivanto::qt {

// The real services of the Linux program, the one place where they are put together: for the
// window, the headless repair and the benchmarks.
struct LinuxServices {
  // The window's services; a headless run speaks through its own `messages` instead of boxes.
  app::Services Bundle(ports::MessageDialog& messages) {
    return app::Services{messages,  settings, registry, database,  fileSystem, fileDialog,
                         clipboard, clock,    ticks,    installer, shell,      repairLogPath};
  }
  app::Services Bundle() { return Bundle(messageBox); }

  QtMessageBox messageBox;
  posix::IniSettingsStore settings;
  odbc::OdbcDataSourceReaderFactory registry;
  odbc::OdbcDatabase database;
  posix::StandardFileSystem fileSystem;
  QtFileDialog fileDialog;
  QtClipboard clipboard;
  QtClock clock;
  QtTickCounter ticks;
  odbc::OdbcInstallerLibrary installer;
  QtShell shell;
  std::string repairLogPath = posix::DefaultRepairLogPath();
};

}  // namespace brivanto::qt
