#pragma once

// The per-user settings in a map; held to the real stores in tests/contracts.

#include <map>
#include <string>
#include <vector>

#include "ports/Failure.h"
#include "ports/SettingsStore.h"

namespace brivanto::testing {

class FakeSettingsStore : public ports::SettingsStore {
 public:
  std::string GetSetting(const std::string& application, const std::string& section,
                         const std::string& key, const std::string& defaultValue) override {
    const auto found = values.find(Key(application, section, key));
    return found == values.end() ? defaultValue : found->second;
  }
  void SaveSetting(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& value) override {
    if (failSaves) {
      throw Failure(failure_codes::kFileAccess, "Instelling kan niet worden opgeslagen in " +
                                                    application + ".ini: Permission denied");
    }
    values[Key(application, section, key)] = value;
    saves.push_back(value);
  }
  static std::string Key(const std::string& application, const std::string& section,
                         const std::string& key) {
    return application + "|" + section + "|" + key;
  }

  std::map<std::string, std::string> values;
  std::vector<std::string> saves;
  bool failSaves = false;
};

}  // namespace brivanto::testing
