#pragma once

#include "ports/FileSystem.h"

namespace brivanto::posix {

// The file system through the C++ standard library, with a faster and safer copy where the system
// has the means. A log opened for appending is locked for as long as it is open.
class StandardFileSystem : public ports::FileSystem {
 public:
  bool IsFile(const std::string& path) override;
  std::unique_ptr<ports::AppendFile> OpenForAppend(const std::string& path) override;
  void CopyToNewFile(const std::string& source, const std::string& target) override;
  // On Linux each copy is written and flushed under a hidden temporary name in the target's
  // folder and then renamed into place without replacing anything, so a copy killed halfway
  // never shows under its final name.
  ports::NewFilesOutcome CopyToNewFiles(const std::vector<ports::FileCopy>& copies) override;
};

}  // namespace brivanto::posix
