// The folder dialog: its flags hold exactly the requested options, the start folder reaches the
// dialog as the caller gave it, the item list is released once, and the chosen path comes back
// cut at the NUL the shell ends it with.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "dialogs/ComDlg.h"
#include "dialogs/ComDlgFolder.h"

namespace {

using namespace brivanto;
namespace messages = ports::browse_messages;

constexpr std::intptr_t kDialogWindow = 77;
constexpr ports::ItemList kChosenList = 5;

// A dialog that plays the part of the user and the shell from the fuzzer's bytes, keeping to
// the port's promises: a path is written with its NUL only when it fits the buffer.
class ScriptedShell : public ports::Shell {
 public:
  explicit ScriptedShell(FuzzedDataProvider& input) : input_(input) {}

  ports::ItemList SHBrowseForFolderA(ports::BrowseInfoRecord& record) override {
    seen_ = record;
    if (record.lpfn != nullptr) {
      record.lpfn(kDialogWindow, messages::kInitialized, 0, record.lParam);
      record.lpfn(kDialogWindow, messages::kSelectionChanged, kChosenList, record.lParam);
    }
    returned_ = input_.ConsumeBool() ? kChosenList : 0;
    return returned_;
  }
  int SHGetPathFromIDListA(ports::ItemList itemList, std::string& buffer) override {
    path_ = input_.ConsumeRandomLengthString();
    const auto bufferSize = buffer.size();
    found_ = itemList != 0 && path_.size() + 1 <= bufferSize;
    if (found_) {
      buffer.replace(0, path_.size() + 1, path_.c_str(), path_.size() + 1);
    }
    FUZZ_CHECK(buffer.size() == bufferSize);
    return found_ ? 1 : 0;
  }
  void CoTaskMemFree(ports::ItemList itemList) override {
    FUZZ_CHECK(itemList == kChosenList);
    ++released_;
  }
  std::intptr_t SendMessageA(std::intptr_t window, std::uint32_t message, std::uintptr_t,
                             const char* text) override {
    FUZZ_CHECK(window == kDialogWindow);
    sent_.push_back({message, text, path_});
    return 0;
  }

  struct Sent {
    std::uint32_t message;
    std::string text;
    std::string pathThen;
  };
  ports::BrowseInfoRecord seen_;
  std::vector<Sent> sent_;
  std::string path_;
  bool found_ = false;
  ports::ItemList returned_ = 0;
  int released_ = 0;

 private:
  FuzzedDataProvider& input_;
};

void CheckFlags(bool includeFiles, bool newStyle) {
  namespace flags = ports::browse_flags;
  const auto value = ComDlg::BrowseFlags(includeFiles, newStyle);
  FUZZ_CHECK(value == (flags::kReturnOnlyFileSystemFolders | flags::kStatusText |
                       (includeFiles ? flags::kIncludeFiles : 0U) |
                       (newStyle ? flags::kNewDialogStyle : 0U)));
}

void CheckMessages(const ScriptedShell& shell, const std::string& startFolder) {
  FUZZ_CHECK((shell.seen_.lpfn != nullptr) == !startFolder.empty());
  if (startFolder.empty()) {
    FUZZ_CHECK(shell.sent_.empty());
    return;
  }
  FUZZ_CHECK(ComDlg::BrowseStartFolder() == startFolder + '\0');
  FUZZ_CHECK(!shell.sent_.empty() && shell.sent_[0].message == messages::kSetSelection);
  FUZZ_CHECK(shell.sent_[0].text == ComDlg::TrimAtNull(startFolder));
  for (std::size_t i = 1; i < shell.sent_.size(); ++i) {
    FUZZ_CHECK(shell.sent_[i].message == messages::kSetStatusText);
    FUZZ_CHECK(shell.sent_[i].text == ComDlg::TrimAtNull(shell.sent_[i].pathThen));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool includeFiles = input.ConsumeBool();
  const bool newStyle = input.ConsumeBool();
  CheckFlags(includeFiles, newStyle);
  const auto startFolder = input.ConsumeRandomLengthString();
  const auto title = input.ConsumeRandomLengthString();
  ScriptedShell shell(input);
  const auto chosen = ComDlg::BrowseForFolder(shell, 1, startFolder, title, includeFiles, newStyle);
  FUZZ_CHECK(shell.seen_.lpszTitle == title && shell.seen_.hwndOwner == 1);
  FUZZ_CHECK(shell.seen_.ulFlags == ComDlg::BrowseFlags(includeFiles, newStyle));
  FUZZ_CHECK(shell.released_ == (shell.returned_ != 0 ? 1 : 0));
  CheckMessages(shell, startFolder);
  FUZZ_CHECK(chosen.find('\0') == std::string::npos);
  FUZZ_CHECK(chosen == (shell.found_ ? ComDlg::TrimAtNull(shell.path_) : std::string()));
  return 0;
}
