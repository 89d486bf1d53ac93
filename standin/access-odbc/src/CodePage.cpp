#include "CodePage.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "TestSwitches.h"

namespace brivanto::standin {
namespace {

// Bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr unsigned char kFirstHighControl = 0x80;
constexpr char kUnmappable = '?';

char32_t CharacterOf(unsigned char byte) {
  const bool high_control = byte >= kFirstHighControl && byte < kFirstHighControl + 32;
  return high_control ? kHighControls[byte - kFirstHighControl] : char32_t{byte};
}

std::optional<unsigned char> ByteOf(char32_t character) {
  const bool latin1 = character < 0x80 || (character >= 0xA0 && character <= 0xFF);
  if (latin1) {
    return static_cast<unsigned char>(character);
  }
  const auto* found = std::find(kHighControls.begin(), kHighControls.end(), character);
  if (found == kHighControls.end()) {
    return std::nullopt;
  }
  return static_cast<unsigned char>(kFirstHighControl + (found - kHighControls.begin()));
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

struct Decoded {
  std::optional<char32_t> character;  // none for an invalid sequence
  std::size_t length = 1;
};

// One UTF-8 sequence at the start of text; an invalid one counts as one byte.
Decoded DecodeUtf8(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) {
    return {lead, 1};
  }
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || text.size() < length) {
    return {};
  }
  char32_t c = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) {
      return {};
    }
    c = (c << 6) | (next & 0x3F);
  }
  constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    return {};
  }
  return {c, length};
}

// ASCII reads the same in both, so runs of it are copied whole.
void AppendWindows1252(std::string& out, std::string_view text) {
  out.reserve(out.size() + text.size());
  while (!text.empty()) {
    const auto ascii = std::find_if(text.begin(), text.end(), [](char c) {
      return static_cast<unsigned char>(c) >= kFirstHighControl;
    });
    out.append(text.begin(), ascii);
    text.remove_prefix(static_cast<std::size_t>(ascii - text.begin()));
    if (text.empty()) {
      return;
    }
    const Decoded decoded = DecodeUtf8(text);
    const auto byte = decoded.character ? ByteOf(*decoded.character) : std::nullopt;
    out += byte ? static_cast<char>(*byte) : kUnmappable;
    text.remove_prefix(decoded.length);
  }
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char byte : text) {
    AppendUtf8(out, CharacterOf(static_cast<unsigned char>(byte)));
  }
  return out;
}

std::string Utf8ToWindows1252(std::string_view text) {
  std::string out;
  AppendWindows1252(out, text);
  return out;
}

std::string FromApplication(std::string_view text) {
  return CodePageSetting() == CodePage::kUtf8 ? std::string(text) : Windows1252ToUtf8(text);
}

std::string ToApplication(std::string_view utf8) {
  return CodePageSetting() == CodePage::kUtf8 ? std::string(utf8) : Utf8ToWindows1252(utf8);
}

// Branch-free over the whole text, so the compiler can test many bytes at a time.
bool IsAscii(std::string_view text) {
  unsigned char high_bits = 0;
  for (const char c : text) {
    high_bits |= static_cast<unsigned char>(c);
  }
  return high_bits < kFirstHighControl;
}

void AssignForApplication(std::string& out, std::string_view utf8, CodePage page) {
  if (page == CodePage::kUtf8 || IsAscii(utf8)) {
    out.assign(utf8);
    return;
  }
  out.clear();
  AppendWindows1252(out, utf8);
}

std::size_t CharacterCount(std::string_view application_text) {
  return CharacterCount(application_text, CodePageSetting());
}

std::size_t CharacterCount(std::string_view application_text, CodePage page) {
  if (page != CodePage::kUtf8) {
    return application_text.size();
  }
  std::size_t count = 0;
  while (!application_text.empty()) {
    application_text.remove_prefix(DecodeUtf8(application_text).length);
    ++count;
  }
  return count;
}

}  // namespace brivanto::standin
