// The installer reads the repair request as NUL-ended entries up to an empty one; the path in
// REPAIR_DB="..." must come out as it went in.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "database/ConnectionText.h"
#include "repair/RepairLog.h"

namespace {

// As the installer walks the list: C strings one after another until an empty one.
std::vector<std::string_view> Entries(const std::string& attributes) {
  std::vector<std::string_view> entries;
  for (const char* entry = attributes.c_str(); *entry != '\0'; entry += std::strlen(entry) + 1) {
    entries.emplace_back(entry);
  }
  return entries;
}

std::string_view Unquoted(std::string_view value) {
  FUZZ_CHECK(value.size() >= 2 && value.front() == '"' && value.back() == '"');
  return value.substr(1, value.size() - 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace std::string_view_literals;
  const std::string path(reinterpret_cast<const char*>(data), size);
  const auto attributes = brivanto::repair::RepairAttributes(path);
  FUZZ_CHECK(attributes.ends_with("\0\0"sv));
  FUZZ_CHECK(attributes.starts_with("REPAIR_DB=\""sv));
  // A path from a text box or a file dialog is a C string: it never holds a NUL.
  if (path.find('\0') != std::string::npos) {
    return 0;
  }
  const auto entries = Entries(attributes);
  FUZZ_CHECK(entries.size() == 2);
  FUZZ_CHECK(entries[0].substr(0, entries[0].find('=')) == "REPAIR_DB");
  FUZZ_CHECK(Unquoted(entries[0].substr(entries[0].find('=') + 1)) == path);
  FUZZ_CHECK(entries[1] == "PWD=" + std::string(brivanto::database::kDatabasePassword));
  FUZZ_CHECK(entries[0].size() + entries[1].size() + 3 == attributes.size());
  return 0;
}
