#pragma once

#include <memory>
#include <string>

#include "ports/RegistryReader.h"
#include "ports/SettingsStore.h"

namespace brivanto::win32 {

// Reads text values straight from the registry (RegOpenKeyExA, RegQueryValueExA): the data
// source BrivantoDb is HKEY_LOCAL_MACHINE\SOFTWARE\ODBC\ODBC.INI\BrivantoDb, values "driver"
// and "DBQ". A 32-bit program sees the 32-bit view, where the 32-bit Access driver's data
// sources live. Any predefined root can be read. A key or value that is absent, not text or
// not readable leaves the value as it was, as the Linux reader treats an unreadable odbc.ini.
// Values arrive in UTF-8.
class Win32RegistryReaderFactory final : public ports::RegistryReaderFactory {
 public:
  // The registry is part of the system, so creating a reader never fails.
  std::unique_ptr<ports::RegistryReader> Create() override;
};

// Per-user settings where the classic platform calls keep them, one registry key per
// application and section: GetSetting(app, section, key) is the REG_SZ value <key> of
// HKEY_CURRENT_USER\<base>\<app>\<section>; the base is "Software", so the path box lives in
// HKCU\Software\Brivanto\RepairDb, value DbPath. Texts are UTF-8 outside and ANSI in the
// registry; a value the ANSI code page cannot carry is refused, not stored changed.
class Win32SettingsStore final : public ports::SettingsStore {
 public:
  explicit Win32SettingsStore(std::string baseKey = "Software");

  // A missing, non-text or unreadable value reads as the default.
  std::string GetSetting(const std::string& application, const std::string& section,
                         const std::string& key, const std::string& defaultValue) override;
  // Throws Failure (failure_codes::kFileAccess, naming the key and the system's reason) when the
  // value cannot be written.
  void SaveSetting(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& value) override;

  // "Software\<app>\<section>" under HKEY_CURRENT_USER, in UTF-8.
  std::string KeyPath(const std::string& application, const std::string& section) const;

 private:
  std::string baseKey_;
};

}  // namespace brivanto::win32
