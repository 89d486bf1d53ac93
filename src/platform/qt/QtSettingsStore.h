#pragma once

#include <QString>
#include <string>

#include "platform/SettingsStore.h"

namespace brivanto::platform::qt {

// One INI file per application, <base>/Brivanto/<application>.ini, with the section as INI
// group. Every save is flushed to disk at once, so a crash loses nothing.
class QtSettingsStore : public platform::SettingsStore {
 public:
  // The user's configuration folder: $XDG_CONFIG_HOME, else ~/.config.
  static QString DefaultBaseFolder();

  explicit QtSettingsStore(QString baseFolder = DefaultBaseFolder());

  QString FilePath(const std::string& application) const;

  std::string GetSetting(const std::string& application, const std::string& section,
                         const std::string& key, const std::string& defaultValue) override;
  // Throws Failure (file access) when the file cannot be written.
  void SaveSetting(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& value) override;

 private:
  QString baseFolder_;
};

}  // namespace brivanto::platform::qt
