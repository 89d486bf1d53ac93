#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "OdbcApi.h"
#include "ports/Database.h"

namespace brivanto::odbc {

// The row of a result to write back: the column to change (from 0), every value as it was read,
// and the key the caller identifies the row by.
struct RowToUpdate {
  std::size_t column;
  std::vector<ports::FieldValue> values;
  const ports::RowKey& key;
};

// Writes `value` into the row's column with a searched UPDATE on `connection` that finds the
// row by its key and its other comparable values. Drivers without row keys (SQLite's) cannot
// update at the cursor position, and matching by value is the optimistic check. A driver may not
// name the result's base table or columns; the key's table and the result's column names stand
// in for them then. Long texts (Memo), binary and floating-point values are never compared: the
// Access driver cannot search a Memo, and a float's text need not read back equal. When leaving
// them out makes several rows alike, none is written, so only the row that was read can change;
// rows alike in every value change together.
// Throws Failure numbered failure_codes::kResultNotUpdatable when the columns do not all come from
// the key's table or the row cannot be singled out, and failure_codes::kRowNotFound when no row
// holds those values any more.
void WriteFieldBack(SQLHDBC connection, SQLHSTMT result, const RowToUpdate& row,
                    const std::string& value);

}  // namespace brivanto::odbc
