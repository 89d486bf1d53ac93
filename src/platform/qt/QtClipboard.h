#pragma once

#include <string>

#include "platform/Clipboard.h"

namespace brivanto::platform::qt {

class QtClipboard : public platform::Clipboard {
 public:
  // False when there is no application clipboard (no QGuiApplication).
  bool SetText(const std::string& text) override;
};

}  // namespace brivanto::platform::qt
