#include "IniSettingsStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#include "ports/Failure.h"

namespace brivanto::posix {
namespace {

constexpr const char* kVendorFolder = "Brivanto";

// Names and values may hold any byte. The few that carry meaning in the file are written as
// %XX, so that every text reads back exactly as it was saved.
bool MustEscape(char character, bool isName) {
  switch (character) {
    case '%':
    case '\r':
    case '\n':
      return true;
    case '=':
    case '[':
    case ']':
    case '/':
    case '\\':
      return isName;
    default:
      return false;
  }
}

std::string Escape(const std::string& text, bool isName) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char character : text) {
    if (MustEscape(character, isName)) {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(character));
      escaped += code;
    } else {
      escaped += character;
    }
  }
  return escaped;
}

int HexDigit(char digit) {
  if (digit >= '0' && digit <= '9') {
    return digit - '0';
  }
  if (digit >= 'A' && digit <= 'F') {
    return digit - 'A' + 10;
  }
  return digit >= 'a' && digit <= 'f' ? digit - 'a' + 10 : -1;
}

std::string Unescape(const std::string& text) {
  std::string plain;
  plain.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      plain += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      plain += text[i];
    }
  }
  return plain;
}

Failure SaveFailure(const std::filesystem::path& file, const std::string& reason) {
  return Failure(failure_codes::kFileAccess,
                 "Instelling kan niet worden opgeslagen in " + file.string() + ": " + reason);
}

}  // namespace

std::filesystem::path IniSettingsStore::DefaultBaseFolder() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (configHome != nullptr && std::filesystem::path(configHome).is_absolute()) {
    return configHome;
  }
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : ".") / ".config";
}

IniSettingsStore::IniSettingsStore(std::filesystem::path baseFolder)
    : baseFolder_(std::move(baseFolder)) {}

std::filesystem::path IniSettingsStore::FilePath(const std::string& application) const {
  return baseFolder_ / kVendorFolder / (Escape(application, true) + ".ini");
}

std::string IniSettingsStore::GetSetting(const std::string& application, const std::string& section,
                                         const std::string& key, const std::string& defaultValue) {
  const auto sections = Read(FilePath(application));
  const auto foundSection = sections.find(section);
  if (foundSection == sections.end()) {
    return defaultValue;
  }
  const auto foundKey = foundSection->second.find(key);
  return foundKey == foundSection->second.end() ? defaultValue : foundKey->second;
}

void IniSettingsStore::SaveSetting(const std::string& application, const std::string& section,
                                   const std::string& key, const std::string& value) {
  const auto file = FilePath(application);
  auto sections = Read(file);
  sections[section][key] = value;
  Write(file, sections);
}

IniSettingsStore::Sections IniSettingsStore::Parse(std::string_view content) {
  Sections sections;
  std::string section;
  while (!content.empty()) {
    const auto end = content.find('\n');
    std::string line(content.substr(0, end));
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      section = Unescape(line.substr(1, line.size() - 2));
      continue;
    }
    const auto equals = line.find('=');
    // Lines that are no key=value pair (comments, damage) are skipped, not fatal.
    if (equals != std::string::npos) {
      sections[section][Unescape(line.substr(0, equals))] = Unescape(line.substr(equals + 1));
    }
  }
  return sections;
}

std::string IniSettingsStore::Serialise(const Sections& sections) {
  std::string content;
  for (const auto& [section, keys] : sections) {
    content.append(1, '[').append(Escape(section, true)).append("]\n");
    for (const auto& [key, value] : keys) {
      content.append(Escape(key, true)).append(1, '=').append(Escape(value, false)).append(1, '\n');
    }
  }
  return content;
}

IniSettingsStore::Sections IniSettingsStore::Read(const std::filesystem::path& file) {
  std::ifstream input(file, std::ios::binary);
  std::ostringstream content;
  content << input.rdbuf();
  return Parse(content.str());
}

void IniSettingsStore::Write(const std::filesystem::path& file, const Sections& sections) {
  const auto content = Serialise(sections);
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  if (error) {
    throw SaveFailure(file, error.message());
  }
  auto temporary = file;
  temporary += ".new";
  {
    std::ofstream output(temporary, std::ios::binary | std::ios::trunc);
    output << content;
    output.close();
    if (!output) {
      const std::string reason = std::strerror(errno);
      std::filesystem::remove(temporary, error);  // a stray .new file is harmless
      throw SaveFailure(file, reason);
    }
  }
  std::filesystem::rename(temporary, file, error);
  if (error) {
    throw SaveFailure(file, error.message());
  }
}

}  // namespace brivanto::posix
