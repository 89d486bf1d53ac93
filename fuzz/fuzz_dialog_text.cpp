// The file dialog's texts: a filter is "description NUL pattern NUL", and cutting a buffer at
// its first NUL gives the text before it and never a NUL.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "dialogs/ComDlg.h"

namespace {

using namespace brivanto;

void CheckTrimAtNull(const std::string& text) {
  const auto trimmed = ComDlg::TrimAtNull(text);
  FUZZ_CHECK(trimmed.find('\0') == std::string::npos);
  FUZZ_CHECK(std::string_view(text).starts_with(trimmed));
  FUZZ_CHECK(trimmed.size() == text.size() || text[trimmed.size()] == '\0');
  FUZZ_CHECK(ComDlg::TrimAtNull(trimmed) == trimmed);
}

void CheckFilter(const std::string& pattern, const std::string& description) {
  const auto filter = ComDlg::BuildFilter(pattern, description);
  FUZZ_CHECK(filter == description + '\0' + pattern + '\0');
  if ((description + pattern).find('\0') != std::string::npos) {
    return;
  }
  // As the dialog reads the list it gets, ended by one more NUL: one pair, then the end.
  const std::string list = filter + '\0';
  FUZZ_CHECK(ComDlg::TrimAtNull(list) == description);
  const auto rest = list.substr(description.size() + 1);
  FUZZ_CHECK(ComDlg::TrimAtNull(rest) == pattern);
  FUZZ_CHECK(rest.substr(pattern.size() + 1) == std::string(1, '\0'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto pattern = input.ConsumeRandomLengthString();
  const auto description = input.ConsumeRandomLengthString();
  const auto text = input.ConsumeRemainingBytesAsString();
  CheckTrimAtNull(text);
  CheckTrimAtNull(pattern);
  CheckFilter(pattern, description);
  return 0;
}
