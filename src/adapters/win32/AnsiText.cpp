#include "AnsiText.h"

#include <windows.h>

#include <algorithm>

#include "ports/Failure.h"

namespace brivanto::win32 {
namespace {

// The conversion functions take int lengths; longer texts are no texts this tool handles.
int Length(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) {
    throw Failure(failure_codes::kInternalError, "De tekst is te lang voor Windows");
  }
  return static_cast<int>(size);
}

// UTF-16 from text in `codePage`; nullopt for bytes that are invalid in it (only when `strict`).
std::optional<std::wstring> Widen(std::string_view text, UINT codePage, bool strict) {
  if (text.empty()) {
    return std::wstring();
  }
  const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
  const int size =
      MultiByteToWideChar(codePage, flags, text.data(), Length(text.size()), nullptr, 0);
  if (size <= 0) {
    return std::nullopt;
  }
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), Length(text.size()), wide.data(), size);
  return wide;
}

// Text in `codePage` from UTF-16. When `strict`, nullopt if a character has no exact form in it.
std::optional<std::string> Narrow(std::wstring_view wide, UINT codePage, bool strict) {
  if (wide.empty()) {
    return std::string();
  }
  // UTF-8 (also as the ANSI code page of a system set to "use UTF-8") carries every character,
  // and refuses both flags below.
  const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultFlag = utf8 || !strict ? nullptr : &usedDefault;
  const int size = WideCharToMultiByte(codePage, flags, wide.data(), Length(wide.size()), nullptr,
                                       0, nullptr, usedDefaultFlag);
  if (size <= 0 || usedDefault) {
    return std::nullopt;
  }
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), Length(wide.size()), text.data(), size, nullptr,
                      usedDefaultFlag);
  if (usedDefault) {
    return std::nullopt;
  }
  return text;
}

}  // namespace

std::optional<std::string> TryToAnsi(std::string_view utf8) {
  const auto wide = Widen(utf8, CP_UTF8, true);
  if (!wide) {
    return std::nullopt;
  }
  return Narrow(*wide, CP_ACP, true);
}

std::string PathToAnsi(std::string_view utf8Path) {
  if (auto ansi = TryToAnsi(utf8Path)) {
    return std::move(*ansi);
  }
  throw Failure(
      failure_codes::kFileAccess,
      "Het pad bevat tekens die Windows hier niet kan doorgeven: " + std::string(utf8Path));
}

std::string TextToAnsi(std::string_view utf8, std::int32_t failureNumber) {
  if (auto ansi = TryToAnsi(utf8)) {
    return std::move(*ansi);
  }
  throw Failure(failureNumber,
                "De tekst bevat tekens die Windows hier niet kan doorgeven: " + std::string(utf8));
}

std::string ToAnsiForDisplay(std::string_view utf8) {
  return Narrow(ToWide(utf8), CP_ACP, false).value_or(std::string());
}

namespace {

// Every ANSI code page, the double-byte ones included, gives the bytes below 0x80 their ASCII
// characters: such a text is its own UTF-8. That spares the two conversions, four calls in all,
// for nearly every value the console lists.
bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string FromAnsi(std::string_view ansi) {
  if (IsAscii(ansi)) {
    return std::string(ansi);
  }
  const auto wide = Widen(ansi, CP_ACP, false);
  return wide ? FromWide(*wide) : std::string();
}

std::wstring ToWide(std::string_view utf8) {
  return Widen(utf8, CP_UTF8, false).value_or(std::wstring());
}

std::string FromWide(std::wstring_view wide) {
  return Narrow(wide, CP_UTF8, false).value_or(std::string());
}

}  // namespace brivanto::win32
