// The connection text must hand the driver exactly the path the user chose, whatever bytes it
// holds, and the password beside it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ConnectionString.h"
#include "FuzzCheck.h"
#include "database/ConnectionText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path(reinterpret_cast<const char*>(data), size);
  const auto text = brivanto::database::ConnectionText(path);
  const auto attributes = brivanto::standin::ParseConnectionString(text);
  FUZZ_CHECK(attributes.has_value());
  FUZZ_CHECK(attributes->Find("dbq") == path);
  FUZZ_CHECK(attributes->Find("pwd") == std::string(brivanto::database::kDatabasePassword));
  FUZZ_CHECK(attributes->Find("driver") == "Microsoft Access Driver (*.mdb)");
  FUZZ_CHECK(attributes->All().size() == 3);
  return 0;
}
