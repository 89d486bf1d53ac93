#include "LogLocation.h"

#include <windows.h>
// Needs <windows.h> first.
#include <shlobj.h>

#include <vector>

#include "AnsiText.h"

namespace brivanto::win32 {
namespace {

constexpr const char* kLogName = "repairBrivanto.log";

std::wstring EnvironmentValue(const wchar_t* name) {
  std::vector<wchar_t> value(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) {
      return {};
    }
    if (length < value.size()) {
      return std::wstring(value.data(), length);
    }
    value.resize(length);
  }
}

std::wstring LocalAppDataFolder() {
  if (auto folder = EnvironmentValue(L"LOCALAPPDATA"); !folder.empty()) {
    return folder;
  }
  std::vector<wchar_t> folder(MAX_PATH);
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                                 folder.data()))) {
    return folder.data();
  }
  return {};
}

// The folder's 8.3 name, or nothing when the volume keeps none.
std::wstring ShortName(const std::wstring& folder) {
  const DWORD length = GetShortPathNameW(folder.c_str(), nullptr, 0);
  if (length == 0) {
    return {};
  }
  std::vector<wchar_t> name(length);
  if (GetShortPathNameW(folder.c_str(), name.data(), length) == 0) {
    return {};
  }
  return name.data();
}

std::string InFolder(std::string folder) {
  if (folder.empty()) {
    return {};
  }
  if (folder.back() != '\\' && folder.back() != '/') {
    folder += '\\';
  }
  return folder + "Brivanto\\" + kLogName;
}

}  // namespace

std::string Win32RepairLogPath() {
  return std::string("c:\\") + kLogName;
}

std::string Win32FallbackRepairLogPath(const std::string& localAppData) {
  return InFolder(localAppData);
}

std::string Win32FallbackRepairLogPath() {
  const std::wstring folder = LocalAppDataFolder();
  if (folder.empty()) {
    return {};
  }
  std::string path = InFolder(FromWide(folder));
  if (!TryToAnsi(path)) {
    if (const std::wstring shortFolder = ShortName(folder); !shortFolder.empty()) {
      path = InFolder(FromWide(shortFolder));
    }
  }
  return path;
}

}  // namespace brivanto::win32
