#include "repair/RepairLog.h"

#include <algorithm>
#include <initializer_list>

#include "database/ConnectionText.h"

namespace brivanto::repair {
namespace {

// Appending piece by piece also keeps GCC 12's -Wrestrict false alarm on `"..." + string` away.
std::string Joined(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (const auto piece : pieces) {
    text += piece;
  }
  return text;
}

std::string ZeroPadded(int value, std::size_t width) {
  const auto digits = std::to_string(value);
  std::string padded(width > digits.size() ? width - digits.size() : 0, '0');
  return padded += digits;
}

std::string DateDigits(const ports::LocalDateTime& now) {
  return Joined({ZeroPadded(now.year, 4), ZeroPadded(now.month, 2), ZeroPadded(now.day, 2)});
}

std::string TimeDigits(const ports::LocalDateTime& now) {
  return Joined({ZeroPadded(now.hour, 2), ZeroPadded(now.minute, 2), ZeroPadded(now.second, 2)});
}

// Text from outside (a stored value, a driver's message) gets one line of its own: a CR or LF
// in it would otherwise end the line early and let the rest pass for lines of the block.
std::string OneLine(std::string_view text) {
  std::string line(text);
  std::replace_if(
      line.begin(), line.end(), [](char byte) { return byte == '\r' || byte == '\n'; }, ' ');
  return line;
}

std::size_t FileNameStart(std::string_view path) {
  const auto separator = path.find_last_of("/\\");
  return separator == std::string_view::npos ? 0 : separator + 1;
}

// FNV-1a: the same digest for the same name on every system and every run.
std::string NameDigest(std::string_view name) {
  std::uint32_t hash = 2166136261U;
  for (const auto byte : name) {
    hash = (hash ^ static_cast<unsigned char>(byte)) * 16777619U;
  }
  static constexpr std::string_view kHex = "0123456789abcdef";
  std::string digits(8, '0');
  for (auto position = digits.rbegin(); position != digits.rend(); ++position, hash >>= 4U) {
    *position = kHex[hash & 0xFU];
  }
  return digits;
}

// Cuts at most `length` bytes off the front without splitting a UTF-8 sequence; in a
// single-byte code page this at worst keeps a few characters fewer.
std::string_view LeadingBytes(std::string_view text, std::size_t length) {
  if (length >= text.size()) {
    return text;
  }
  while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0U) == 0x80U) {
    --length;
  }
  return text.substr(0, length);
}

std::string RepairedOpening(std::string_view backup) {
  if (backup.empty()) {
    return "De database is gerepareerd";
  }
  return Joined({"De database is gerepareerd (kopie: ", backup, ")"});
}

}  // namespace

std::string HeaderLine(const ports::LocalDateTime& now) {
  return Joined({"------------ ", DateDigits(now), " ------------"});
}

std::string LoggedOnCountLine(std::int32_t count) {
  if (count < 1) {
    return "Geen aangelogde gebruikers";
  }
  return Joined({"Aangelogde users ", std::to_string(count)});
}

std::string LoggedOnUserLine(const ports::FieldValue& value) {
  return Joined({"   ", OneLine(value.value_or(""))});
}

std::string ErrorLine(std::int32_t number, std::string_view description) {
  return Joined({"Error in repair (", std::to_string(number), ", ", OneLine(description), ")"});
}

std::string RepairAttributes(std::string_view databasePath) {
  using namespace std::string_view_literals;
  return Joined(
      {"REPAIR_DB=\"", databasePath, "\"\0PWD="sv, database::kDatabasePassword, "\0\0"sv});
}

std::string BackupPath(std::string_view databasePath, const ports::LocalDateTime& now, int number) {
  const auto counter = number > 1 ? Joined({"-", std::to_string(number)}) : std::string();
  return Joined({databasePath, ".", DateDigits(now), "-", TimeDigits(now), counter, ".bak"});
}

std::string ShortenedFilePath(std::string_view databasePath) {
  const auto start = FileNameStart(databasePath);
  const auto name = databasePath.substr(start);
  return Joined({databasePath.substr(0, start), LeadingBytes(name, kShortenedNameBytes), "~",
                 NameDigest(name)});
}

std::string FinishedMessage(std::string_view logPath) {
  return Joined({"Repareren afgerond. Logfile aangemaakt (", logPath, ")"});
}

std::string FailedMessage(std::string_view logPath) {
  return Joined({"Repareren mislukt. Zie logfile (", logPath, ")"});
}

std::string RepairedButLogIncompleteMessage(std::string_view logPath, std::string_view backup) {
  return Joined({RepairedOpening(backup), ", maar het verslag is niet compleet. Zie logfile (",
                 logPath, ")"});
}

std::string RepairedButLogNotWrittenMessage(std::string_view logPath, std::string_view backup,
                                            std::string_view reason) {
  return Joined({RepairedOpening(backup), ", maar de logfile kan niet worden geschreven (", logPath,
                 "): ", reason});
}

std::string LogNotOpenedMessage(std::string_view logPath, std::string_view reason) {
  return Joined(
      {"Repareren niet gestart. Logfile kan niet worden geopend (", logPath, "): ", reason});
}

std::string LogNotWrittenMessage(std::string_view logPath, std::string_view reason) {
  return Joined(
      {"Repareren mislukt. Logfile kan niet worden geschreven (", logPath, "): ", reason});
}

}  // namespace brivanto::repair
