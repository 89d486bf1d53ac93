// SQL_C_CHAR input parameters: the application's bytes are Windows-1252; the SQLite driver gets
// them in UTF-8. The value is read, and converted, when the statement executes, as the driver
// reads it.
#pragma once

#include "Statements.h"

namespace brivanto::standin {

SQLRETURN BindParameter(SQLHSTMT statement, StatementState& state, SQLUSMALLINT number,
                        SQLSMALLINT direction, SQLSMALLINT c_type, SQLSMALLINT sql_type,
                        SQLULEN column_size, SQLSMALLINT digits, SQLPOINTER value, SQLLEN size,
                        SQLLEN* indicator);

// Right before the SQLite driver executes: binds the converted values in place of the
// application's. Only a single set of parameters is converted; arrays of them and values sent
// at execution time with SQLPutData reach the driver as the application bound them.
SQLRETURN ConvertParameters(SQLHSTMT statement, StatementState& state);

}  // namespace brivanto::standin
