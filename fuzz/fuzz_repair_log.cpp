// Every log line stays one line: an outside value can neither break it nor end it early, and
// each line keeps the shape a reader of the log relies on.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "repair/RepairLog.h"

namespace {

using namespace brivanto;

bool IsOneLine(std::string_view line) {
  return line.find_first_of("\r\n") == std::string_view::npos;
}

// The line's text is the original with only its line breaks turned into spaces.
bool KeepsAllButLineBreaks(std::string_view line, std::string_view original) {
  if (line.size() != original.size()) {
    return false;
  }
  for (std::size_t i = 0; i < line.size(); ++i) {
    const bool isBreak = original[i] == '\r' || original[i] == '\n';
    if (line[i] != (isBreak ? ' ' : original[i])) {
      return false;
    }
  }
  return true;
}

std::string Digits(int value, std::size_t width) {
  auto digits = std::to_string(value);
  return std::string(width - digits.size(), '0') + digits;
}

void CheckHeader(FuzzedDataProvider& input) {
  ports::LocalDateTime now;
  now.year = input.ConsumeIntegralInRange(1, 9999);
  now.month = input.ConsumeIntegralInRange(1, 12);
  now.day = input.ConsumeIntegralInRange(1, 31);
  const auto line = repair::HeaderLine(now);
  FUZZ_CHECK(line == "------------ " + Digits(now.year, 4) + Digits(now.month, 2) +
                         Digits(now.day, 2) + " ------------");
}

void CheckCount(FuzzedDataProvider& input) {
  const auto count = input.ConsumeIntegral<std::int32_t>();
  const auto line = repair::LoggedOnCountLine(count);
  FUZZ_CHECK(count < 1 ? line == "Geen aangelogde gebruikers"
                       : line == "Aangelogde users " + std::to_string(count));
}

void CheckUser(FuzzedDataProvider& input) {
  const bool isNull = input.ConsumeBool();
  const auto value = input.ConsumeRandomLengthString();
  const auto line =
      repair::LoggedOnUserLine(isNull ? ports::FieldValue() : ports::FieldValue(value));
  FUZZ_CHECK(IsOneLine(line));
  FUZZ_CHECK(line.starts_with("   "));
  FUZZ_CHECK(KeepsAllButLineBreaks(std::string_view(line).substr(3), isNull ? "" : value));
}

void CheckError(FuzzedDataProvider& input) {
  const auto number = input.ConsumeIntegral<std::int32_t>();
  const auto description = input.ConsumeRandomLengthString();
  const auto line = repair::ErrorLine(number, description);
  const auto opening = "Error in repair (" + std::to_string(number) + ", ";
  FUZZ_CHECK(IsOneLine(line));
  FUZZ_CHECK(line.starts_with(opening) && line.ends_with(')'));
  FUZZ_CHECK(KeepsAllButLineBreaks(
      std::string_view(line).substr(opening.size(), line.size() - opening.size() - 1),
      description));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  while (input.remaining_bytes() > 0) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
      case 0:
        CheckHeader(input);
        break;
      case 1:
        CheckCount(input);
        break;
      case 2:
        CheckUser(input);
        break;
      default:
        CheckError(input);
        break;
    }
  }
  FUZZ_CHECK(IsOneLine(repair::kClosingLine));
  return 0;
}
