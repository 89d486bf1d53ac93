// The console sends a statement with its double quotes made single and nothing else changed,
// and reads it as a query exactly when "select" stands in it in any case.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "maintenance/Statement.h"
#include "text/Text.h"

namespace {

bool HoldsSelect(std::string_view query) {
  constexpr std::string_view kWord = "select";
  for (std::size_t start = 0; start + kWord.size() <= query.size(); ++start) {
    std::size_t matched = 0;
    while (matched < kWord.size() &&
           brivanto::text::ToLowerAscii(query[start + matched]) == kWord[matched]) {
      ++matched;
    }
    if (matched == kWord.size()) {
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brivanto::maintenance;
  const std::string query(reinterpret_cast<const char*>(data), size);
  const auto statement = StatementText(query);
  FUZZ_CHECK(statement.size() == query.size());
  FUZZ_CHECK(statement.find('"') == std::string::npos);
  for (std::size_t i = 0; i < query.size(); ++i) {
    FUZZ_CHECK(statement[i] == (query[i] == '"' ? '\'' : query[i]));
  }
  FUZZ_CHECK(StatementText(statement) == statement);
  FUZZ_CHECK(ReturnsRows(query) == HoldsSelect(query));
  FUZZ_CHECK(ReturnsRows(statement) == ReturnsRows(query));
  FUZZ_CHECK(ReturnsRows(query + "SeLeCT") && ReturnsRows("sElect" + query));
  return 0;
}
