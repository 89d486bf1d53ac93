#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brivanto::win32 {

// The one place where text crosses between the core, which speaks UTF-8, and the Windows
// "A" functions, which speak the ANSI code page (GetACP). Embedded NULs are kept, so NUL-separated
// lists convert as a whole. Every Windows adapter and the Windows frontend convert through here.

// UTF-8 to ANSI; nullopt when the text is not valid UTF-8 or the ANSI code page cannot carry
// one of its characters (no best-fit substitutes: "ł" never silently becomes "l").
std::optional<std::string> TryToAnsi(std::string_view utf8);

// UTF-8 to ANSI for a path. A path the code page cannot carry throws Failure numbered
// failure_codes::kFileAccess: "Het pad bevat tekens die Windows hier niet kan doorgeven: <path>".
std::string PathToAnsi(std::string_view utf8Path);

// UTF-8 to ANSI for a text that must arrive exactly (a statement, a stored value). A text the code
// page cannot carry throws Failure numbered `failureNumber`:
// "De tekst bevat tekens die Windows hier niet kan doorgeven: <text>".
std::string TextToAnsi(std::string_view utf8, std::int32_t failureNumber);

// UTF-8 to ANSI for what is only shown (captions, messages, the clipboard): a character the code
// page cannot carry becomes '?'.
std::string ToAnsiForDisplay(std::string_view utf8);

// ANSI to UTF-8. Never fails: every byte of the code page has a character.
std::string FromAnsi(std::string_view ansi);

// UTF-8 to UTF-16 and back, for the "W" functions; invalid UTF-8 becomes U+FFFD.
std::wstring ToWide(std::string_view utf8);
std::string FromWide(std::wstring_view wide);

}  // namespace brivanto::win32
