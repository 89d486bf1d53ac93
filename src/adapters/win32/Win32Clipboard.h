#pragma once

#include <cstdint>
#include <string>

#include "ports/Clipboard.h"

namespace brivanto::win32 {

// The clipboard as plain text (CF_TEXT, in the ANSI code page; Windows offers it as Unicode
// text too). Line breaks stay as given. When another program holds the clipboard, a few short
// tries (about 50 ms in all) are made before giving up with false.
class Win32Clipboard final : public ports::Clipboard {
 public:
  Win32Clipboard() = default;
  Win32Clipboard(const Win32Clipboard&) = delete;
  Win32Clipboard& operator=(const Win32Clipboard&) = delete;
  ~Win32Clipboard() override;

  // The clipboard's owner window from then on (an HWND); until then, and with 0, a hidden
  // window of this object's own.
  void SetOwnerWindow(std::intptr_t window) { owner_ = window; }

  bool SetText(const std::string& text) override;

 private:
  std::intptr_t Owner();

  std::intptr_t owner_ = 0;
  std::intptr_t ownWindow_ = 0;
};

}  // namespace brivanto::win32
