#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "PngFile.h"

namespace brivanto::win32ui {

// The window as the screen shows it, title bar and frame included, so it must be on top and
// within the screen; nullopt when it cannot be taken.
std::optional<RgbPicture> CaptureWindow(HWND window);

// Saves the window's picture as a PNG file; false when it cannot be taken or written.
bool SaveWindowPicture(HWND window, const std::string& file);

}  // namespace brivanto::win32ui
