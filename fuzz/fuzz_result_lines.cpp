// The console's lines: numbers read back as they were given, a failure's description stays
// verbatim, and a row line is one blank before every field, each field trimmed of spaces only.
#include <fuzzer/FuzzedDataProvider.h>

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "maintenance/ResultLines.h"

namespace {

using namespace brivanto;

template <typename Number>
bool ReadsBackAs(std::string_view text, Number expected) {
  Number number{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size() && number == expected;
}

bool IsTimeOfDay(std::string_view text, const ports::LocalDateTime& time) {
  return text.size() == 8 && text[2] == ':' && text[5] == ':' &&
         ReadsBackAs(text.substr(0, 2), time.hour) && ReadsBackAs(text.substr(3, 2), time.minute) &&
         ReadsBackAs(text.substr(6, 2), time.second);
}

ports::LocalDateTime ConsumeTime(FuzzedDataProvider& input) {
  ports::LocalDateTime time;
  time.hour = input.ConsumeIntegralInRange(0, 23);
  time.minute = input.ConsumeIntegralInRange(0, 59);
  time.second = input.ConsumeIntegralInRange(0, 59);
  return time;
}

void CheckTimedLines(FuzzedDataProvider& input) {
  const auto time = ConsumeTime(input);
  FUZZ_CHECK(IsTimeOfDay(maintenance::TimeOfDay(time), time));
  const auto start = maintenance::StartLine(time);
  FUZZ_CHECK(start.starts_with("Start Query ") && IsTimeOfDay(start.substr(12), time));
  const auto startTick = input.ConsumeIntegral<std::uint32_t>();
  const auto elapsed = input.ConsumeIntegral<std::uint32_t>();
  FUZZ_CHECK(maintenance::ElapsedMilliseconds(startTick, startTick + elapsed) == elapsed);
  const std::string end = maintenance::EndLine(time, elapsed);
  FUZZ_CHECK(end.starts_with("Einde Query ") && IsTimeOfDay(end.substr(12, 8), time));
  FUZZ_CHECK(end.substr(20, 2) == " (" && end.ends_with(" milliseconden)"));
  FUZZ_CHECK(ReadsBackAs(std::string_view(end).substr(22, end.size() - 22 - 15), elapsed));
}

void CheckCountedLines(FuzzedDataProvider& input) {
  const auto count = input.ConsumeIntegral<std::int32_t>();
  const auto found = maintenance::CountLine(count);
  FUZZ_CHECK(found.ends_with(" records gevonden"));
  FUZZ_CHECK(ReadsBackAs(std::string_view(found).substr(0, found.size() - 17), count));
  const auto affected = maintenance::AffectedLine(count);
  FUZZ_CHECK(affected.starts_with("Aantal rijen bewerkt: "));
  FUZZ_CHECK(ReadsBackAs(std::string_view(affected).substr(22), count));
}

void CheckFailureLine(FuzzedDataProvider& input) {
  const auto number = input.ConsumeIntegral<std::int32_t>();
  const auto description = input.ConsumeRandomLengthString();
  const auto line = maintenance::FailureLine(number, description);
  const auto blank = line.find(' ');
  FUZZ_CHECK(blank != std::string::npos && ReadsBackAs(line.substr(0, blank), number));
  FUZZ_CHECK(line.substr(blank + 1) == description);
}

// The field as the row line must show it: a value with its outer spaces cut, or NULL.
std::string Field(FuzzedDataProvider& input, maintenance::RowLine& row) {
  if (input.ConsumeBool()) {
    row.AddNull();
    return "NULL";
  }
  const auto value = input.ConsumeRandomLengthString();
  row.AddValue(value);
  const auto first = value.find_first_not_of(' ');
  return first == std::string::npos ? ""
                                    : value.substr(first, value.find_last_not_of(' ') - first + 1);
}

void CheckRowLine(FuzzedDataProvider& input, maintenance::RowLine& row) {
  row.Begin();
  FUZZ_CHECK(row.Text().empty());
  std::string expected;
  for (auto fields = input.ConsumeIntegralInRange(1, 8); fields > 0; --fields) {
    const auto field = Field(input, row);
    FUZZ_CHECK(field.empty() || (field.front() != ' ' && field.back() != ' '));
    expected += ' ' + field;
    FUZZ_CHECK(row.Text() == expected);
  }
  FUZZ_CHECK(row.Text().starts_with(' '));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  // One row line reused for every row, as the console does.
  maintenance::RowLine row;
  while (input.remaining_bytes() > 0) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
      case 0:
        CheckTimedLines(input);
        break;
      case 1:
        CheckCountedLines(input);
        break;
      case 2:
        CheckFailureLine(input);
        break;
      default:
        CheckRowLine(input, row);
        break;
    }
  }
  return 0;
}
