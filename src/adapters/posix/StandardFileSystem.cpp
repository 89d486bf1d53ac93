#include "StandardFileSystem.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "FileDescriptor.h"
#include "ports/Failure.h"

#ifdef __linux__
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#endif

namespace brivanto::posix {
namespace {

[[noreturn]] void ThrowSystemFailure(int error) {
  throw Failure(failure_codes::kFileAccess, std::generic_category().message(error));
}

[[noreturn]] void ThrowSystemFailure(const std::error_code& error) {
  throw Failure(failure_codes::kFileAccess, error.message());
}

struct FileCloser {
  // Every line has already been handed to the system, so closing has nothing left to report.
  void operator()(std::FILE* file) const { static_cast<void>(std::fclose(file)); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

class StandardAppendFile : public ports::AppendFile {
 public:
  explicit StandardAppendFile(FileHandle file) : file_(std::move(file)) {}

  void WriteLine(std::string_view line) override {
    std::string whole(line);
    whole += "\r\n";
    errno = 0;
    if (std::fwrite(whole.data(), 1, whole.size(), file_.get()) != whole.size()) {
      ThrowSystemFailure(errno != 0 ? errno : EIO);
    }
  }

 private:
  FileHandle file_;
};

void CreateParentFolders(const std::string& path) {
  const auto parent = std::filesystem::path(path).parent_path();
  std::error_code error;
  if (!parent.empty() && !std::filesystem::exists(parent, error)) {
    std::filesystem::create_directories(parent, error);
  }
  if (error) {
    ThrowSystemFailure(error);
  }
}

}  // namespace

bool StandardFileSystem::IsFile(const std::string& path) {
  std::error_code error;
  // An unreadable or malformed path counts as no file.
  return std::filesystem::is_regular_file(std::filesystem::u8path(path), error) && !error;
}

std::unique_ptr<ports::AppendFile> StandardFileSystem::OpenForAppend(const std::string& path) {
  CreateParentFolders(path);
  // Binary, so the CR LF of each line reaches the file unchanged on every system.
  FileHandle file(std::fopen(path.c_str(), "ab"));
  if (!file) {
    ThrowSystemFailure(errno);
  }
  // Unbuffered: each line goes to the system in one write, so nothing waits in a buffer.
  if (std::setvbuf(file.get(), nullptr, _IONBF, 0) != 0) {
    ThrowSystemFailure(errno);
  }
  return std::make_unique<StandardAppendFile>(std::move(file));
}

#ifdef __linux__
namespace {

// Removes the new file unless the copy completes, so a failure leaves no half backup.
class RemoveUnlessKept {
 public:
  explicit RemoveUnlessKept(std::string path) : path_(std::move(path)) {}
  ~RemoveUnlessKept() {
    if (!kept_) {
      // Best effort: the failure being reported already says what went wrong.
      static_cast<void>(::unlink(path_.c_str()));
    }
  }
  RemoveUnlessKept(const RemoveUnlessKept&) = delete;
  RemoveUnlessKept& operator=(const RemoveUnlessKept&) = delete;
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  bool kept_ = false;
};

// Lets the kernel copy without passing the bytes through user space, and starts writing each
// chunk to disk while the next one is copied, so the final flush has little left to wait for.
// False when this file system cannot copy in the kernel and nothing has been copied yet.
bool CopyInKernel(int from, int to) {
  constexpr std::size_t kChunk = std::size_t{8} << 20;
  off_t copiedSoFar = 0;
  for (;;) {
    const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, kChunk, 0);
    if (copied > 0) {
      // Only a head start for the flush at the end, which reports any failure.
      static_cast<void>(::sync_file_range(to, copiedSoFar, copied, SYNC_FILE_RANGE_WRITE));
      copiedSoFar += copied;
    } else if (copied == 0) {
      // Some file systems report 0 instead of an error; a plain read tells the truth then.
      return copiedSoFar > 0;
    } else if (errno != EINTR) {
      if (copiedSoFar == 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP ||
                               errno == EINVAL || errno == EPERM)) {
        return false;
      }
      ThrowSystemFailure(errno);
    }
  }
}

void WriteAll(int to, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(to, data, size);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written < 0) {
      ThrowSystemFailure(errno);
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

void CopyThroughBuffer(int from, int to) {
  static constexpr std::size_t kBufferSize = std::size_t{1} << 20;
  auto buffer = std::make_unique<std::array<char, kBufferSize>>();
  for (;;) {
    const ssize_t got = ::read(from, buffer->data(), buffer->size());
    if (got == 0) {
      return;
    }
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      ThrowSystemFailure(errno);
    }
    WriteAll(to, buffer->data(), static_cast<std::size_t>(got));
  }
}

// The new name must reach the disk too, or a crash could lose the finished copy.
void SyncFolderOf(const std::string& path) {
  const auto folder = std::filesystem::path(path).parent_path();
  const FileDescriptor descriptor(
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Best effort: some file systems refuse to sync a folder, and the copy itself is durable.
  if (descriptor.IsValid()) {
    static_cast<void>(::fsync(descriptor.Get()));
  }
}

}  // namespace

void StandardFileSystem::CopyToNewFile(const std::string& source, const std::string& target) {
  const FileDescriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat status {};
  if (!from.IsValid() || ::fstat(from.Get(), &status) != 0) {
    ThrowSystemFailure(errno);
  }
  FileDescriptor to(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                           status.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO)));
  if (!to.IsValid()) {
    ThrowSystemFailure(errno);
  }
  RemoveUnlessKept partial(target);
  if (!CopyInKernel(from.Get(), to.Get())) {
    CopyThroughBuffer(from.Get(), to.Get());
  }
  if (::fsync(to.Get()) != 0) {
    ThrowSystemFailure(errno);
  }
  if (const int error = to.Close(); error != 0) {
    ThrowSystemFailure(error);
  }
  partial.Keep();
  SyncFolderOf(target);
}

#else

void StandardFileSystem::CopyToNewFile(const std::string& source, const std::string& target) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::exists(fs::path(target), error) || error) {
    ThrowSystemFailure(error ? error : std::make_error_code(std::errc::file_exists));
  }
  // The library gives no way to flush the copy to disk; the system writes it back in its own
  // time.
  if (fs::copy_file(fs::path(source), fs::path(target), fs::copy_options::none, error)) {
    return;
  }
  if (error != std::errc::file_exists) {
    std::error_code ignored;
    // Best effort: the copy's own failure is what gets reported.
    fs::remove(fs::path(target), ignored);
  }
  ThrowSystemFailure(error);
}

#endif

}  // namespace brivanto::posix
