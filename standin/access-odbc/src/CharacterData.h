// SQLGetData into SQL_C_CHAR. The stand-in reads the whole value from the SQLite driver,
// converts it for the application (code page, decimal separator) and hands it out in pieces
// itself, because conversion changes the length and the Access driver reports lengths its own
// way ("SQLGetData (Desktop Database Drivers)").
#pragma once

#include "Statements.h"

namespace brivanto::standin {

SQLRETURN GetCharacterData(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                           SQLPOINTER value, SQLLEN size, SQLLEN* indicator);

// After the driver fetched a row: writes each bound SQL_C_CHAR column's value as SQLGetData would
// hand it out in one piece, where `addressing` puts it, and keeps it for SQLGetData (in the
// binding's rowset_values when `in_rowset`). Sets `truncated` when a value did not fit.
SQLRETURN FillCharacterBindings(SQLHSTMT statement, StatementState& state,
                                const RowAddressing& addressing, bool in_rowset, bool& truncated);

SQLRETURN WarnTruncated(SQLHSTMT statement);

}  // namespace brivanto::standin
