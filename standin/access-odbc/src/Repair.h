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

// Rebuilds the whole file into a fresh copy beside it, checks the copy, and swaps it in with a
// rename, so a crash at any moment leaves either the old or the new file. Needs the file to
// itself: any other connection holding a lock makes it fail. A connection that was merely
// open (idle) keeps seeing the old file afterwards, so callers close theirs first.
// Throws RepairError and leaves the file as it was when anything goes wrong.
void RepairDatabase(const std::string& path);

}  // namespace brivanto::standin
