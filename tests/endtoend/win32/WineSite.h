#pragma once

// The real Windows ODBC entry points under Wine, reaching the Linux stand-in driver through the
// host's unixODBC (scripts/wine.sh run-odbc-tests prepares its private configuration), the
// Windows setup stand-in registered in the Wine registry, and the real message boxes answered
// from another thread.

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ports/MessageDialog.h"

namespace brivanto::win32test {

// A fresh folder of the run's work folder, by its Linux path: the Linux driver cannot read a
// Windows path, and Wine reads a path starting with '/' on the current drive, which these tests
// make Z: (the host's root).
std::string NewWorkFolder();
// The Windows form of a Linux path (Z:\...), as the system's dialogs name it.
std::string WindowsPath(const std::string& linuxPath);

// Runs statements on a SQLite file through Debian's SQLite driver ("SQLite3 Test"), creating
// the file; texts go to the driver as the ANSI bytes the program also sends.
void RunOnSqlite(const std::string& file, const std::vector<std::string>& statements);
// A SQLite file holding tblSettings with two logged-on users and the image folder `folder`.
std::string CreateSiteDatabase(const std::string& folder, const std::string& imageFolder);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
void RemoveTree(const std::string& path);
// This exe's folder, where the program and the setup stand-in are built beside it.
std::string ExeFolder();

// HKLM\<key> with the given values for the life of the object, then removed.
class RegistryKey {
 public:
  RegistryKey(std::string key, const std::vector<std::pair<std::string, std::string>>& values);
  ~RegistryKey();
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

 private:
  std::string key_;
};

// What a real modal dialog of this process showed, read before it was answered.
struct SeenDialog {
  std::string title;
  std::string text;
  bool errorIcon = false;
  bool folderBrowser = false;
};

// Answers every modal dialog (#32770) of this process from its own thread, as a user would: Yes
// to a question, OK otherwise; a folder browser first gets `folderChoice` selected.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(std::string folderChoice = {});
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  std::vector<SeenDialog> Seen() const;

 private:
  void Watch();

  std::string folderChoice_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<SeenDialog> seen_;
  std::thread thread_;
};

// The style every box was asked for, passed on to the real box.
class RecordingMessageBox final : public ports::MessageDialog {
 public:
  explicit RecordingMessageBox(ports::MessageDialog& real) : real_(real) {}
  int Show(const std::string& text, int style, const std::string& title) override {
    styles.push_back(style);
    texts.push_back(text);
    return real_.Show(text, style, title);
  }
  std::vector<int> styles;
  std::vector<std::string> texts;

 private:
  ports::MessageDialog& real_;
};

}  // namespace brivanto::win32test
