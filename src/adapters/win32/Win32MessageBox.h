#pragma once

#include <cstdint>
#include <string>

#include "ports/MessageDialog.h"

namespace brivanto::win32 {

// The system's message box (MessageBoxA): the style number goes to Windows as it is and the
// button's number comes back as it is. Texts are UTF-8; a character the ANSI code page cannot
// show appears as '?'.
class Win32MessageBox final : public ports::MessageDialog {
 public:
  // Boxes belong to `window` (an HWND) from then on, so they are modal to it; before that, and
  // with 0, they have no owner window.
  void SetParentWindow(std::intptr_t window) { owner_ = window; }

  int Show(const std::string& text, int style, const std::string& title) override;

 private:
  std::intptr_t owner_ = 0;
};

}  // namespace brivanto::win32
