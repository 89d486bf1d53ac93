// SQLGetData into SQL_C_CHAR. The stand-in reads the whole value from the SQLite driver,
// converts it for the application (code page, decimal separator) and hands it out in pieces
// itself, because conversion changes the length and the Access driver reports lengths its own
// way ("SQLGetData (Desktop Database Drivers)").
#pragma once

#include "Statements.h"

namespace brivanto::standin {

SQLRETURN GetCharacterData(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                           SQLPOINTER value, SQLLEN size, SQLLEN* indicator);

}  // namespace brivanto::standin
