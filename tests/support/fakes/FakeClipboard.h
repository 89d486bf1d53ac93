#pragma once

// The clipboard as one optional text.

#include <optional>
#include <string>

#include "ports/Clipboard.h"

namespace brivanto::testing {

class FakeClipboard : public ports::Clipboard {
 public:
  bool SetText(const std::string& value) override {
    if (busy) {
      return false;
    }
    text = value;
    ++writes;
    return true;
  }
  std::optional<std::string> text;
  int writes = 0;
  bool busy = false;
};

}  // namespace brivanto::testing
