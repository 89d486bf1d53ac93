// What MDB Tools is given of the SQL an application sends for a Jet file.
#pragma once

#include <string>

namespace brivanto::standin {

// Whether the statement changes data or the schema: INSERT, UPDATE, DELETE, CREATE, DROP, ALTER,
// GRANT, REVOKE and SELECT ... INTO. Anything else goes to MDB Tools, which names its own limits.
bool WritesData(const std::string& sql);

// The statement as MDB Tools can read it: Jet takes a literal in double quotes as it takes one
// in single quotes, MDB Tools only the latter. A literal that holds a single quote stays as it
// is, as MDB Tools reads no escaped quote.
std::string ForMdbTools(const std::string& sql);

}  // namespace brivanto::standin
