// Files the repair creates next to the database, removed again unless they replace it.
#pragma once

#include <string>

namespace brivanto::standin {

// An open descriptor; Close() reports what the destructor can only swallow.
class FileDescriptor {
 public:
  // Takes ownership of the result of open(); throws std::system_error when it is -1.
  FileDescriptor(int descriptor, const char* what);
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor();

  int get() const { return descriptor_; }
  void Close();

 private:
  int descriptor_;
};

// An empty file with a unique name in the folder of `neighbour`, mode 0600.
class TempFile {
 public:
  explicit TempFile(const std::string& neighbour);
  TempFile(TempFile&& other) noexcept;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  TempFile& operator=(TempFile&&) = delete;
  ~TempFile();

  const std::string& path() const { return path_; }
  // Renames it over `target`; from then on there is nothing left to remove.
  void MoveOver(const std::string& target);

 private:
  std::string path_;
};

std::string FolderOf(const std::string& absolute_path);

// Makes a rename in that folder durable.
void SyncFolder(const std::string& folder);

}  // namespace brivanto::standin
