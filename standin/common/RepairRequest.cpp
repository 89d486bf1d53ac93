#include "RepairRequest.h"

#include <cstring>
#include <string_view>

#include "AsciiText.h"

namespace brivanto::standin {
namespace {

std::string WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value.remove_prefix(1);
    value.remove_suffix(1);
  }
  return std::string(value);
}

bool IgnoredKeyword(const std::string& keyword) {
  return keyword == "pwd" || keyword == "uid" || keyword == "dsn";
}

}  // namespace

std::vector<std::string> AttributeEntries(const char* attributes) {
  std::vector<std::string> entries;
  for (const char* entry = attributes != nullptr ? attributes : ""; *entry != '\0';
       entry += std::strlen(entry) + 1) {
    entries.emplace_back(entry);
  }
  return entries;
}

RepairRequest ReadRepairRequest(const std::vector<std::string>& entries) {
  RepairRequest request;
  for (const std::string_view entry : entries) {
    const auto equals = entry.find('=');
    const std::string keyword = AsciiLower(TrimBlanks(entry.substr(0, equals)));
    if (equals != std::string_view::npos && keyword == "repair_db") {
      if (!request.database) {
        request.database = WithoutQuotes(entry.substr(equals + 1));
      }
    } else if (equals == std::string_view::npos || !IgnoredKeyword(keyword)) {
      request.unsupported = std::string(entry.substr(0, equals));
      return request;
    }
  }
  return request;
}

}  // namespace brivanto::standin
