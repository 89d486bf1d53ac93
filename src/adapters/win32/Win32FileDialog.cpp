#include "Win32FileDialog.h"

#include <windows.h>
// Needs <windows.h> first.
#include <commdlg.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "AnsiText.h"

namespace brivanto::win32 {
namespace {

#ifndef _WIN64
static_assert(sizeof(OPENFILENAME_NT4A) == 76 &&
                  offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76,
              "the record's 76-byte form");
#endif

// A buffer the dialog may write into: at least `capacity` bytes, starting with `ansi`.
std::vector<char> WritableBuffer(const std::string& ansi, std::uint32_t capacity) {
  std::vector<char> buffer(std::max<std::size_t>(capacity, 1), '\0');
  std::copy_n(ansi.begin(), std::min(ansi.size(), buffer.size() - 1), buffer.begin());
  return buffer;
}

// The ANSI content up to the first NUL, or up to the double NUL of a list.
std::string_view Content(const std::vector<char>& buffer, bool list) {
  const std::string_view text(buffer.data(), buffer.size());
  if (!list) {
    return text.substr(0, text.find('\0'));
  }
  const auto end = text.find(std::string_view("\0\0", 2));
  return end == std::string_view::npos ? text : text.substr(0, end + 1);
}

// The record's form of a buffer the dialog filled: UTF-8, NUL-padded to `capacity` (longer
// only when the UTF-8 form needs more room).
std::string Answered(const std::vector<char>& buffer, std::uint32_t capacity, bool list) {
  std::string text = FromAnsi(Content(buffer, list));
  text.resize(std::max<std::size_t>(text.size() + 1, capacity), '\0');
  return text;
}

// An offset into the ANSI path as an offset into its UTF-8 form.
std::uint16_t Utf8Offset(const std::vector<char>& buffer, WORD offset) {
  const std::string_view text(buffer.data(), std::min<std::size_t>(offset, buffer.size()));
  return static_cast<std::uint16_t>(FromAnsi(text).size());
}

}  // namespace

bool Win32FileDialog::GetOpenFileNameA(ports::OpenFileNameRecord& record) {
  return Run(record, true);
}

bool Win32FileDialog::GetSaveFileNameA(ports::OpenFileNameRecord& record) {
  return Run(record, false);
}

bool Win32FileDialog::Run(ports::OpenFileNameRecord& record, bool open) {
  const bool multiSelect = (record.Flags & OFN_ALLOWMULTISELECT) != 0;
  // The filter keeps its NULs; shown texts that cannot be carried show '?'.
  const std::string filter = ToAnsiForDisplay(record.lpstrFilter);
  auto customFilter = WritableBuffer(ToAnsiForDisplay(record.lpstrCustomFilter.substr(
                                         0, record.lpstrCustomFilter.find(std::string(2, '\0')))),
                                     record.nMaxCustFilter);
  auto file = WritableBuffer(
      TryToAnsi(record.lpstrFile.substr(0, record.lpstrFile.find('\0'))).value_or(std::string()),
      record.nMaxFile);
  auto fileTitle = WritableBuffer({}, record.nMaxFileTitle);
  std::optional<std::string> initialDir;
  if (record.lpstrInitialDir) {
    initialDir = TryToAnsi(*record.lpstrInitialDir);
  }
  const std::string title = ToAnsiForDisplay(record.lpstrTitle);
  const std::string defaultExtension = ToAnsiForDisplay(record.lpstrDefExt);
  std::optional<std::string> templateName;
  if (record.lpTemplateName) {
    templateName = ToAnsiForDisplay(*record.lpTemplateName);
  }

  // The full record, announced in its NT4 size: the system reads no field past lpTemplateName.
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof(OPENFILENAME_NT4A);
  dialog.hwndOwner = reinterpret_cast<HWND>(record.hwndOwner != 0 ? record.hwndOwner : owner_);
  dialog.hInstance = reinterpret_cast<HINSTANCE>(record.hInstance);
  dialog.lpstrFilter = record.lpstrFilter.empty() ? nullptr : filter.c_str();
  dialog.lpstrCustomFilter = record.nMaxCustFilter == 0 ? nullptr : customFilter.data();
  dialog.nMaxCustFilter = record.nMaxCustFilter == 0 ? 0 : static_cast<DWORD>(customFilter.size());
  dialog.nFilterIndex = record.nFilterIndex;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrFileTitle = record.nMaxFileTitle == 0 ? nullptr : fileTitle.data();
  dialog.nMaxFileTitle = record.nMaxFileTitle == 0 ? 0 : static_cast<DWORD>(fileTitle.size());
  dialog.lpstrInitialDir = initialDir ? initialDir->c_str() : nullptr;
  dialog.lpstrTitle = record.lpstrTitle.empty() ? nullptr : title.c_str();
  dialog.Flags = record.Flags;
  dialog.lpstrDefExt = record.lpstrDefExt.empty() ? nullptr : defaultExtension.c_str();
  dialog.lCustData = static_cast<LPARAM>(record.lCustData);
  dialog.lpfnHook = reinterpret_cast<LPOFNHOOKPROC>(record.lpfnHook);
  dialog.lpTemplateName = templateName ? templateName->c_str() : nullptr;

  const BOOL chosen = open ? ::GetOpenFileNameA(&dialog) : ::GetSaveFileNameA(&dialog);
  if (!chosen) {
    return false;
  }
  record.lpstrFile = Answered(file, record.nMaxFile, multiSelect);
  if (record.nMaxFileTitle != 0) {
    record.lpstrFileTitle = Answered(fileTitle, record.nMaxFileTitle, false);
  }
  if (record.nMaxCustFilter != 0) {
    record.lpstrCustomFilter = Answered(customFilter, record.nMaxCustFilter, true);
  }
  record.nFilterIndex = dialog.nFilterIndex;
  record.nFileOffset = Utf8Offset(file, dialog.nFileOffset);
  record.nFileExtension = Utf8Offset(file, dialog.nFileExtension);
  record.Flags = dialog.Flags;
  return true;
}

}  // namespace brivanto::win32
