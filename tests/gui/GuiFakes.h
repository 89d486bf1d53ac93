#pragma once

// Small stand-ins for the services the GUI tests do not exercise for real: the window runs with
// the real Qt message box, dialogs, clipboard and clock, and with these behind it.

#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Services.h"
#include "platform/Failure.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtFileDialog.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtShell.h"

namespace brivanto::guitest {

class RecordingSettingsStore : public platform::SettingsStore {
 public:
  std::string GetSetting(const std::string& application, const std::string& section,
                         const std::string& key, const std::string& defaultValue) override;
  void SaveSetting(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& value) override;

  std::vector<std::string> savedValues;  // every saved value, in order
};

// The data-source definition; nullopt values are absent.
class ScriptedRegistry : public platform::RegistryReaderFactory {
 public:
  std::unique_ptr<platform::RegistryReader> Create() override;

  std::optional<std::string> driver = "Microsoft Access Driver (*.mdb)";
  std::optional<std::string> databaseFile = "/data/BrivantoDb.mdb";
  std::optional<Failure> createFailure;
};

// Hands out connections that never open and counts how many are alive.
class CountingDatabase : public platform::Database {
 public:
  std::unique_ptr<platform::Connection> CreateConnection() override;

  int created = 0;
  int alive = 0;
};

// Knows no files; logs and copies fail.
class EmptyFileSystem : public platform::FileSystem {
 public:
  bool IsFile(const std::string& path) override;
  std::unique_ptr<platform::AppendFile> OpenForAppend(const std::string& path) override;
  void CopyToNewFile(const std::string& source, const std::string& target) override;
};

class RefusingInstaller : public platform::OdbcInstaller {
 public:
  bool ConfigDataSource(std::intptr_t window, int request, const std::string& driver,
                        const std::string& attributes) override;
  platform::InstallerError LastError() override;
};

// The real Qt file dialog, unless a failure is set: then every call throws it.
class SwitchableFileDialog : public platform::FileDialog {
 public:
  bool GetOpenFileName(platform::OpenFileNameRecord& record) override;
  bool GetSaveFileName(platform::OpenFileNameRecord& record) override;

  platform::qt::QtFileDialog real;
  std::optional<Failure> failure;
};

struct GuiTestServices {
  app::Services Bundle();

  platform::qt::QtMessageBox messageBox;
  RecordingSettingsStore settings;
  ScriptedRegistry registry;
  CountingDatabase database;
  EmptyFileSystem fileSystem;
  SwitchableFileDialog fileDialog;
  platform::qt::QtClipboard clipboard;
  platform::qt::QtClock clock;
  platform::qt::QtTickCounter ticks;
  RefusingInstaller installer;
  platform::qt::QtShell shell;
  QTemporaryDir logFolder;
};

}  // namespace brivanto::guitest
