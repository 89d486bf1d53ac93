#pragma once

#include <windows.h>

#include <string>

namespace brivanto::win32ui {

// A control's text, in the core's UTF-8.
std::string GetText(HWND window);
// Shows a UTF-8 text; a character the ANSI code page cannot show appears as '?'.
void SetDisplayText(HWND window, const std::string& text);
// Puts a UTF-8 path in a box it is read back from, so it must arrive exactly: a path the ANSI code
// page cannot carry throws Failure.
void SetPathText(HWND window, const std::string& path);

}  // namespace brivanto::win32ui
