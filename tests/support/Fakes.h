#pragma once

// In-memory stand-ins for every platform service, so the window's logic can be driven and
// observed without a screen, a registry or a database: one header per port in fakes/, and here
// all of them wired into one Services bundle.

#include <string>

#include "app/Services.h"
#include "support/fakes/FakeClipboard.h"
#include "support/fakes/FakeClock.h"
#include "support/fakes/FakeDatabase.h"
#include "support/fakes/FakeFileDialog.h"
#include "support/fakes/FakeFileSystem.h"
#include "support/fakes/FakeInstaller.h"
#include "support/fakes/FakeMessageBox.h"
#include "support/fakes/FakeRegistry.h"
#include "support/fakes/FakeSettingsStore.h"
#include "support/fakes/FakeShell.h"
#include "support/fakes/FakeView.h"

namespace brivanto::testing {

// Every fake, wired into one Services bundle. A test that runs over real parts sets them in
// place of the fakes they replace.
struct FakeServices {
  FakeMessageBox messageBox;
  FakeSettingsStore settings;
  FakeRegistry registry;
  FakeDatabase database;
  FakeFileSystem fileSystem;
  FakeFileDialog fileDialog;
  FakeClipboard clipboard;
  FakeClock clock;
  FakeTickCounter ticks;
  FakeInstaller installer;
  FakeShell shell;
  std::string repairLogPath = "repair.log";

  ports::Database* realDatabase = nullptr;
  ports::FileSystem* realFileSystem = nullptr;
  ports::OdbcInstaller* realInstaller = nullptr;

  app::Services Bundle(ports::MessageDialog& messages) {
    return app::Services{messages,
                         settings,
                         registry,
                         realDatabase != nullptr ? *realDatabase : database,
                         realFileSystem != nullptr ? *realFileSystem : fileSystem,
                         fileDialog,
                         clipboard,
                         clock,
                         ticks,
                         realInstaller != nullptr ? *realInstaller : installer,
                         shell,
                         repairLogPath};
  }
  app::Services Bundle() { return Bundle(messageBox); }
};

}  // namespace brivanto::testing
