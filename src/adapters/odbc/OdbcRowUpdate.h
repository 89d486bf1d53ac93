#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "OdbcApi.h"
#include "ports/Database.h"

namespace brivanto::odbc {

// Writes `value` into column `column` (from 0) of the result row that was read as `rowValues`,
// with a searched UPDATE on `connection` that finds the row by all of those values. Drivers
// without row keys (SQLite's) cannot update at the cursor position, and matching every value is
// the optimistic check by value. Identical duplicate rows therefore change together.
// Throws Failure numbered failure_codes::kResultNotUpdatable when the columns do not all come from
// one table, and failure_codes::kRowNotFound when no row holds those values any more.
void WriteFieldBack(SQLHDBC connection, SQLHSTMT result, std::size_t column,
                    const std::vector<ports::FieldValue>& rowValues, const std::string& value);

}  // namespace brivanto::odbc
