#pragma once

#include <windows.h>

#include "UniqueHandle.h"

namespace brivanto::win32ui {

// The window's own kinds of handle, each with the call that gives it back.
using UniqueWindow = win32::UniqueHandle<HWND, &::DestroyWindow>;
using UniqueIcon = win32::UniqueHandle<HICON, &::DestroyIcon>;
using UniqueFont = win32::UniqueHandle<HFONT, &::DeleteObject>;
using UniqueBitmap = win32::UniqueHandle<HBITMAP, &::DeleteObject>;
using UniqueMemoryDc = win32::UniqueHandle<HDC, &::DeleteDC>;

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
