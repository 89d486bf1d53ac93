#pragma once

#include <string>

#include "ports/Clipboard.h"

namespace brivanto::qt {

class QtClipboard : public ports::Clipboard {
 public:
  // False when there is no application clipboard (no QGuiApplication).
  bool SetText(const std::string& text) override;
};

}  // namespace brivanto::qt
