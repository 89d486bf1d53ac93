#pragma once

#include "ports/FileSystem.h"

namespace brivanto::win32 {

// The file system through the Windows "A" functions. Paths are UTF-8 outside and cross in the
// ANSI code page; a path the code page cannot carry is refused with a Failure that names it
// (and IsFile answers false for it).
//  - A log opened for appending is held under an exclusive lock of the whole file (LockFileEx)
//    until it is destroyed; each line goes out in one WriteFile and is flushed.
//  - Each copy is written under a hidden temporary name in the target's folder, flushed, and
//    only then renamed into place with MoveFileExA without MOVEFILE_REPLACE_EXISTING, so a copy
//    never shows under its final name half-written and a name taken meanwhile is never
//    overwritten. A failure leaves neither temporaries nor any copy of the group behind.
class Win32FileSystem final : public ports::FileSystem {
 public:
  bool IsFile(const std::string& path) override;
  std::unique_ptr<ports::AppendFile> OpenForAppend(const std::string& path) override;
  void CopyToNewFile(const std::string& source, const std::string& target) override;
  ports::NewFilesOutcome CopyToNewFiles(const std::vector<ports::FileCopy>& copies) override;
};

}  // namespace brivanto::win32
