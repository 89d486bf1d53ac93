// Files the repair creates next to the database; none of them outlives the repair.
#pragma once

#include <memory>
#include <string>

#include "FileDescriptor.h"

namespace brivanto::standin {

using posix::FileDescriptor;

// Takes the result of open() and its kin; throws std::system_error naming `what` when it is -1.
FileDescriptor CheckedDescriptor(int descriptor, const char* what);
// Closes it; throws std::system_error when the system reports a failure.
void CloseOrThrow(FileDescriptor& descriptor);

class InterruptCleanup;

// An empty file with a unique name in the folder of `neighbour`, mode 0600, named
// .brivanto-repair-<pid of its owner>-XXXXXX. It and its SQLite journal are removed when it goes
// out of scope, and also when SIGINT, SIGTERM or SIGHUP end the process while it exists. Only
// one exists per process at a time: a second one waits for the first to go.
class TempFile {
 public:
  explicit TempFile(const std::string& neighbour);
  TempFile(TempFile&& other) noexcept;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  TempFile& operator=(TempFile&&) = delete;
  ~TempFile();

  const std::string& path() const { return path_; }

 private:
  std::unique_ptr<InterruptCleanup> cleanup_;
  std::string path_;
};

// Removes the temp files (and their journals) in `folder` whose owning process no longer runs,
// left behind by a repair that was killed outright or lost its power.
void RemoveAbandonedTempFiles(const std::string& folder);

std::string FolderOf(const std::string& absolute_path);

}  // namespace brivanto::standin
