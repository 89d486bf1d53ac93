// The attribute list of a repair request (SQLConfigDataSource with REPAIR_DB), as the Access
// driver's setup library reads it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brivanto::standin {

// The entries of an attribute list: NUL-separated, ending with an empty one. None for null.
std::vector<std::string> AttributeEntries(const char* attributes);

struct RepairRequest {
  // The first REPAIR_DB value, without the double quotes around it; it may be empty.
  std::optional<std::string> database;
  // The keyword as written (or the whole entry, when it has no '=') of the first entry that is
  // not REPAIR_DB, PWD, UID or DSN with a value; a request with one is refused.
  std::optional<std::string> unsupported;
};

// Keywords are matched without case and without blanks around them; values are taken verbatim.
// PWD and UID are accepted because the program always sends them; a DSN is ignored beside
// REPAIR_DB as the Access driver ignores it beside COMPACT_DB and CREATE_DB.
RepairRequest ReadRepairRequest(const std::vector<std::string>& entries);

}  // namespace brivanto::standin
