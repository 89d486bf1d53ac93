#include "Windows1252.h"

#include <algorithm>
#include <array>

#include "ports/Failure.h"

namespace brivanto::odbc {
namespace {

// The characters of bytes 0x80 to 0x9F; the undefined ones keep their own number.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr unsigned kFirstHighControl = 0x80;
constexpr unsigned kFirstLatin1 = 0xA0;
constexpr unsigned kLastByte = 0xFF;

char32_t CharacterOf(unsigned char byte) {
  if (byte >= kFirstHighControl && byte < kFirstLatin1) {
    return kHighControls[byte - kFirstHighControl];
  }
  return byte;
}

std::optional<char> ByteOf(char32_t character) {
  if (character < kFirstHighControl || (character >= kFirstLatin1 && character <= kLastByte)) {
    return static_cast<char>(character);
  }
  const auto found = std::ranges::find(kHighControls, character);
  if (found == kHighControls.end()) {
    return std::nullopt;
  }
  return static_cast<char>(kFirstHighControl + (found - kHighControls.begin()));
}

void AppendUtf8(std::string& text, char32_t character) {
  constexpr unsigned kContinuation = 0x80;
  constexpr unsigned kSixBits = 0x3F;
  if (character < 0x80) {
    text += static_cast<char>(character);
  } else if (character < 0x800) {
    text += static_cast<char>(0xC0 | (character >> 6));
    text += static_cast<char>(kContinuation | (character & kSixBits));
  } else {
    text += static_cast<char>(0xE0 | (character >> 12));
    text += static_cast<char>(kContinuation | ((character >> 6) & kSixBits));
    text += static_cast<char>(kContinuation | (character & kSixBits));
  }
}

// The next character of `utf8` from `position`, which moves past it; nullopt for an invalid or
// overlong sequence or a surrogate.
std::optional<char32_t> NextCharacter(std::string_view utf8, std::size_t& position) {
  const auto lead = static_cast<unsigned char>(utf8[position++]);
  if (lead < 0x80) {
    return lead;
  }
  std::size_t length = 0;
  char32_t character = 0;
  if ((lead & 0xE0U) == 0xC0U) {
    length = 1;
    character = lead & 0x1FU;
  } else if ((lead & 0xF0U) == 0xE0U) {
    length = 2;
    character = lead & 0x0FU;
  } else if ((lead & 0xF8U) == 0xF0U) {
    length = 3;
    character = lead & 0x07U;
  } else {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < length; ++i) {
    if (position >= utf8.size() || (static_cast<unsigned char>(utf8[position]) & 0xC0U) != 0x80U) {
      return std::nullopt;
    }
    character = (character << 6) | (static_cast<unsigned char>(utf8[position++]) & 0x3FU);
  }
  constexpr std::array<char32_t, 4> kSmallestOfLength = {0, 0x80, 0x800, 0x10000};
  const bool surrogate = character >= 0xD800 && character <= 0xDFFF;
  if (character < kSmallestOfLength[length] || character > 0x10FFFF || surrogate) {
    return std::nullopt;
  }
  return character;
}

// `substitute` stands for what the code page cannot carry; without one such a text gives nullopt.
std::optional<std::string> FromUtf8(std::string_view utf8, std::optional<char> substitute) {
  std::string text;
  text.reserve(utf8.size());
  for (std::size_t position = 0; position < utf8.size();) {
    const auto character = NextCharacter(utf8, position);
    const auto byte = character ? ByteOf(*character) : std::nullopt;
    if (!byte && !substitute) {
      return std::nullopt;
    }
    text += byte.value_or(substitute.value_or('?'));
  }
  return text;
}

}  // namespace

std::optional<std::string> Windows1252::TryFromUtf8(std::string_view utf8) const {
  return FromUtf8(utf8, std::nullopt);
}

std::string Windows1252::ToUtf8(std::string_view text) const {
  std::string utf8;
  utf8.reserve(text.size());
  for (const char byte : text) {
    AppendUtf8(utf8, CharacterOf(static_cast<unsigned char>(byte)));
  }
  return utf8;
}

std::string Windows1252::ForDisplay(std::string_view utf8) const {
  return FromUtf8(utf8, '?').value_or(std::string());
}

Failure Windows1252::PathRefusal(std::string_view utf8Path) const {
  return Failure(failure_codes::kFileAccess,
                 "Het pad bevat tekens die het Access-stuurprogramma niet kan lezen: " +
                     std::string(utf8Path));
}

Failure Windows1252::TextRefusal(std::string_view utf8, std::int32_t failureNumber) const {
  return Failure(failureNumber,
                 "De tekst bevat tekens die het Access-stuurprogramma niet kan "
                 "lezen: " +
                     std::string(utf8));
}

}  // namespace brivanto::odbc
