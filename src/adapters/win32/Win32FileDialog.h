#pragma once

#include <cstdint>

#include "ports/FileDialog.h"

namespace brivanto::win32 {

// The system's open and save dialogs (GetOpenFileNameA, GetSaveFileNameA), filled field for field
// from the record in its NT4 form (OPENFILENAME_NT4A: 76 bytes on 32-bit Windows). The record's
// texts are UTF-8 and cross in the ANSI code page. On success the chosen path (with the file
// title, offsets and index) is copied back, NUL-padded to nMaxFile, and Flags as the dialog left
// them. An initial file name or folder the code page cannot carry is left out, so the dialog
// starts without it.
class Win32FileDialog final : public ports::FileDialog {
 public:
  // The owner (an HWND) for records whose hwndOwner is 0.
  void SetParentWindow(std::intptr_t window) { owner_ = window; }

  bool GetOpenFileNameA(ports::OpenFileNameRecord& record) override;
  bool GetSaveFileNameA(ports::OpenFileNameRecord& record) override;

 private:
  bool Run(ports::OpenFileNameRecord& record, bool open);

  std::intptr_t owner_ = 0;
};

}  // namespace brivanto::win32
