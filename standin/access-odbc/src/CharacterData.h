// SQLGetData into SQL_C_CHAR. The stand-in reads the whole value from the SQLite driver,
// converts it for the application (code page, decimal separator) and hands it out in pieces
// itself, because conversion changes the length and the Access driver reports lengths its own
// way ("SQLGetData (Desktop Database Drivers)").
#pragma once

#include "Statements.h"

namespace brivanto::standin {

SQLRETURN GetCharacterData(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                           SQLPOINTER value, SQLLEN size, SQLLEN* indicator);

// After a fetch of one row: writes each bound SQL_C_CHAR column's value as SQLGetData would hand
// it out in one piece, `offset` bytes past the bound addresses (SQL_ATTR_ROW_BIND_OFFSET_PTR).
// SQL_SUCCESS_WITH_INFO with 01004 when a value did not fit.
SQLRETURN FillCharacterBindings(SQLHSTMT statement, StatementState& state, SQLLEN offset);

}  // namespace brivanto::standin
