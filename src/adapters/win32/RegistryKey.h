#pragma once
// The registry helpers of the adapter; the key owner is UniqueRegistryKey (UniqueHandle.h).

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "UniqueHandle.h"

namespace brivanto::win32 {

// The predefined root a registry number (HKEY_LOCAL_MACHINE is 0x80000002) stands for; null for
// any other number. The roots are sign-extended handles on 64-bit Windows.
inline HKEY PredefinedRoot(std::uint32_t rootKey) {
  if (rootKey < 0x80000000U || rootKey > 0x80000006U) {
    return nullptr;
  }
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(rootKey)));
}

// The ANSI text of a REG_SZ or REG_EXPAND_SZ value (unexpanded), without its final NULs;
// nullopt when the value is absent, of another type or unreadable.
inline std::optional<std::string> ReadStringValue(HKEY key, const char* valueName) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
      return std::nullopt;
    }
    // One more byte, so a value stored without its NUL still ends in one.
    std::string data(static_cast<std::size_t>(size) + 1, '\0');
    DWORD received = size;
    const LONG result = RegQueryValueExA(key, valueName, nullptr, &type,
                                         reinterpret_cast<BYTE*>(data.data()), &received);
    if (result == ERROR_MORE_DATA) {
      continue;  // the value grew between the two calls
    }
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
      return std::nullopt;
    }
    data.resize(received);
    while (!data.empty() && data.back() == '\0') {
      data.pop_back();
    }
    return data;
  }
  return std::nullopt;
}

}  // namespace brivanto::win32
