// The record handed to the file dialog: every buffer as long as the size it announces, the
// initial name at the start of a NUL-padded file buffer, the filter list closed by a second NUL
// and the caller's fields passed unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "dialogs/ComDlg.h"

namespace {

using namespace brivanto;

bool AllNul(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == '\0'; });
}

ComDlg::FileDialogArguments ConsumeArguments(FuzzedDataProvider& input) {
  ComDlg::FileDialogArguments arguments;
  arguments.flagsIn = input.ConsumeIntegral<std::uint32_t>();
  arguments.initialFolder = input.ConsumeBool()
                                ? std::nullopt
                                : std::optional<std::string>(input.ConsumeRandomLengthString());
  const auto description = input.ConsumeRandomLengthString();
  arguments.filter = ComDlg::BuildFilter(input.ConsumeRandomLengthString(), description);
  arguments.filterIndex = input.ConsumeIntegral<std::uint32_t>();
  arguments.defaultExtension = input.ConsumeRandomLengthString();
  arguments.title = input.ConsumeRandomLengthString();
  arguments.owner = input.ConsumeIntegral<std::intptr_t>();
  arguments.open = input.ConsumeBool();
  return arguments;
}

void CheckBuffers(const ports::OpenFileNameRecord& record, const std::string& initialFileName) {
  FUZZ_CHECK(record.lpstrFile.size() == record.nMaxFile);
  FUZZ_CHECK(record.nMaxFile == ComDlg::kDialogBufferLength);
  const auto kept = std::min<std::size_t>(initialFileName.size(), record.nMaxFile);
  FUZZ_CHECK(record.lpstrFile.compare(0, kept, initialFileName, 0, kept) == 0);
  FUZZ_CHECK(AllNul(record.lpstrFile.substr(kept)));
  FUZZ_CHECK(record.lpstrCustomFilter.size() == record.nMaxCustFilter &&
             AllNul(record.lpstrCustomFilter));
  FUZZ_CHECK(record.lpstrFileTitle.size() == record.nMaxFileTitle && AllNul(record.lpstrFileTitle));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto arguments = ConsumeArguments(input);
  const auto initialFileName = input.ConsumeRemainingBytesAsString();
  const auto record = ComDlg::BuildFileDialogRecord(initialFileName, arguments);
  CheckBuffers(record, initialFileName);
  FUZZ_CHECK(record.lStructSize == 76);
  FUZZ_CHECK(record.lpstrFilter == arguments.filter + '\0');
  FUZZ_CHECK(record.lpstrFilter.ends_with(std::string(2, '\0')));
  FUZZ_CHECK(record.hwndOwner == arguments.owner && record.Flags == arguments.flagsIn);
  FUZZ_CHECK(record.nFilterIndex == arguments.filterIndex);
  FUZZ_CHECK(record.lpstrInitialDir == arguments.initialFolder);
  FUZZ_CHECK(record.lpstrTitle == arguments.title);
  FUZZ_CHECK(record.lpstrDefExt == arguments.defaultExtension);
  return 0;
}
