#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "ports/SettingsStore.h"

namespace brivanto::posix {

// Per-user settings as one INI file per application, <base>/Brivanto/<application>.ini, with
// the section as INI group. Every change of the path box saves, so a save must stay cheap: it
// rewrites the small file beside itself and renames it over the old one, which keeps the file
// whole without waiting for the disk.
class IniSettingsStore : public ports::SettingsStore {
 public:
  // $XDG_CONFIG_HOME, else ~/.config.
  static std::filesystem::path DefaultBaseFolder();

  explicit IniSettingsStore(std::filesystem::path baseFolder = DefaultBaseFolder());

  using Sections = std::map<std::string, std::map<std::string, std::string>>;

  std::filesystem::path FilePath(const std::string& application) const;

  // The file's content and the sections it holds. Every section, key and value written with
  // at least one key reads back unchanged; lines that are no key=value pair read as nothing.
  static Sections Parse(std::string_view content);
  static std::string Serialise(const Sections& sections);

  // A missing or unreadable file reads as an empty store.
  std::string GetSetting(const std::string& application, const std::string& section,
                         const std::string& key, const std::string& defaultValue) override;
  // Throws Failure (file access) when the file cannot be written.
  void SaveSetting(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& value) override;

 private:
  static Sections Read(const std::filesystem::path& file);
  static void Write(const std::filesystem::path& file, const Sections& sections);

  std::filesystem::path baseFolder_;
};

}  // namespace brivanto::posix
