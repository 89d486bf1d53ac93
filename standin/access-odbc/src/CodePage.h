// The Access driver is an ANSI driver (Jet's ANSI driver behaviour): it reads and writes text in
// the ANSI code page of Windows, which is Windows-1252 on a Dutch system. SQLite and the Linux file
// system speak UTF-8. The stand-in converts at its edge: what the application sends is read as
// Windows-1252 and what it gets back is written in it (BRIVANTO_STANDIN_CODE_PAGE=utf-8 turns this
// off).
#pragma once

#include <string>
#include <string_view>

#include "TestSwitches.h"

namespace brivanto::standin {

// Every byte has a character: the five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) stand for U+0081 and so on, as MultiByteToWideChar makes them, so any byte string
// survives the round trip.
std::string Windows1252ToUtf8(std::string_view text);
// A character Windows-1252 cannot carry, or a byte that is not valid UTF-8, becomes '?'.
std::string Utf8ToWindows1252(std::string_view text);

// Text from the application on its way to SQLite or the file system.
std::string FromApplication(std::string_view text);
// Text from SQLite or the stand-in on its way to the application.
std::string ToApplication(std::string_view utf8);
// How many characters the application sees in text it was given.
std::size_t CharacterCount(std::string_view application_text);

// As ToApplication and CharacterCount, in a code page chosen beforehand; `out` keeps its capacity
// from one value to the next.
void AssignForApplication(std::string& out, std::string_view utf8, CodePage page);
std::size_t CharacterCount(std::string_view application_text, CodePage page);

}  // namespace brivanto::standin
