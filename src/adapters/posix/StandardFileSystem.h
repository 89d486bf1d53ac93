#pragma once

#include "ports/FileSystem.h"

namespace brivanto::posix {

// The file system through the C++ standard library, with a faster copy where the system has one.
class StandardFileSystem : public ports::FileSystem {
 public:
  bool IsFile(const std::string& path) override;
  std::unique_ptr<ports::AppendFile> OpenForAppend(const std::string& path) override;
  void CopyToNewFile(const std::string& source, const std::string& target) override;
};

}  // namespace brivanto::posix
