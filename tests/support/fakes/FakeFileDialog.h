#pragma once

// The file-open and file-save dialogs, answering with a scripted choice.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ports/FileDialog.h"

namespace brivanto::testing {

class FakeFileDialog : public ports::FileDialog {
 public:
  bool GetOpenFileNameA(ports::OpenFileNameRecord& record) override { return Answer(record, true); }
  bool GetSaveFileNameA(ports::OpenFileNameRecord& record) override {
    return Answer(record, false);
  }
  std::vector<ports::OpenFileNameRecord> shown;
  std::vector<bool> openDialogs;
  std::optional<std::string> choice;  // nullopt: the user cancels
  std::uint32_t flagsAfter = 0;

 private:
  bool Answer(ports::OpenFileNameRecord& record, bool open) {
    shown.push_back(record);
    openDialogs.push_back(open);
    if (!choice) {
      return false;
    }
    record.lpstrFile = *choice + std::string(record.nMaxFile - choice->size(), '\0');
    record.Flags = flagsAfter;
    return true;
  }
};

}  // namespace brivanto::testing
