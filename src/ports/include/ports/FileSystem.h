#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brivanto::ports {

// A text file opened for appending, held exclusively: another AppendFile on the same file, in
// this or another process, waits until this one is destroyed, so whatever is written between
// opening and closing stays together. Destroying the object closes the file.
class AppendFile {
 public:
  virtual ~AppendFile() = default;
  // Appends `line` and CR LF in one write and hands it to the system before returning.
  // Throws Failure (failure_codes::kFileAccess, the system's reason) when it cannot.
  virtual void WriteLine(std::string_view line) = 0;
};

// One file to copy, and the name of its copy.
struct FileCopy {
  std::string source;
  std::string target;
};

// How a copy to new names ended when it did not fail outright.
enum class NewFilesOutcome {
  kCopied,
  kNameTaken,    // a target already exists; nothing was changed
  kNameTooLong,  // the file system refuses a target's name as too long; nothing was changed
};

// Paths are byte strings in the system's code page. Failures are Failure objects numbered
// failure_codes::kFileAccess whose description is the system's own reason.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True only for an existing regular file (not a folder, not a missing path).
  virtual bool IsFile(const std::string& path) = 0;
  // Opens `path` for appending; creates the file, and the folders above it, when missing.
  // Never truncates.
  virtual std::unique_ptr<AppendFile> OpenForAppend(const std::string& path) = 0;
  // Copies `source` to the new file `target` and makes the copy durable. Fails when `target`
  // already exists; after a failure no partial copy is left behind.
  virtual void CopyToNewFile(const std::string& source, const std::string& target) = 0;
  // Copies each source to its new target as one group: a target only ever appears whole, and
  // the targets appear in the order given, so whoever finds the last one finds the others
  // complete beside it. No existing file is ever replaced. Other failures throw, as for
  // CopyToNewFile; after a failure or any outcome but kCopied no copy and no partial file of
  // the group is left behind.
  // CopyToNewFilesAsGroup (NewFilesTransaction.h) writes this once over a platform's primitives.
  virtual NewFilesOutcome CopyToNewFiles(const std::vector<FileCopy>& copies) = 0;
};

}  // namespace brivanto::ports
