#pragma once

// Small stand-ins for the services the GUI tests do not exercise for real: the window runs with
// the real Qt message box, dialogs, clipboard and clock, and with these behind it.

#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "QtClipboard.h"
#include "QtClock.h"
#include "QtFileDialog.h"
#include "QtMessageBox.h"
#include "QtShell.h"
#include "app/Services.h"
#include "ports/Failure.h"

namespace brivanto::guitest {

class RecordingSettingsStore : public ports::SettingsStore {
 public:
  std::string GetSetting(const std::string& application, const std::string& section,
                         const std::string& key, const std::string& defaultValue) override;
  void SaveSetting(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& value) override;

  std::vector<std::string> savedValues;  // every saved value, in order
};

// The data-source definition; nullopt values are absent.
class ScriptedRegistry : public ports::RegistryReaderFactory {
 public:
  std::unique_ptr<ports::RegistryReader> Create() override;

  std::optional<std::string> driver = "Microsoft Access Driver (*.mdb)";
  std::optional<std::string> databaseFile = "/data/BrivantoDb.mdb";
  std::optional<Failure> createFailure;
};

// Hands out connections that never open and counts how many are alive.
class CountingDatabase : public ports::Database {
 public:
  std::unique_ptr<ports::Connection> CreateConnection() override;

  int created = 0;
  int alive = 0;
};

// Knows no files; logs and copies fail.
class EmptyFileSystem : public ports::FileSystem {
 public:
  bool IsFile(const std::string& path) override;
  std::unique_ptr<ports::AppendFile> OpenForAppend(const std::string& path) override;
  void CopyToNewFile(const std::string& source, const std::string& target) override;
  ports::NewFilesOutcome CopyToNewFiles(const std::vector<ports::FileCopy>& copies) override;
};

class RefusingInstaller : public ports::OdbcInstaller {
 public:
  bool ConfigDataSource(std::intptr_t window, int request, const std::string& driver,
                        const std::string& attributes) override;
  ports::InstallerError LastError() override;
};

// The real Qt file dialog, unless a failure is set: then every call throws it.
class SwitchableFileDialog : public ports::FileDialog {
 public:
  bool GetOpenFileNameA(ports::OpenFileNameRecord& record) override;
  bool GetSaveFileNameA(ports::OpenFileNameRecord& record) override;

  qt::QtFileDialog real;
  std::optional<Failure> failure;
};

struct GuiTestServices {
  app::Services Bundle();

  qt::QtMessageBox messageBox;
  RecordingSettingsStore settings;
  ScriptedRegistry registry;
  CountingDatabase database;
  EmptyFileSystem fileSystem;
  SwitchableFileDialog fileDialog;
  qt::QtClipboard clipboard;
  qt::QtClock clock;
  qt::QtTickCounter ticks;
  RefusingInstaller installer;
  qt::QtShell shell;
  QTemporaryDir logFolder;
};

}  // namespace brivanto::guitest
