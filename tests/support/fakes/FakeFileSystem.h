#pragma once

// Files as texts in memory; held to the real file systems in tests/contracts.

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ports/Failure.h"
#include "ports/FileSystem.h"

namespace brivanto::testing {

// Files are texts in `files`, by path. Appended lines land there at once; `writableLines` limits
// how many more lines can be appended before every write fails with `writeFailure`. Names longer
// than `maxNameLength` are refused as too long.
class FakeFileSystem : public ports::FileSystem {
 public:
  bool IsFile(const std::string& path) override { return files.count(path) != 0 || allFilesExist; }
  std::unique_ptr<ports::AppendFile> OpenForAppend(const std::string& path) override {
    if (openFailure) {
      throw *openFailure;
    }
    ++openAppendFiles;
    return std::make_unique<FakeAppendFile>(*this, files[path]);
  }
  void CopyToNewFile(const std::string& source, const std::string& target) override {
    copies.emplace_back(source, target);
    if (onCopy) {
      onCopy();
    }
    if (copyFailure) {
      throw *copyFailure;
    }
    if (files.count(target) != 0) {
      throw Failure(failure_codes::kFileAccess, "File exists");
    }
    RequireSource(source);
    files[target] = files[source];
  }
  // Checks every name before copying anything, like the real one, and copies in order.
  ports::NewFilesOutcome CopyToNewFiles(const std::vector<ports::FileCopy>& group) override {
    if (onCopy) {
      onCopy();
    }
    if (copyFailure) {
      throw *copyFailure;
    }
    for (const auto& copy : group) {
      if (copy.target.size() - copy.target.find_last_of("/\\") - 1 > maxNameLength) {
        return ports::NewFilesOutcome::kNameTooLong;
      }
      if (files.count(copy.target) != 0) {
        return ports::NewFilesOutcome::kNameTaken;
      }
    }
    // Like the real one, a missing source fails the group before any copy appears.
    for (const auto& copy : group) {
      RequireSource(copy.source);
    }
    for (const auto& copy : group) {
      copies.emplace_back(copy.source, copy.target);
      files[copy.target] = files.at(copy.source);
    }
    return ports::NewFilesOutcome::kCopied;
  }

  std::map<std::string, std::string> files;
  bool allFilesExist = false;
  std::optional<Failure> openFailure;
  std::optional<std::size_t> writableLines;
  Failure writeFailure{failure_codes::kFileAccess, "No space left on device"};
  int openAppendFiles = 0;
  std::optional<Failure> copyFailure;
  std::vector<std::pair<std::string, std::string>> copies;  // source and target, when done
  std::size_t maxNameLength = 255;  // bytes of a file name, as on the usual file systems
  std::function<void()> onCopy;

 private:
  void RequireSource(const std::string& source) const {
    if (files.count(source) == 0) {
      throw Failure(failure_codes::kFileAccess, "No such file or directory");
    }
  }
  class FakeAppendFile : public ports::AppendFile {
   public:
    FakeAppendFile(FakeFileSystem& owner, std::string& content)
        : owner_(owner), content_(content) {}
    ~FakeAppendFile() override { --owner_.openAppendFiles; }
    FakeAppendFile(const FakeAppendFile&) = delete;
    FakeAppendFile& operator=(const FakeAppendFile&) = delete;
    void WriteLine(std::string_view line) override {
      if (owner_.writableLines) {
        if (*owner_.writableLines == 0) {
          throw owner_.writeFailure;
        }
        --*owner_.writableLines;
      }
      content_.append(line).append("\r\n");
    }

   private:
    FakeFileSystem& owner_;
    std::string& content_;
  };
};

}  // namespace brivanto::testing
