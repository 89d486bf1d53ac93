#pragma once

#include <string>

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/Database.h"
#include "platform/FileDialog.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/OdbcInstaller.h"
#include "platform/RegistryReader.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"

namespace brivanto::app {

// The operating-system services the window's logic uses; the frontend owns them.
struct Services {
  platform::MessageBox& messageBox;
  platform::SettingsStore& settings;
  platform::RegistryReaderFactory& registry;
  platform::Database& database;
  platform::FileSystem& fileSystem;
  platform::FileDialog& fileDialog;
  platform::Clipboard& clipboard;
  platform::Clock& clock;
  platform::TickCounter& ticks;
  platform::OdbcInstaller& installer;
  platform::Shell& shell;
  // Where each repair appends its log block.
  std::string repairLogPath;
};

}  // namespace brivanto::app
