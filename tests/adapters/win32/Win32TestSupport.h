#pragma once

// What the tests of the Windows adapters share: scratch folders and keys, and a way to answer
// the system's modal windows from another thread.

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace brivanto::win32::testing {

// A name no other test run uses.
inline std::string UniqueName(const std::string& stem) {
  static int counter = 0;
  return stem + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
         std::to_string(++counter);
}

// A new empty folder under the temporary folder, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    char temporary[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temporary);
    path_ = std::string(temporary) + UniqueName("brivanto-w32-");
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() { RemoveTree(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") {
          continue;
        }
        const std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
        } else {
          SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(path.c_str());
        }
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
  }

 private:
  std::string path_;
};

// A registry key HKCU\Software\BrivantoTest\<unique> (or under another root), deleted with its
// subkeys.
class ScratchKey {
 public:
  explicit ScratchKey(HKEY root = HKEY_CURRENT_USER,
                      const std::string& parent = "Software\\BrivantoTest")
      : root_(root), path_(parent + "\\" + UniqueName("run-")) {}
  ~ScratchKey() {
    RegDeleteTreeA(root_, path_.c_str());
    RegDeleteKeyA(root_, path_.c_str());
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  const std::string& Path() const { return path_; }

  // Writes a value below the key (creating `subkey` as needed).
  void Set(const std::string& subkey, const std::string& name, DWORD type, const void* data,
           DWORD size) const {
    HKEY key = nullptr;
    const std::string path = subkey.empty() ? path_ : path_ + "\\" + subkey;
    RegCreateKeyExA(root_, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
  void SetText(const std::string& subkey, const std::string& name, const std::string& ansi) const {
    Set(subkey, name, REG_SZ, ansi.c_str(), static_cast<DWORD>(ansi.size() + 1));
  }

 private:
  HKEY root_;
  std::string path_;
};

// Waits up to `timeout` for a top-level dialog window (class #32770) titled `title`.
inline HWND WaitForDialog(const std::string& title,
                          std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    if (HWND dialog = FindWindowA("#32770", title.c_str())) {
      if (IsWindowVisible(dialog)) {
        return dialog;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return nullptr;
}

// Runs `answer` on the dialog titled `title` from another thread while the test's thread sits
// in the modal call; joins on destruction. found() tells whether the dialog ever appeared.
class DialogAnswerer {
 public:
  DialogAnswerer(std::string title, std::function<void(HWND)> answer)
      : thread_([this, title = std::move(title), answer = std::move(answer)] {
          if (HWND dialog = WaitForDialog(title)) {
            found_ = true;
            answer(dialog);
          }
        }) {}
  ~DialogAnswerer() { Join(); }
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  bool Found() {
    Join();
    return found_;
  }

 private:
  void Join() {
    if (thread_.joinable()) {
      thread_.join();
    }
  }
  bool found_ = false;
  std::thread thread_;
};

}  // namespace brivanto::win32::testing
