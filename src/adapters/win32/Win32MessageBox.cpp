#include "Win32MessageBox.h"

#include <windows.h>

#include "AnsiText.h"

namespace brivanto::win32 {

int Win32MessageBox::Show(const std::string& text, int style, const std::string& title) {
  // The owner may have been closed meanwhile; a box without an owner is still a box.
  HWND owner = reinterpret_cast<HWND>(owner_);
  if (owner != nullptr && !IsWindow(owner)) {
    owner = nullptr;
  }
  return MessageBoxA(owner, ToAnsiForDisplay(text).c_str(), ToAnsiForDisplay(title).c_str(),
                     static_cast<UINT>(style));
}

}  // namespace brivanto::win32
