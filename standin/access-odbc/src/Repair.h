// Repairing a SQLite database file in place, as the Access driver's REPAIR_DB does for Jet files.
#pragma once

#include <stdexcept>
#include <string>

namespace brivanto::standin {

// Carries a complete message for the user, naming the file.
class RepairError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Rebuilds the whole file into a fresh copy beside it, checks the copy, and writes it back into
// the file itself, so the file keeps its identity (inode, owner, mode, links, extended
// attributes) and connections left open on it see the repaired content. Holds the file
// exclusively from before the rebuild until the write-back commits, and a crash at any moment
// leaves either the old or the new content. Refuses a file this user may not write, and fails
// when any other connection holds a lock.
// Throws RepairError and leaves the file as it was when anything goes wrong.
void RepairDatabase(const std::string& path);

}  // namespace brivanto::standin
