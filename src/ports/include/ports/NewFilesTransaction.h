#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ports/FileSystem.h"

namespace brivanto::ports {

class UnfinishedFiles;

// The few file operations of one platform that FileSystem::CopyToNewFiles is built from, with
// paths in the form FileSystem takes them. Failures other than the named outcomes throw Failure.
struct NewFilePrimitives {
  // kCopied when nothing has the name `target` and the file system can keep it.
  NewFilesOutcome (*checkName)(const std::string& target);
  // Creates a fresh hidden temporary in the target's folder and adds it to `created` before
  // writing to it, copies the whole source into it and flushes it to disk. Returns its path, or
  // nothing when the system refuses the temporary's name as too long.
  std::optional<std::string> (*copyToTemporary)(const FileCopy& copy, UnfinishedFiles& created);
  // Gives `temporary` the name `target`, never replacing a file that took the name meanwhile.
  NewFilesOutcome (*renameWithoutReplacing)(const std::string& temporary,
                                            const std::string& target);
  // Best effort: when it is called, the failure being reported already says what went wrong.
  void (*remove)(const std::string& path) noexcept;
  // Completes a copy once the whole group has its names: makes it visible or its name durable.
  void (*finish)(const std::string& target);
};

// Removes the files of an unfinished copy when it goes out of scope: its temporaries, and the
// targets already put in place, so a failure leaves neither half a copy nor a copy without its
// companions.
class UnfinishedFiles {
 public:
  explicit UnfinishedFiles(const NewFilePrimitives& files) : files_(files) {}
  ~UnfinishedFiles() {
    for (auto path = paths_.rbegin(); path != paths_.rend(); ++path) {
      files_.remove(*path);
    }
  }
  UnfinishedFiles(const UnfinishedFiles&) = delete;
  UnfinishedFiles& operator=(const UnfinishedFiles&) = delete;

  void Add(std::string path) { paths_.push_back(std::move(path)); }
  void Renamed(const std::string& from, const std::string& to) {
    std::replace(paths_.begin(), paths_.end(), from, to);
  }
  void KeepAll() { paths_.clear(); }

 private:
  const NewFilePrimitives& files_;
  std::vector<std::string> paths_;
};

// FileSystem::CopyToNewFiles over a platform's primitives. Every name is checked before
// anything is copied, so a taken or impossible name costs no copy of a large file; every copy
// is whole and flushed under its temporary name before the first one is renamed, and they are
// renamed in the order given.
inline NewFilesOutcome CopyToNewFilesAsGroup(const NewFilePrimitives& files,
                                             const std::vector<FileCopy>& copies) {
  for (const auto& copy : copies) {
    if (const auto outcome = files.checkName(copy.target); outcome != NewFilesOutcome::kCopied) {
      return outcome;
    }
  }
  UnfinishedFiles unfinished(files);
  std::vector<std::string> temporaries;
  for (const auto& copy : copies) {
    auto temporary = files.copyToTemporary(copy, unfinished);
    if (!temporary) {
      return NewFilesOutcome::kNameTooLong;
    }
    temporaries.push_back(std::move(*temporary));
  }
  for (std::size_t index = 0; index < copies.size(); ++index) {
    const auto placed = files.renameWithoutReplacing(temporaries[index], copies[index].target);
    if (placed != NewFilesOutcome::kCopied) {
      return placed;
    }
    unfinished.Renamed(temporaries[index], copies[index].target);
  }
  unfinished.KeepAll();
  for (const auto& copy : copies) {
    files.finish(copy.target);
  }
  return NewFilesOutcome::kCopied;
}

}  // namespace brivanto::ports
