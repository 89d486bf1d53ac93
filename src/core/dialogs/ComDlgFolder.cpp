#include "dialogs/ComDlgFolder.h"

#include "dialogs/ComDlg.h"

namespace brivanto::ComDlg {
namespace {

namespace flags = ports::browse_flags;
namespace messages = ports::browse_messages;

constexpr std::uintptr_t kSelectionIsPath = 1;
constexpr std::uintptr_t kNoParameter = 0;
constexpr int kPathFound = 1;

// The callback gets nothing from its caller (the record's lParam stays 0), so what it needs
// lives here while a dialog is open.
std::string startFolderSlot;
ports::Shell* activeShell = nullptr;

class ActiveShell {
 public:
  explicit ActiveShell(ports::Shell& shell) : previous_(activeShell) { activeShell = &shell; }
  ~ActiveShell() { activeShell = previous_; }
  ActiveShell(const ActiveShell&) = delete;
  ActiveShell& operator=(const ActiveShell&) = delete;

 private:
  ports::Shell* previous_;
};

// Releases a non-null item list however the caller leaves.
class OwnedItemList {
 public:
  OwnedItemList(ports::Shell& shell, ports::ItemList itemList)
      : shell_(shell), itemList_(itemList) {}
  ~OwnedItemList() {
    if (itemList_ != 0) {
      shell_.CoTaskMemFree(itemList_);
    }
  }
  OwnedItemList(const OwnedItemList&) = delete;
  OwnedItemList& operator=(const OwnedItemList&) = delete;

  ports::ItemList Get() const { return itemList_; }

 private:
  ports::Shell& shell_;
  ports::ItemList itemList_;
};

ports::BrowseInfoRecord BuildBrowseRecord(std::intptr_t owner, const std::string& title,
                                          bool includeFiles, bool newStyle) {
  ports::BrowseInfoRecord record;
  record.hwndOwner = owner;
  record.lpszTitle = title;
  record.ulFlags = BrowseFlags(includeFiles, newStyle);
  return record;
}

void SelectStartFolder(ports::Shell& shell, std::intptr_t dialogWindow) {
  shell.SendMessageA(dialogWindow, messages::kSetSelection, kSelectionIsPath,
                     startFolderSlot.c_str());
}

void ShowSelectedPath(ports::Shell& shell, std::intptr_t dialogWindow, ports::ItemList selected) {
  std::string buffer(kStatusPathBufferLength, ' ');
  if (shell.SHGetPathFromIDListA(selected, buffer) == kPathFound) {
    shell.SendMessageA(dialogWindow, messages::kSetStatusText, kNoParameter, buffer.c_str());
  }
}

}  // namespace

std::uint32_t BrowseFlags(bool includeFiles, bool newStyle) {
  std::uint32_t result = flags::kReturnOnlyFileSystemFolders | flags::kStatusText;
  if (includeFiles) {
    result |= flags::kIncludeFiles;
  }
  if (newStyle) {
    result |= flags::kNewDialogStyle;
  }
  return result;
}

std::string BrowseForFolder(ports::Shell& shell, std::intptr_t owner,
                            const std::string& startFolder, const std::string& title,
                            bool includeFiles, bool newStyle) {
  auto record = BuildBrowseRecord(owner, title, includeFiles, newStyle);
  if (!startFolder.empty()) {
    startFolderSlot = startFolder + '\0';
    record.lpfn = BrowseCallbackProc;
  }
  const ActiveShell active(shell);
  const OwnedItemList chosen(shell, shell.SHBrowseForFolderA(record));
  // The lookup runs even for the null list of a cancel; it then simply fails.
  std::string buffer(kBrowsePathBufferLength, ' ');
  if (shell.SHGetPathFromIDListA(chosen.Get(), buffer) == 0) {
    return {};
  }
  return TrimAtNull(buffer);
}

int BrowseCallbackProc(std::intptr_t dialogWindow, std::uint32_t message,
                       std::intptr_t messageParameter, std::intptr_t /*applicationData*/) {
  if (activeShell == nullptr) {
    return 0;
  }
  // The dialog's own code calls this, so nothing may escape; a failed message only costs the
  // dialog its start folder or its status text.
  try {
    if (message == messages::kInitialized) {
      SelectStartFolder(*activeShell, dialogWindow);
    } else if (message == messages::kSelectionChanged) {
      ShowSelectedPath(*activeShell, dialogWindow, messageParameter);
    }
  } catch (...) {  // NOLINT(bugprone-empty-catch): see above
  }
  return 0;
}

const std::string& BrowseStartFolder() {
  return startFolderSlot;
}

}  // namespace brivanto::ComDlg
