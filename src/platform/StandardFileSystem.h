#pragma once

#include "platform/FileSystem.h"

namespace brivanto::platform {

// The file system through the C++ standard library; the same on every platform.
class StandardFileSystem : public FileSystem {
 public:
  bool IsFile(const std::string& path) override;
};

}  // namespace brivanto::platform
