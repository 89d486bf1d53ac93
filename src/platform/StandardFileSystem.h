#pragma once

#include "platform/FileSystem.h"

namespace brivanto::platform {

// The file system through the C++ standard library, with a faster copy where the system has one.
class StandardFileSystem : public FileSystem {
 public:
  bool IsFile(const std::string& path) override;
  std::unique_ptr<AppendFile> OpenForAppend(const std::string& path) override;
  void CopyToNewFile(const std::string& source, const std::string& target) override;
};

}  // namespace brivanto::platform
