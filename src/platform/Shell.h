#pragma once

namespace brivanto::platform {

// The shell's folder-picking dialog and the calls around it.
class Shell {
 public:
  virtual ~Shell() = default;
};

}  // namespace brivanto::platform
