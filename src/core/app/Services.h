#pragma once

#include <string>

#include "ports/Clipboard.h"
#include "ports/Clock.h"
#include "ports/Database.h"
#include "ports/FileDialog.h"
#include "ports/FileSystem.h"
#include "ports/MessageDialog.h"
#include "ports/OdbcInstaller.h"
#include "ports/RegistryReader.h"
#include "ports/SettingsStore.h"
#include "ports/Shell.h"

namespace brivanto::app {

// The operating-system services the window's logic uses; the frontend owns them.
struct Services {
  ports::MessageDialog& messageBox;
  ports::SettingsStore& settings;
  ports::RegistryReaderFactory& registry;
  ports::Database& database;
  ports::FileSystem& fileSystem;
  ports::FileDialog& fileDialog;
  ports::Clipboard& clipboard;
  ports::Clock& clock;
  ports::TickCounter& ticks;
  ports::OdbcInstaller& installer;
  ports::Shell& shell;
  // Where each repair appends its log block.
  std::string repairLogPath;
  // Where the block goes when `repairLogPath` cannot be opened (a standard user may not create
  // files in the root of C:); empty: nowhere else.
  std::string fallbackRepairLogPath = {};
};

}  // namespace brivanto::app
