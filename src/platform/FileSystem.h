#pragma once

#include <string>

namespace brivanto::platform {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True only for an existing regular file (not a folder, not a missing path).
  virtual bool IsFile(const std::string& path) = 0;
};

}  // namespace brivanto::platform
