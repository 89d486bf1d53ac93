#pragma once

#include <string>

namespace brivanto::ports {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Empties the clipboard and puts `text` on it as plain text. False when the clipboard could
  // not be taken (another program holds it); the call never waits for it.
  virtual bool SetText(const std::string& text) = 0;
};

}  // namespace brivanto::ports
