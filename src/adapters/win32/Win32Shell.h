#pragma once

#include <cstdint>
#include <string>

#include "ports/Shell.h"

namespace brivanto::win32 {

// The shell's folder dialog and the calls around it, each the real function: SHBrowseForFolderA,
// SHGetPathFromIDListA, CoTaskMemFree and SendMessageA. Texts are UTF-8 outside and ANSI inside;
// a path longer in UTF-8 than the caller's buffer does not fit and gives 0. The record's callback
// is reached through a trampoline of the system's calling convention, with the record's lParam.
class Win32Shell final : public ports::Shell {
 public:
  // The owner (an HWND) for records whose hwndOwner is 0.
  void SetParentWindow(std::intptr_t window) { owner_ = window; }

  ports::ItemList SHBrowseForFolderA(ports::BrowseInfoRecord& record) override;
  int SHGetPathFromIDListA(ports::ItemList itemList, std::string& buffer) override;
  void CoTaskMemFree(ports::ItemList itemList) override;
  std::intptr_t SendMessageA(std::intptr_t window, std::uint32_t message, std::uintptr_t wParam,
                             const char* text) override;

 private:
  std::intptr_t owner_ = 0;
};

}  // namespace brivanto::win32
