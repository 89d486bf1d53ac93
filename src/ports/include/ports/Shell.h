#pragma once

#include <cstdint>
#include <string>

namespace brivanto::ports {

// An item list as the folder dialog hands it out; 0 is the null list.
using ItemList = std::intptr_t;

// The folder dialog calls this with its own window, a message, the message's parameter and the
// record's lParam. Its result is ignored.
using BrowseCallback = int (*)(std::intptr_t dialogWindow, std::uint32_t message,
                               std::intptr_t messageParameter, std::intptr_t applicationData);

// The folder dialog's request record, field for field in the order of its 32-bit form (32 bytes).
// Texts are byte strings in the system's ANSI code page (UTF-8 on Linux).
struct BrowseInfoRecord {
  std::intptr_t hwndOwner = 0;
  ItemList pidlRoot = 0;  // 0: the tree starts at the desktop
  // Receives the chosen item's display name; must hold 260 bytes. Null: not wanted.
  char* pszDisplayName = nullptr;
  std::string lpszTitle;
  std::uint32_t ulFlags = 0;
  BrowseCallback lpfn = nullptr;
  std::intptr_t lParam = 0;
  std::int32_t iImage = 0;
};

namespace browse_flags {
inline constexpr std::uint32_t kReturnOnlyFileSystemFolders = 0x1;
inline constexpr std::uint32_t kStatusText = 0x4;
inline constexpr std::uint32_t kNewDialogStyle = 0x40;
inline constexpr std::uint32_t kIncludeFiles = 0x4000;
}  // namespace browse_flags

namespace browse_messages {
// From the dialog to the callback.
inline constexpr std::uint32_t kInitialized = 1;
inline constexpr std::uint32_t kSelectionChanged = 2;
// From the callback to the dialog.
inline constexpr std::uint32_t kSetStatusText = 0x464;
inline constexpr std::uint32_t kSetSelection = 0x466;
}  // namespace browse_messages

// The shell's folder-picking dialog and the calls around it, under their system names.
class Shell {
 public:
  virtual ~Shell() = default;

  // Runs the dialog modally. The chosen item list, which the caller releases with CoTaskMemFree,
  // or 0 when the user cancels.
  virtual ItemList SHBrowseForFolderA(BrowseInfoRecord& record) = 0;
  // Writes the item's file-system path, ended by a NUL, over the start of `buffer`, whose length
  // stays as it is. Nonzero on success; 0 for the null list, an item without a file-system path
  // or a path that does not fit.
  virtual int SHGetPathFromIDListA(ItemList itemList, std::string& buffer) = 0;
  virtual void CoTaskMemFree(ItemList itemList) = 0;
  // `text` is NUL-terminated; the dialog reads it up to that NUL.
  virtual std::intptr_t SendMessageA(std::intptr_t window, std::uint32_t message,
                                     std::uintptr_t wParam, const char* text) = 0;
};

}  // namespace brivanto::ports
