#include "maintenance/ResultLines.h"

#include "text/Text.h"

namespace brivanto::maintenance {
namespace {

void AppendTwoDigits(std::string& text, int value) {
  text += static_cast<char>('0' + value / 10 % 10);
  text += static_cast<char>('0' + value % 10);
}

}  // namespace

std::string TimeOfDay(const ports::LocalDateTime& time) {
  std::string text;
  AppendTwoDigits(text, time.hour);
  text += ':';
  AppendTwoDigits(text, time.minute);
  text += ':';
  AppendTwoDigits(text, time.second);
  return text;
}

std::string StartLine(const ports::LocalDateTime& time) {
  return "Start Query " + TimeOfDay(time);
}

std::string CountLine(std::int32_t recordCount) {
  return std::to_string(recordCount) + " records gevonden";
}

std::string AffectedLine(std::int32_t recordsAffected) {
  return "Aantal rijen bewerkt: " + std::to_string(recordsAffected);
}

std::string EndLine(const ports::LocalDateTime& time, std::uint32_t elapsedMilliseconds) {
  return "Einde Query " + TimeOfDay(time) + " (" + std::to_string(elapsedMilliseconds) +
         " milliseconden)";
}

std::string FailureLine(std::int32_t number, std::string_view description) {
  std::string line = std::to_string(number);
  line += ' ';
  line += description;
  return line;
}

void RowLine::AddValue(std::string_view value) {
  text_ += ' ';
  text_ += text::TrimSpaces(value);
}

}  // namespace brivanto::maintenance
