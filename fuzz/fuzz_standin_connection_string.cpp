// The stand-in's reading of a connection text: any text is read or refused without harm, and
// what it reads, written back with every value braced, reads back to the same attributes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ConnectionString.h"
#include "FuzzCheck.h"

namespace {

using namespace brivanto::standin;

std::string Braced(const ConnectionAttributes& attributes) {
  std::string text;
  for (const auto& [keyword, value] : attributes.All()) {
    text += keyword;
    text += "={";
    for (const char c : value) {
      text += c;
      if (c == '}') {
        text += '}';
      }
    }
    text += "};";
  }
  return text;
}

std::string UpperAscii(std::string text) {
  for (auto& c : text) {
    c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto attributes = ParseConnectionString(text);
  if (!attributes) {
    return 0;
  }
  for (const auto& [keyword, value] : attributes->All()) {
    FUZZ_CHECK(!keyword.empty() && keyword == AsciiLower(keyword));
    FUZZ_CHECK(attributes->Find(UpperAscii(keyword)) == value);
  }
  const auto again = ParseConnectionString(Braced(*attributes));
  FUZZ_CHECK(again.has_value());
  FUZZ_CHECK(again->All() == attributes->All());
  return 0;
}
