#include "Win32FileSystem.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "AnsiText.h"
#include "SystemError.h"
#include "UniqueHandle.h"
#include "ports/Failure.h"
#include "ports/NewFilesTransaction.h"

namespace brivanto::win32 {
namespace {

// The longest file name NTFS and FAT keep, in UTF-16 units.
constexpr std::size_t kLongestName = 255;

[[noreturn]] void ThrowLastError() {
  throw SystemFailure(GetLastError());
}

class Win32AppendFile final : public ports::AppendFile {
 public:
  // `file` is locked already; closing it releases the lock.
  explicit Win32AppendFile(UniqueFile file) : file_(std::move(file)) {}

  void WriteLine(std::string_view line) override {
    std::string whole(line);
    whole += "\r\n";
    DWORD written = 0;
    if (!WriteFile(file_.get(), whole.data(), static_cast<DWORD>(whole.size()), &written,
                   nullptr)) {
      ThrowLastError();
    }
    if (written != whole.size()) {
      throw SystemFailure(ERROR_DISK_FULL);
    }
    if (!FlushFileBuffers(file_.get())) {
      ThrowLastError();
    }
  }

 private:
  UniqueFile file_;
};

bool IsSeparator(char character) {
  return character == '\\' || character == '/';
}

// Creates the folders above `utf8Path` that are missing. The path is cut in UTF-8, where a
// backslash byte is always a backslash (in a double-byte code page it can be half a character).
void CreateParentFolders(const std::string& utf8Path) {
  const auto last = std::find_if(utf8Path.rbegin(), utf8Path.rend(), IsSeparator);
  if (last == utf8Path.rend()) {
    return;
  }
  const auto parentLength = static_cast<std::size_t>(utf8Path.rend() - last) - 1;
  const std::string parent = utf8Path.substr(0, parentLength);
  if (parent.empty() || GetFileAttributesA(PathToAnsi(parent).c_str()) != INVALID_FILE_ATTRIBUTES) {
    return;
  }
  // Each folder from the top down; the root (C:, \\server\share) is never created.
  for (std::size_t end = 0; end <= parent.size(); ++end) {
    if (end < parent.size() && !IsSeparator(parent[end])) {
      continue;
    }
    const std::string folder = parent.substr(0, end);
    if (folder.empty() || folder.back() == ':' || IsSeparator(folder.back())) {
      continue;
    }
    if (!CreateDirectoryA(PathToAnsi(folder).c_str(), nullptr)) {
      const DWORD error = GetLastError();
      // A folder that exists, or part of a share's name, is no failure; the final call says
      // what is really wrong.
      if (end == parent.size() && error != ERROR_ALREADY_EXISTS) {
        throw SystemFailure(error);
      }
    }
  }
}

// The name part of a UTF-8 path.
std::string_view NameOf(std::string_view path) {
  const auto separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::size_t Utf16Length(std::string_view utf8) {
  return ToWide(utf8).size();
}

// The outcome for a name the system refused, or a thrown failure for any other reason.
ports::NewFilesOutcome NameRefused(DWORD error, const std::string& utf8Target) {
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
    return ports::NewFilesOutcome::kNameTaken;
  }
  // A path past MAX_PATH, or a name past what the file system keeps.
  if (error == ERROR_FILENAME_EXCED_RANGE ||
      (error == ERROR_INVALID_NAME && Utf16Length(NameOf(utf8Target)) > kLongestName)) {
    return ports::NewFilesOutcome::kNameTooLong;
  }
  throw SystemFailure(error);
}

ports::NewFilesOutcome CheckName(const std::string& utf8Target) {
  if (Utf16Length(NameOf(utf8Target)) > kLongestName) {
    return ports::NewFilesOutcome::kNameTooLong;
  }
  if (GetFileAttributesA(PathToAnsi(utf8Target).c_str()) != INVALID_FILE_ATTRIBUTES) {
    return ports::NewFilesOutcome::kNameTaken;
  }
  const DWORD error = GetLastError();
  // A missing folder is reported by the copy itself, with the system's reason.
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
    return NameRefused(error, utf8Target);
  }
  return ports::NewFilesOutcome::kCopied;
}

// A hidden name in the target's folder, so the rename stays within one volume. It starts with
// the target's name, cut so that it is never longer than the target's own name (when that name
// has 18 characters or more), so the temporary is never the path that is too long.
std::string TemporaryPathFor(const std::string& utf8Target) {
  static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
  static constexpr std::string_view kMarker = ".partial-";
  static constexpr std::size_t kRandomLetters = 8;
  thread_local std::minstd_rand generator(GetCurrentProcessId() ^ GetTickCount() ^
                                          GetCurrentThreadId());
  const std::string_view name = NameOf(utf8Target);
  const std::size_t overhead = 1 + kMarker.size() + kRandomLetters;
  std::size_t keep = std::min<std::size_t>(name.size() > overhead ? name.size() - overhead : 0, 64);
  // Never cut a UTF-8 character in two.
  while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) {
    --keep;
  }
  std::string temporary = utf8Target.substr(0, utf8Target.size() - name.size());
  temporary += '.';
  temporary += name.substr(0, keep);
  temporary += kMarker;
  for (std::size_t letter = 0; letter < kRandomLetters; ++letter) {
    temporary += kLetters[generator() % kLetters.size()];
  }
  return temporary;
}

