#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace brivanto::posix {

// Owns one open file descriptor. Close() reports what the destructor can only swallow.
class FileDescriptor {
 public:
  // Takes the result of open() and its kin as it is, -1 included.
  explicit FileDescriptor(int descriptor) noexcept : descriptor_(descriptor) {}
  FileDescriptor(FileDescriptor&& other) noexcept
      : descriptor_(std::exchange(other.descriptor_, -1)) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  FileDescriptor& operator=(FileDescriptor&&) = delete;
  ~FileDescriptor() {
    if (descriptor_ >= 0) {
      // Only reached on a failure path or for a file that was only read: nothing to report.
      static_cast<void>(::close(descriptor_));
    }
  }

  int Get() const noexcept { return descriptor_; }
  bool IsValid() const noexcept { return descriptor_ >= 0; }
  // 0, or the errno of close(). The descriptor is released either way.
  [[nodiscard]] int Close() noexcept {
    const int descriptor = std::exchange(descriptor_, -1);
    return ::close(descriptor) == 0 ? 0 : errno;
  }

 private:
  int descriptor_;
};

}  // namespace brivanto::posix
