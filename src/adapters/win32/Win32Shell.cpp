#include "Win32Shell.h"

#include <windows.h>
// These need <windows.h> first.
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "AnsiText.h"

namespace brivanto::win32 {
namespace {

#ifndef _WIN64
static_assert(sizeof(BROWSEINFOA) == 32, "the record's 32-byte form");
#endif

// What the trampoline needs: the port's callback and the record's own lParam.
struct Forward {
  ports::BrowseCallback callback;
  std::intptr_t applicationData;
};

int CALLBACK Trampoline(HWND dialog, UINT message, LPARAM messageParameter, LPARAM data) {
  const auto* forward = reinterpret_cast<const Forward*>(data);
  // Nothing may unwind through the dialog's own frames.
  try {
    forward->callback(reinterpret_cast<std::intptr_t>(dialog), message,
                      static_cast<std::intptr_t>(messageParameter), forward->applicationData);
  } catch (...) {  // NOLINT(bugprone-empty-catch): see above
  }
  return 0;
}

// The new dialog style needs COM in this thread; a thread that has it keeps it as it was.
class ComForThisCall {
 public:
  ComForThisCall()
      : initialised_(
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
  }
  ~ComForThisCall() {
    if (initialised_) {
      CoUninitialize();
    }
  }
  ComForThisCall(const ComForThisCall&) = delete;
  ComForThisCall& operator=(const ComForThisCall&) = delete;

 private:
  bool initialised_;
};

// The text a message sends, in ANSI; the caller's pointer may be null.
std::string AnsiMessageText(const char* text) {
  return text == nullptr ? std::string() : ToAnsiForDisplay(text);
}

}  // namespace

ports::ItemList Win32Shell::SHBrowseForFolderA(ports::BrowseInfoRecord& record) {
  const ComForThisCall com;
  const std::string title = ToAnsiForDisplay(record.lpszTitle);
  std::array<char, MAX_PATH> displayName{};
  Forward forward{record.lpfn, record.lParam};

  BROWSEINFOA info{};
  info.hwndOwner = reinterpret_cast<HWND>(record.hwndOwner != 0 ? record.hwndOwner : owner_);
  info.pidlRoot = reinterpret_cast<PCIDLIST_ABSOLUTE>(record.pidlRoot);
  info.pszDisplayName = displayName.data();
  info.lpszTitle = record.lpszTitle.empty() ? nullptr : title.c_str();
  info.ulFlags = record.ulFlags;
  info.lpfn = record.lpfn != nullptr ? Trampoline : nullptr;
  info.lParam = record.lpfn != nullptr ? reinterpret_cast<LPARAM>(&forward) : record.lParam;

  const PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderA(&info);
  record.iImage = info.iImage;
  if (chosen != nullptr && record.pszDisplayName != nullptr) {
    // The caller's buffer holds MAX_PATH bytes; a longer UTF-8 name is cut at a character.
    std::string name = FromAnsi(displayName.data());
    std::size_t length = std::min<std::size_t>(name.size(), MAX_PATH - 1);
    while (length > 0 && length < name.size() && (name[length] & 0xC0) == 0x80) {
      --length;
    }
    std::memcpy(record.pszDisplayName, name.data(), length);
    record.pszDisplayName[length] = '\0';
  }
  return reinterpret_cast<ports::ItemList>(chosen);
}

int Win32Shell::SHGetPathFromIDListA(ports::ItemList itemList, std::string& buffer) {
  if (itemList == 0) {
    return 0;
  }
  std::array<char, MAX_PATH> path{};
  if (!::SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(itemList), path.data())) {
    return 0;
  }
  const std::string utf8 = FromAnsi(path.data());
  if (utf8.size() >= buffer.size()) {
    return 0;
  }
  buffer.replace(0, utf8.size() + 1, utf8 + '\0');
  return 1;
}

void Win32Shell::CoTaskMemFree(ports::ItemList itemList) {
  ::CoTaskMemFree(reinterpret_cast<void*>(itemList));
}

std::intptr_t Win32Shell::SendMessageA(std::intptr_t window, std::uint32_t message,
                                       std::uintptr_t wParam, const char* text) {
  const std::string ansi = AnsiMessageText(text);
  return static_cast<std::intptr_t>(
      ::SendMessageA(reinterpret_cast<HWND>(window), message, static_cast<WPARAM>(wParam),
                     text == nullptr ? 0 : reinterpret_cast<LPARAM>(ansi.c_str())));
}

}  // namespace brivanto::win32
