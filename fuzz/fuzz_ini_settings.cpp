// The settings file: whatever is saved (any section, key or value bytes) reads back unchanged,
// any file content reads without harm and writes back to the same settings, and an
// application's name cannot move its file out of the settings folder.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "FuzzCheck.h"
#include "IniSettingsStore.h"

namespace {

using brivanto::posix::IniSettingsStore;

// As SaveSetting leaves them: every section holds at least one key.
IniSettingsStore::Sections ConsumeSections(FuzzedDataProvider& input) {
  IniSettingsStore::Sections sections;
  for (auto count = input.ConsumeIntegralInRange(0, 6); count > 0; --count) {
    auto& keys = sections[input.ConsumeRandomLengthString()];
    keys[input.ConsumeRandomLengthString()] = input.ConsumeRandomLengthString();
  }
  return sections;
}

void CheckFilePath(const std::string& application) {
  const std::filesystem::path base = "/settings";
  const auto file = IniSettingsStore(base).FilePath(application);
  FUZZ_CHECK(file.parent_path() == base / "Brivanto");
  FUZZ_CHECK(file.filename().string().ends_with(".ini"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto saved = ConsumeSections(input);
  FUZZ_CHECK(IniSettingsStore::Parse(IniSettingsStore::Serialise(saved)) == saved);
  CheckFilePath(input.ConsumeRandomLengthString());
  const auto read = IniSettingsStore::Parse(input.ConsumeRemainingBytesAsString());
  FUZZ_CHECK(IniSettingsStore::Parse(IniSettingsStore::Serialise(read)) == read);
  return 0;
}
