#include "TempFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>
#include <vector>

namespace brivanto::standin {
namespace {

[[noreturn]] void ThrowErrno(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

FileDescriptor CheckedDescriptor(int descriptor, const char* what) {
  if (descriptor < 0) {
    ThrowErrno(what);
  }
  return FileDescriptor(descriptor);
}

void CloseOrThrow(FileDescriptor& descriptor) {
  if (const int error = descriptor.Close(); error != 0) {
    throw std::system_error(error, std::generic_category(), "close");
  }
}

std::string FolderOf(const std::string& absolute_path) {
  const size_t slash = absolute_path.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : absolute_path.substr(0, slash);
}

TempFile::TempFile(const std::string& neighbour) {
  std::string pattern = FolderOf(neighbour) + "/.brivanto-repair-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  FileDescriptor file = CheckedDescriptor(::mkstemp(name.data()), "mkstemp");
  path_ = name.data();
  CloseOrThrow(file);
}

TempFile::TempFile(TempFile&& other) noexcept : path_(std::move(other.path_)) {
  other.path_.clear();
}

TempFile::~TempFile() {
  if (path_.empty()) {
    return;
  }
  // Cleanup after a failure that is already being reported; SQLite normally removes its
  // journal itself, so a missing one is the usual case.
  ::unlink((path_ + "-journal").c_str());
  ::unlink(path_.c_str());
}

void TempFile::MoveOver(const std::string& target) {
  if (std::rename(path_.c_str(), target.c_str()) != 0) {
    ThrowErrno("rename");
  }
  path_.clear();
}

void SyncFolder(const std::string& folder) {
  FileDescriptor directory =
      CheckedDescriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), "open folder");
  if (::fsync(directory.Get()) != 0) {
    ThrowErrno("fsync folder");
  }
}

}  // namespace brivanto::standin
