#include "DatabasePath.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

namespace brivanto::standin {
namespace {

struct FreeDeleter {
  void operator()(char* text) const { std::free(text); }
};

DatabasePath Failed(PathStatus status, int error_number = 0) {
  return DatabasePath{status, error_number, {}};
}

}  // namespace

DatabasePath InspectDatabasePath(const std::string& path) {
  if (path.empty()) {
    return Failed(PathStatus::kEmpty);
  }
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    const int error = errno;
    const bool missing = error == ENOENT || error == ENOTDIR;
    return Failed(missing ? PathStatus::kNotFound : PathStatus::kInaccessible, error);
  }
  if (!S_ISREG(info.st_mode)) {
    return Failed(PathStatus::kNotAFile);
  }
  if (info.st_size == 0) {
    return Failed(PathStatus::kEmptyFile);
  }
  const std::unique_ptr<char, FreeDeleter> resolved(::realpath(path.c_str(), nullptr));
  if (!resolved) {
    return Failed(PathStatus::kInaccessible, errno);
  }
  return DatabasePath{PathStatus::kUsable, 0, resolved.get()};
}

}  // namespace brivanto::standin
