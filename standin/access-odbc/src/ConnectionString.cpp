#include "ConnectionString.h"

#include <algorithm>
#include <iterator>

namespace brivanto::standin {
namespace {

// Keywords of the Access driver and of ODBC itself; a ';' before one of them ends a value.
constexpr std::string_view kKnownKeywords[] = {"dbq",           "driver",
                                               "dsn",           "filedsn",
                                               "savefile",      "uid",
                                               "pwd",           "password",
                                               "defaultdir",    "driverid",
                                               "fil",           "exclusive",
                                               "readonly",      "systemdb",
                                               "maxbuffersize", "pagetimeout",
                                               "threads",       "extendedansisql",
                                               "maxscanrows",   "implicitcommitsync"};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Locale-independent on purpose: the driver runs inside the program, whatever its locale.
bool IsAsciiAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsKeywordChar(char c) {
  return IsAsciiAlnum(c) || c == '_';
}

size_t SkipBlanks(std::string_view text, size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) {
    ++pos;
  }
  return pos;
}

// Whether the text at pos reads "<known keyword> [blanks] =".
bool KnownAssignmentAt(std::string_view text, size_t pos) {
  const size_t keyword_end =
      std::find_if_not(text.begin() + pos, text.end(), IsKeywordChar) - text.begin();
  const std::string keyword = AsciiLower(text.substr(pos, keyword_end - pos));
  const size_t after = SkipBlanks(text, keyword_end);
  return after < text.size() && text[after] == '=' &&
         std::find(std::begin(kKnownKeywords), std::end(kKnownKeywords), keyword) !=
             std::end(kKnownKeywords);
}

size_t EndOfPlainValue(std::string_view text, size_t pos) {
  for (size_t semicolon = text.find(';', pos); semicolon != std::string_view::npos;
       semicolon = text.find(';', semicolon + 1)) {
    const size_t next = SkipBlanks(text, semicolon + 1);
    if (next == text.size() || KnownAssignmentAt(text, next)) {
      return semicolon;
    }
  }
  return text.size();
}

// Reads a {braced} value starting at the '{'; returns the position after the closing '}'.
std::optional<size_t> ReadBracedValue(std::string_view text, size_t pos, std::string& value) {
  for (size_t i = pos + 1; i < text.size(); ++i) {
    if (text[i] != '}') {
      value += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '}') {
      value += '}';
      ++i;
    } else {
      return i + 1;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ConnectionAttributes::Find(std::string_view keyword) const {
  const auto found = values_.find(AsciiLower(keyword));
  if (found == values_.end()) {
    return std::nullopt;
  }
  return found->second;
}

void ConnectionAttributes::Add(std::string_view keyword, std::string value) {
  values_.emplace(AsciiLower(keyword), std::move(value));
}

std::optional<ConnectionAttributes> ParseConnectionString(std::string_view text) {
  ConnectionAttributes attributes;
  size_t pos = 0;
  while (true) {
    while (pos < text.size() && (IsBlank(text[pos]) || text[pos] == ';')) {
      ++pos;
    }
    if (pos == text.size()) {
      return attributes;
    }
    const size_t equals = text.find('=', pos);
    const std::string_view keyword =
        TrimBlanks(text.substr(pos, equals == std::string_view::npos ? equals : equals - pos));
    if (equals == std::string_view::npos || keyword.empty()) {
      return std::nullopt;
    }
    std::string value;
    pos = equals + 1;
    if (pos < text.size() && text[pos] == '{') {
      const std::optional<size_t> after = ReadBracedValue(text, pos, value);
      if (!after) {
        return std::nullopt;
      }
      pos = SkipBlanks(text, *after);
      if (pos < text.size() && text[pos] != ';') {
        return std::nullopt;
      }
    } else {
      const size_t end = EndOfPlainValue(text, pos);
      value = text.substr(pos, end - pos);
      pos = end;
    }
    attributes.Add(keyword, std::move(value));
  }
}

std::string SqliteUriForExistingFile(std::string_view absolute_path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file:";
  for (const char c : absolute_path) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsAsciiAlnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 0x0F];
    }
  }
  return uri + "?mode=rw";
}

}  // namespace brivanto::standin
