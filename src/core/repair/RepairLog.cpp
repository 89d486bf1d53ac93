#include "repair/RepairLog.h"

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
  return Joined({"   ", value.value_or("")});
}

std::string ErrorLine(std::int32_t number, std::string_view description) {
  return Joined({"Error in repair (", std::to_string(number), ", ", description, ")"});
}

std::string RepairAttributes(std::string_view databasePath) {
  using namespace std::string_view_literals;
  return Joined(
      {"REPAIR_DB=\"", databasePath, "\"\0PWD="sv, database::kDatabasePassword, "\0\0"sv});
}

std::string BackupPath(std::string_view databasePath, const ports::LocalDateTime& now) {
  return Joined({databasePath, ".", DateDigits(now), "-", TimeDigits(now), ".bak"});
}

std::string FinishedMessage(std::string_view logPath) {
  return Joined({"Repareren afgerond. Logfile aangemaakt (", logPath, ")"});
}

std::string FailedMessage(std::string_view logPath) {
  return Joined({"Repareren mislukt. Zie logfile (", logPath, ")"});
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
