// Files the repair creates next to the database, removed again unless they replace it.
#pragma once

#include <string>

#include "FileDescriptor.h"

namespace brivanto::standin {

using posix::FileDescriptor;

// Takes the result of open() and its kin; throws std::system_error naming `what` when it is -1.
FileDescriptor CheckedDescriptor(int descriptor, const char* what);
// Closes it; throws std::system_error when the system reports a failure.
void CloseOrThrow(FileDescriptor& descriptor);

// An empty file with a unique name in the folder of `neighbour`, mode 0600.
class TempFile {
 public:
  explicit TempFile(const std::string& neighbour);
  TempFile(TempFile&& other) noexcept;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  TempFile& operator=(TempFile&&) = delete;
  ~TempFile();

  const std::string& path() const { return path_; }
  // Renames it over `target`; from then on there is nothing left to remove.
  void MoveOver(const std::string& target);

 private:
  std::string path_;
};

std::string FolderOf(const std::string& absolute_path);

// Makes a rename in that folder durable.
void SyncFolder(const std::string& folder);

}  // namespace brivanto::standin
