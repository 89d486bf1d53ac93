#pragma once

// The shell's folder browser, playing a scripted session.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/Shell.h"

namespace brivanto::testing {

// A folder dialog that plays a scripted session the way the system does: it calls the record's
// callback with INITIALIZED on opening and with SELCHANGED for each folder in `passedOver`, then
// hands out `choice` as a new item list, or 0 for a cancel.
class FakeShell : public ports::Shell {
 public:
  struct SentMessage {
    std::intptr_t window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::string text;
  };
  static constexpr std::intptr_t kDialogWindow = 0x4711;

  ports::ItemList SHBrowseForFolderA(ports::BrowseInfoRecord& record) override {
    shown.push_back(record);
    Notify(record, ports::browse_messages::kInitialized, 0);
    for (const auto& folder : passedOver) {
      Notify(record, ports::browse_messages::kSelectionChanged, NewItem(folder));
    }
    if (!choice) {
      return 0;
    }
    handedOut.push_back(NewItem(*choice));
    return handedOut.back();
  }
  int SHGetPathFromIDListA(ports::ItemList itemList, std::string& buffer) override {
    lookupBuffers.push_back(buffer);
    const auto found = items_.find(itemList);
    if (found == items_.end() || lookupResult == 0 || found->second.size() >= buffer.size()) {
      return 0;
    }
    buffer.replace(0, found->second.size() + 1, found->second + '\0');
    return lookupResult;
  }
  void CoTaskMemFree(ports::ItemList itemList) override { freed.push_back(itemList); }
  std::intptr_t SendMessageA(std::intptr_t window, std::uint32_t message, std::uintptr_t wParam,
                             const char* text) override {
    sent.push_back({window, message, wParam, text == nullptr ? "" : text});
    return 0;
  }

  std::optional<std::string> choice;    // nullopt: the user cancels
  std::vector<std::string> passedOver;  // folders selected on the way to the choice
  int lookupResult = 1;                 // what every path lookup of a known item returns
  std::vector<ports::BrowseInfoRecord> shown;
  std::vector<SentMessage> sent;
  std::vector<std::string> lookupBuffers;  // each lookup's buffer as it came in
  std::vector<ports::ItemList> handedOut;
  std::vector<ports::ItemList> freed;

 private:
  ports::ItemList NewItem(const std::string& path) {
    items_[++lastItem_] = path;
    return lastItem_;
  }
  static void Notify(const ports::BrowseInfoRecord& record, std::uint32_t message,
                     ports::ItemList item) {
    if (record.lpfn != nullptr) {
      record.lpfn(kDialogWindow, message, item, record.lParam);
    }
  }
  std::map<ports::ItemList, std::string> items_;
  ports::ItemList lastItem_ = 0;
};

}  // namespace brivanto::testing
