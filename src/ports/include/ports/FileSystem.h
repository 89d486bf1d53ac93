#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace brivanto::ports {

// A text file opened for appending. Destroying the object closes the file.
class AppendFile {
 public:
  virtual ~AppendFile() = default;
  // Appends `line` and CR LF in one write and hands it to the system before returning.
  // Throws Failure (failure_codes::kFileAccess, the system's reason) when it cannot.
  virtual void WriteLine(std::string_view line) = 0;
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
};

}  // namespace brivanto::ports
