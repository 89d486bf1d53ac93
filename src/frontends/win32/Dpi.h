#pragma once

#include <windows.h>

namespace brivanto::win32ui {

// Twips are 1/1440 inch; at `dpi` dots per inch they become pixels, halves rounded away from 0.
int TwipsToPixels(int twips, UINT dpi);

// The dots per inch the window is drawn at: its monitor's with per-monitor awareness, else the
// system's.
UINT WindowDpi(HWND window);

// The outer size of a window whose client area is `client` pixels, at `dpi`.
SIZE OuterSize(SIZE client, DWORD style, DWORD extendedStyle, UINT dpi);

// The dialog font at `dpi`: "MS Shell Dlg 2", 8 points, which Windows maps to Tahoma. The layout
// table leaves room for the captions in its widths; the message font of newer systems (Segoe UI,
// 9 points) is wider.
HFONT CreateDialogFont(UINT dpi);

}  // namespace brivanto::win32ui
