#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <utility>

namespace brivanto::win32 {

// Owns one Win32 handle and gives it back with `Close` at the end of its life; move-only. Null
// and `kInvalid` (what the creating call returns on failure, -1 for INVALID_HANDLE_VALUE) both
// mean "holds nothing". The names follow the standard library's owners, so an owner reads the
// same whichever kind it holds.
template <typename Handle, auto Close, std::intptr_t kInvalid = 0>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset(other.release());
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return Holds(handle_); }
  friend bool operator==(const UniqueHandle& owner, std::nullptr_t) noexcept { return !owner; }

  // Hands the handle over without giving it back; the caller closes it (and can check how).
  Handle release() noexcept { return std::exchange(handle_, Empty()); }
  // Gives back what is held, then holds `handle`. Nothing useful can be done when giving a
  // handle back fails at the end of its owner's life, so that result is dropped here alone.
  void reset(Handle handle = Empty()) noexcept {
    const Handle previous = std::exchange(handle_, handle);
    if (Holds(previous)) {
      static_cast<void>(Close(previous));
    }
  }
  // For the out parameter of a call that opens a handle (RegOpenKeyExA …); gives back what was
  // held first.
  Handle* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  static Handle Empty() noexcept { return reinterpret_cast<Handle>(kInvalid); }
  static bool Holds(Handle handle) noexcept { return handle != nullptr && handle != Empty(); }

  Handle handle_ = Empty();
};

// A file, pipe or other kernel object of CreateFileA and its kind.
using UniqueFile = UniqueHandle<HANDLE, &::CloseHandle, -1>;
using UniqueRegistryKey = UniqueHandle<HKEY, &::RegCloseKey>;
// Memory of GlobalAlloc, until the clipboard takes it.
using UniqueGlobalMemory = UniqueHandle<HGLOBAL, &::GlobalFree>;
// Text the system allocated (FormatMessageA with FORMAT_MESSAGE_ALLOCATE_BUFFER).
using UniqueLocalText = UniqueHandle<char*, &::LocalFree>;

}  // namespace brivanto::win32
