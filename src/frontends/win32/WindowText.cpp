#include "WindowText.h"

#include "AnsiText.h"
#include "ports/Failure.h"

namespace brivanto::win32ui {
namespace {

void SetAnsiText(HWND window, const std::string& ansi) {
  if (!::SetWindowTextA(window, ansi.c_str())) {
    throw Failure(failure_codes::kInternalError, "De tekst kan niet worden getoond (systeemfout " +
                                                     std::to_string(::GetLastError()) + ")");
  }
}

}  // namespace

std::string GetText(HWND window) {
  const int length = ::GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextA(window, text.data(), length + 1)));
  return win32::FromAnsi(text);
}

void SetDisplayText(HWND window, const std::string& text) {
  SetAnsiText(window, win32::ToAnsiForDisplay(text));
}

void SetPathText(HWND window, const std::string& path) {
  SetAnsiText(window, win32::PathToAnsi(path));
}

}  // namespace brivanto::win32ui
