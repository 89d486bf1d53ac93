#include "Dpi.h"

#include "layout/Layout.h"

namespace brivanto::win32ui {
namespace {

// The per-monitor calls exist from Windows 10 1607 on; looked up at run time so the program
// still starts on older systems, where the system's dots per inch apply to every window.
using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using AdjustForDpiCall = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

template <typename Call>
Call User32Function(const char* name) {
  const HMODULE user32 = ::GetModuleHandleA("user32.dll");
  return user32 == nullptr
             ? nullptr
             : reinterpret_cast<Call>(reinterpret_cast<void (*)()>(::GetProcAddress(user32, name)));
}

UINT SystemDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = screen == nullptr ? 0 : ::GetDeviceCaps(screen, LOGPIXELSY);
  if (screen != nullptr) {
    ::ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

int TwipsToPixels(int twips, UINT dpi) {
  return ::MulDiv(twips, static_cast<int>(dpi), layout::kTwipsPerInch);
}

UINT WindowDpi(HWND window) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowCall>("GetDpiForWindow");
  const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

SIZE OuterSize(SIZE client, DWORD style, DWORD extendedStyle, UINT dpi) {
  static const auto adjustForDpi = User32Function<AdjustForDpiCall>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, client.cx, client.cy};
  const BOOL adjusted = adjustForDpi != nullptr
                            ? adjustForDpi(&rect, style, FALSE, extendedStyle, dpi)
                            : ::AdjustWindowRectEx(&rect, style, FALSE, extendedStyle);
  if (!adjusted) {
    // Without the frame's measures the window is at worst a few pixels too small.
    return client;
  }
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

HFONT CreateDialogFont(UINT dpi) {
  constexpr int kPoints = 8;
  constexpr int kPointsPerInch = 72;
  LOGFONTA font{};
  // Negative: the characters' height, without the leading above them.
  font.lfHeight = -::MulDiv(kPoints, static_cast<int>(dpi), kPointsPerInch);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  ::lstrcpynA(font.lfFaceName, "MS Shell Dlg 2", LF_FACESIZE);
  return ::CreateFontIndirectA(&font);
}

}  // namespace brivanto::win32ui
