// Whether a database path given by the program names a file the stand-in may open.
#pragma once

#include <string>

namespace brivanto::standin {

enum class PathStatus {
  kUsable,
  kEmpty,         // no path given at all
  kNotFound,      // nothing by that name, or a parent is not a folder
  kNotAFile,      // a folder, device, socket, ...
  kEmptyFile,     // zero bytes: SQLite would quietly turn it into a new database
  kInaccessible,  // exists, but cannot be examined (see error_number)
};

struct DatabasePath {
  PathStatus status = PathStatus::kEmpty;
  int error_number = 0;
  std::string canonical;  // absolute, symbolic links resolved; set when usable
};

// Only looks: never opens the file, because closing any descriptor of a SQLite database
// drops every POSIX lock this process holds on it.
DatabasePath InspectDatabasePath(const std::string& path);

}  // namespace brivanto::standin
