// A backup's name is the database path with a stamp, and a shortened name still fits the file
// system with everything a backup adds to it, stays in the same folder and splits no character.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "repair/RepairLog.h"

namespace {

using namespace brivanto;

constexpr std::size_t kMaxFileNameBytes = 255;
constexpr int kLastBackupNumber = 999;

std::string Digits(int value, std::size_t width) {
  auto digits = std::to_string(value);
  return std::string(width - digits.size(), '0') + digits;
}

ports::LocalDateTime ConsumeTime(FuzzedDataProvider& input) {
  ports::LocalDateTime now;
  now.year = input.ConsumeIntegralInRange(1, 9999);
  now.month = input.ConsumeIntegralInRange(1, 12);
  now.day = input.ConsumeIntegralInRange(1, 31);
  now.hour = input.ConsumeIntegralInRange(0, 23);
  now.minute = input.ConsumeIntegralInRange(0, 59);
  now.second = input.ConsumeIntegralInRange(0, 59);
  return now;
}

std::size_t NameStart(std::string_view path) {
  const auto separator = path.find_last_of("/\\");
  return separator == std::string_view::npos ? 0 : separator + 1;
}

bool IsContinuationByte(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0U) == 0x80U;
}

void CheckBackupPath(const std::string& path, const ports::LocalDateTime& now, int number) {
  const auto stamp = Digits(now.year, 4) + Digits(now.month, 2) + Digits(now.day, 2) + "-" +
                     Digits(now.hour, 2) + Digits(now.minute, 2) + Digits(now.second, 2);
  const auto counter = number > 1 ? "-" + std::to_string(number) : std::string();
  FUZZ_CHECK(repair::BackupPath(path, now, number) == path + "." + stamp + counter + ".bak");
}

void CheckShortened(const std::string& path, const ports::LocalDateTime& now) {
  const auto shortened = repair::ShortenedFilePath(path);
  const auto start = NameStart(path);
  const std::string_view name = std::string_view(path).substr(start);
  FUZZ_CHECK(shortened.compare(0, start, path, 0, start) == 0);
  FUZZ_CHECK(NameStart(shortened) == start);
  const std::string_view newName = std::string_view(shortened).substr(start);
  const auto tilde = newName.rfind('~');
  FUZZ_CHECK(tilde != std::string_view::npos && newName.size() - tilde == 9);
  FUZZ_CHECK(newName.find_first_not_of("0123456789abcdef", tilde + 1) == std::string_view::npos);
  const auto kept = newName.substr(0, tilde);
  FUZZ_CHECK(kept.size() <= repair::kShortenedNameBytes && name.starts_with(kept));
  FUZZ_CHECK(kept.size() == name.size() || kept.empty() || !IsContinuationByte(name[kept.size()]));
  FUZZ_CHECK(name.size() > repair::kShortenedNameBytes || kept == name);
  // The same name in another folder gets the same digest.
  FUZZ_CHECK(repair::ShortenedFilePath("x/" + std::string(name)).substr(2) == newName);
  const auto journal = repair::BackupPath(shortened, now, kLastBackupNumber) + "-journal";
  FUZZ_CHECK(journal.size() - start <= kMaxFileNameBytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto now = ConsumeTime(input);
  const auto number = input.ConsumeIntegralInRange(1, kLastBackupNumber);
  const auto path = input.ConsumeRemainingBytesAsString();
  CheckBackupPath(path, now, number);
  CheckShortened(path, now);
  return 0;
}
