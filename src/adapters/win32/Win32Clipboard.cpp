#include "Win32Clipboard.h"

#include <windows.h>

#include <cstring>

#include "AnsiText.h"
#include "UniqueHandle.h"

namespace brivanto::win32 {
namespace {

constexpr int kOpenAttempts = 6;
constexpr DWORD kPauseBetweenAttemptsMs = 10;

// Closes the clipboard however the caller leaves.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) {
    for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
      if (OpenClipboard(owner)) {
        open_ = true;
        return;
      }
      if (attempt < kOpenAttempts) {
        Sleep(kPauseBetweenAttemptsMs);
      }
    }
  }
  ~OpenedClipboard() {
    if (open_) {
      CloseClipboard();
    }
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;

  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

}  // namespace

Win32Clipboard::~Win32Clipboard() {
  if (ownWindow_ != 0) {
    DestroyWindow(reinterpret_cast<HWND>(ownWindow_));
  }
}

std::intptr_t Win32Clipboard::Owner() {
  if (owner_ != 0 && IsWindow(reinterpret_cast<HWND>(owner_))) {
    return owner_;
  }
  // Emptying the clipboard makes the opening window its owner; without one, Windows may refuse
  // the data. A message-only window of the predefined STATIC class needs no registration.
  if (ownWindow_ == 0) {
    ownWindow_ = reinterpret_cast<std::intptr_t>(CreateWindowExA(
        0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr));
  }
  return ownWindow_;
}

bool Win32Clipboard::SetText(const std::string& text) {
  const std::string ansi = ToAnsiForDisplay(text);
  UniqueGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, ansi.size() + 1));
  if (!memory) {
    return false;
  }
  void* bytes = GlobalLock(memory.get());
  if (bytes == nullptr) {
    return false;
  }
  std::memcpy(bytes, ansi.c_str(), ansi.size() + 1);
  // FALSE here also means "no longer locked", which is what is wanted.
  static_cast<void>(GlobalUnlock(memory.get()));
  const OpenedClipboard clipboard(reinterpret_cast<HWND>(Owner()));
  if (!clipboard.IsOpen() || !EmptyClipboard() ||
      SetClipboardData(CF_TEXT, memory.get()) == nullptr) {
    return false;
  }
  // The system took the memory, as SetClipboardData succeeded.
  static_cast<void>(memory.release());
  return true;
}

}  // namespace brivanto::win32