void CopyContent(HANDLE from, HANDLE to) {
  static constexpr DWORD kBufferSize = DWORD{1} << 20;
  std::vector<char> buffer(kBufferSize);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(from, buffer.data(), kBufferSize, &got, nullptr)) {
      ThrowLastError();
    }
    if (got == 0) {
      return;
    }
    DWORD written = 0;
    if (!WriteFile(to, buffer.data(), got, &written, nullptr)) {
      ThrowLastError();
    }
    if (written != got) {
      throw SystemFailure(ERROR_DISK_FULL);
    }
  }
}

// Writes the whole copy under a hidden temporary name and flushes it; returns that name, or
// nothing when the temporary's name is refused as too long.
std::optional<std::string> CopyToTemporary(const ports::FileCopy& copy,
                                           ports::UnfinishedFiles& unfinished) {
  // Others may keep the database open; the copy only reads.
  const UniqueFile from(CreateFileA(PathToAnsi(copy.source).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!from) {
    ThrowLastError();
  }
  for (int tries = 1;; ++tries) {
    std::string temporary = TemporaryPathFor(copy.target);
    UniqueFile to(CreateFileA(PathToAnsi(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!to) {
      const DWORD error = GetLastError();
      if ((error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) && tries < 100) {
        continue;
      }
      if (error == ERROR_FILENAME_EXCED_RANGE) {
        return std::nullopt;
      }
      throw SystemFailure(error);
    }
    unfinished.Add(temporary);
    CopyContent(from.get(), to.get());
    if (!FlushFileBuffers(to.get())) {
      ThrowLastError();
    }
    if (!CloseHandle(to.release())) {
      ThrowLastError();
    }
    return temporary;
  }
}

// Gives the finished copy its name, never replacing a file that took the name meanwhile, and
// makes it visible. MOVEFILE_WRITE_THROUGH returns only once the new name is on disk.
ports::NewFilesOutcome PlaceWithoutReplacing(const std::string& temporary,
                                             const std::string& utf8Target) {
  if (!MoveFileExA(PathToAnsi(temporary).c_str(), PathToAnsi(utf8Target).c_str(),
                   MOVEFILE_WRITE_THROUGH)) {
    return NameRefused(GetLastError(), utf8Target);
  }
  return ports::NewFilesOutcome::kCopied;
}

void RemoveFile(const std::string& utf8Path) noexcept {
  // Each path was converted once already, when its file was made; only memory can fail here.
  try {
    if (const auto ansi = TryToAnsi(utf8Path)) {
      static_cast<void>(DeleteFileA(ansi->c_str()));
    }
  } catch (...) {
    // Out of memory while a failure is being reported: the file stays, hidden.
  }
}

// Only now visible: a crash before this leaves a whole copy, merely hidden.
void MakeVisible(const std::string& utf8Path) {
  // A copy that stays hidden is still whole under its name; nothing to report.
  static_cast<void>(SetFileAttributesA(PathToAnsi(utf8Path).c_str(), FILE_ATTRIBUTE_NORMAL));
}

// The primitives of the copy to new names, through the "A" functions. Their paths are UTF-8 and
// cross in the ANSI code page at each call.
constexpr ports::NewFilePrimitives kWin32NewFiles{CheckName, CopyToTemporary, PlaceWithoutReplacing,
                                                  RemoveFile, MakeVisible};

}  // namespace

bool Win32FileSystem::IsFile(const std::string& path) {
  // A path the code page cannot carry names no file this program can open.
  const auto ansi = TryToAnsi(path);
  if (!ansi || ansi->empty() || ansi->find('\0') != std::string::npos) {
    return false;
  }
  const DWORD attributes = GetFileAttributesA(ansi->c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::unique_ptr<ports::AppendFile> Win32FileSystem::OpenForAppend(const std::string& path) {
  const std::string ansi = PathToAnsi(path);
  CreateParentFolders(path);
  // Append-only access: every write lands at the end, whoever else appends. Reading access as
  // well, which the lock requires. Others may open the file too; their lock waits for ours.
  UniqueFile file(CreateFileA(ansi.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    ThrowLastError();
  }
  // Two repairs at once would otherwise interleave their blocks line by line. The lock belongs
  // to this handle, so it also keeps apart two logs opened by one process, and waits as long as
  // another holds it.
  OVERLAPPED whole{};
  if (!LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    ThrowLastError();
  }
  return std::make_unique<Win32AppendFile>(std::move(file));
}

ports::NewFilesOutcome Win32FileSystem::CopyToNewFiles(const std::vector<ports::FileCopy>& copies) {
  return ports::CopyToNewFilesAsGroup(kWin32NewFiles, copies);
}

void Win32FileSystem::CopyToNewFile(const std::string& source, const std::string& target) {
  switch (CopyToNewFiles({{source, target}})) {
    case ports::NewFilesOutcome::kCopied:
      return;
    case ports::NewFilesOutcome::kNameTaken:
      throw SystemFailure(ERROR_FILE_EXISTS);
    case ports::NewFilesOutcome::kNameTooLong:
      throw SystemFailure(ERROR_FILENAME_EXCED_RANGE);
  }
}

}  // namespace brivanto::win32
