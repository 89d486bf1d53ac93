#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace brivanto::win32ui {

// One owner per system handle: each kind names the call that gives it back.
template <typename Handle, auto Release>
struct HandleDeleter {
  void operator()(Handle handle) const noexcept {
    // Nothing useful can be done when giving a handle back fails, at the end of its owner's life.
    static_cast<void>(Release(handle));
  }
};

template <typename Handle, auto Release>
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<Handle>, HandleDeleter<Handle, Release>>;

using UniqueWindow = UniqueHandle<HWND, &::DestroyWindow>;
using UniqueIcon = UniqueHandle<HICON, &::DestroyIcon>;
using UniqueFont = UniqueHandle<HFONT, &::DeleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, &::DeleteObject>;
using UniqueMemoryDc = UniqueHandle<HDC, &::DeleteDC>;

// A device context that GetDC handed out for a window (null: the whole screen).
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) {
      ::ReleaseDC(window_, dc_);
    }
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context for one scope.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~Selection() { ::SelectObject(dc_, previous_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace brivanto::win32ui
