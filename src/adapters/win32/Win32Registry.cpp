#include "Win32Registry.h"

#include <windows.h>

#include "AnsiText.h"
#include "RegistryKey.h"
#include "SystemError.h"
#include "ports/Failure.h"

namespace brivanto::win32 {
namespace {

class Win32RegistryReader final : public ports::RegistryReader {
 public:
  void ReadString(std::uint32_t rootKey, const std::string& keyPath, const std::string& valueName,
                  std::string& value) override {
    const HKEY root = PredefinedRoot(rootKey);
    const auto ansiKey = TryToAnsi(keyPath);
    const auto ansiName = TryToAnsi(valueName);
    // A name the code page cannot carry cannot name an existing key or value either.
    if (root == nullptr || !ansiKey || !ansiName) {
      return;
    }
    UniqueRegistryKey key;
    if (RegOpenKeyExA(root, ansiKey->c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
      return;
    }
    if (auto text = ReadStringValue(key.get(), ansiName->c_str())) {
      value = FromAnsi(*text);
    }
  }
};

}  // namespace

std::unique_ptr<ports::RegistryReader> Win32RegistryReaderFactory::Create() {
  return std::make_unique<Win32RegistryReader>();
}

Win32SettingsStore::Win32SettingsStore(std::string baseKey) : baseKey_(std::move(baseKey)) {}

std::string Win32SettingsStore::KeyPath(const std::string& application,
                                        const std::string& section) const {
  return baseKey_ + "\\" + application + "\\" + section;
}

std::string Win32SettingsStore::GetSetting(const std::string& application,
                                           const std::string& section, const std::string& key,
                                           const std::string& defaultValue) {
  const auto ansiKey = TryToAnsi(KeyPath(application, section));
  const auto ansiName = TryToAnsi(key);
  if (!ansiKey || !ansiName) {
    return defaultValue;
  }
  UniqueRegistryKey opened;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, ansiKey->c_str(), 0, KEY_QUERY_VALUE, opened.put()) !=
      ERROR_SUCCESS) {
    return defaultValue;
  }
  const auto text = ReadStringValue(opened.get(), ansiName->c_str());
  return text ? FromAnsi(*text) : defaultValue;
}

void Win32SettingsStore::SaveSetting(const std::string& application, const std::string& section,
                                     const std::string& key, const std::string& value) {
  const std::string keyPath = KeyPath(application, section);
  const auto fail = [&](const std::string& reason) {
    return Failure(failure_codes::kFileAccess,
                   "Instelling kan niet worden opgeslagen in "
                   "HKEY_CURRENT_USER\\" +
                       keyPath + ": " + reason);
  };
  const auto ansiKey = TryToAnsi(keyPath);
  const auto ansiName = TryToAnsi(key);
  const auto ansiValue = TryToAnsi(value);
  if (!ansiKey || !ansiName) {
    throw fail("de naam bevat tekens die Windows hier niet kan doorgeven");
  }
  if (!ansiValue) {
    throw fail("de waarde bevat tekens die Windows hier niet kan doorgeven: " + value);
  }
  // A NUL inside would cut the stored text short without a word.
  if (ansiValue->find('\0') != std::string::npos) {
    throw fail("de waarde bevat een NUL-teken");
  }
  UniqueRegistryKey opened;
  LONG result =
      RegCreateKeyExA(HKEY_CURRENT_USER, ansiKey->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, opened.put(), nullptr);
  if (result == ERROR_SUCCESS) {
    result = RegSetValueExA(opened.get(), ansiName->c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(ansiValue->c_str()),
                            static_cast<DWORD>(ansiValue->size() + 1));
  }
  if (result != ERROR_SUCCESS) {
    throw fail(SystemMessage(static_cast<std::uint32_t>(result)));
  }
}

}  // namespace brivanto::win32
