#include "StandardFileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "FileDescriptor.h"
#include "ports/Failure.h"
#include "ports/NewFilesTransaction.h"

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
  // `file` is already locked; closing it releases the lock.
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

// Two repairs at once would otherwise interleave their blocks line by line. flock() rather than
// fcntl(): its lock belongs to this open file, so it also keeps apart two logs opened by one
// process, and it ends with the last descriptor of the file.
// The wait is bounded, so a repair that never ends elsewhere cannot freeze this one for good; a
// repair of a large database takes well under a minute.
void LockExclusively(std::FILE* file) {
  constexpr auto kLongestWait = std::chrono::seconds(60);
  constexpr auto kPollInterval = std::chrono::milliseconds(50);
  const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
  while (::flock(::fileno(file), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      ThrowSystemFailure(errno);
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      throw Failure(failure_codes::kFileAccess,
                    "het bestand is al langer dan een minuut in gebruik door een andere reparatie");
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

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
  LockExclusively(file.get());
  return std::make_unique<StandardAppendFile>(std::move(file));
}

namespace {

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

// A hidden name in the target's folder, so the rename stays within one file system. It starts
// with the target's name, cut short so that the temporary name is never the one too long.
std::string TemporaryPathFor(const std::string& target) {
  static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::minstd_rand generator(static_cast<unsigned>(::getpid()) ^
                                          std::random_device()());
  const auto path = std::filesystem::path(target);
  auto name = "." + path.filename().string().substr(0, 64) + ".partial-";
  for (int letter = 0; letter < 8; ++letter) {
    name += kLetters[generator() % kLetters.size()];
  }
  return (path.parent_path() / name).string();
}

// Creates a temporary beside `target` with the mode the system gives a new file of `mode`.
// Invalid, with errno set, when no fresh name could be created.
FileDescriptor CreateTemporary(const std::string& target, mode_t mode, std::string& created) {
  for (int tries = 1;; ++tries) {
    created = TemporaryPathFor(target);
    FileDescriptor to(::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (to.IsValid() || errno != EEXIST || tries == 100) {
      return to;
    }
  }
}

// Writes the whole copy under a temporary name and flushes it; returns that name.
std::optional<std::string> CopyToTemporary(const ports::FileCopy& copy,
                                           ports::UnfinishedFiles& unfinished) {
  const FileDescriptor from(::open(copy.source.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat status {};
  if (!from.IsValid() || ::fstat(from.Get(), &status) != 0) {
    ThrowSystemFailure(errno);
  }
  std::string temporary;
  auto to = CreateTemporary(copy.target, status.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO), temporary);
  if (!to.IsValid()) {
    ThrowSystemFailure(errno);
  }
  unfinished.Add(temporary);
  if (!CopyInKernel(from.Get(), to.Get())) {
    CopyThroughBuffer(from.Get(), to.Get());
  }
  if (::fsync(to.Get()) != 0) {
    ThrowSystemFailure(errno);
  }
  if (const int error = to.Close(); error != 0) {
    ThrowSystemFailure(error);
  }
  return temporary;
}

// The outcome for a name the system refused, or a thrown failure for any other reason.
ports::NewFilesOutcome NameRefused(int error) {
  if (error == EEXIST) {
    return ports::NewFilesOutcome::kNameTaken;
  }
  if (error == ENAMETOOLONG) {
    return ports::NewFilesOutcome::kNameTooLong;
  }
  ThrowSystemFailure(error);
}

ports::NewFilesOutcome CheckName(const std::string& target) {
  struct stat status {};
  if (::lstat(target.c_str(), &status) == 0) {
    return ports::NewFilesOutcome::kNameTaken;
  }
  return errno == ENOENT ? ports::NewFilesOutcome::kCopied : NameRefused(errno);
}

// Gives the finished copy its name, never replacing a file that took the name meanwhile.
ports::NewFilesOutcome PlaceWithoutReplacing(const std::string& temporary,
                                             const std::string& target) {
  if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return ports::NewFilesOutcome::kCopied;
  }
  // Some file systems cannot rename without replacing; a new link fails on a taken name too.
  if (errno != EINVAL && errno != ENOSYS) {
    return NameRefused(errno);
  }
  if (::link(temporary.c_str(), target.c_str()) != 0) {
    return NameRefused(errno);
  }
  // The temporary name is only a second name of the finished copy; if it stays, the folder
  // keeps a hidden duplicate and nothing is lost.
  static_cast<void>(::unlink(temporary.c_str()));
  return ports::NewFilesOutcome::kCopied;
}

void RemoveFile(const std::string& path) noexcept {
  static_cast<void>(::unlink(path.c_str()));
}

// The primitives of the copy to new names, through the system calls of Linux.
constexpr ports::NewFilePrimitives kLinuxNewFiles{CheckName, CopyToTemporary, PlaceWithoutReplacing,
                                                  RemoveFile, SyncFolderOf};

}  // namespace

ports::NewFilesOutcome StandardFileSystem::CopyToNewFiles(
    const std::vector<ports::FileCopy>& copies) {
  return ports::CopyToNewFilesAsGroup(kLinuxNewFiles, copies);
}

void StandardFileSystem::CopyToNewFile(const std::string& source, const std::string& target) {
  switch (CopyToNewFiles({{source, target}})) {
    case ports::NewFilesOutcome::kCopied:
      return;
    case ports::NewFilesOutcome::kNameTaken:
      ThrowSystemFailure(EEXIST);
    case ports::NewFilesOutcome::kNameTooLong:
      ThrowSystemFailure(ENAMETOOLONG);
  }
}

}  // namespace brivanto::posix
