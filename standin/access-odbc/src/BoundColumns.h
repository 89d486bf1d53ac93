// Result columns bound with SQLBindCol. The stand-in keeps the SQL_C_CHAR bindings itself and
// fills them after each fetch (CharacterData.h); every other binding is the driver's.
#pragma once

#include "Statements.h"

namespace brivanto::standin {

SQLRETURN BindColumn(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                     SQLSMALLINT type, SQLPOINTER value, SQLLEN size, SQLLEN* indicator);

// After SQLFreeStmt with SQL_UNBIND has reached the driver.
void ForgetBindings(StatementState& state);

// Before a fetch while the stand-in holds bindings: it fills them one row at a time, so a rowset
// of more rows (`rowset_attribute`: SQL_ATTR_ROW_ARRAY_SIZE, or SQL_ROWSET_SIZE for
// SQLExtendedFetch) is refused with HYC00 rather than left partly filled. Gives the bind offset
// (SQL_ATTR_ROW_BIND_OFFSET_PTR) the fetch is to use.
SQLRETURN PrepareFetchIntoBindings(SQLHSTMT statement, StatementState& state,
                                   SQLINTEGER rowset_attribute, SQLLEN& offset);

// After the driver fetched a row and returned `fetched`: fills the character bindings.
SQLRETURN FillAfterFetch(SQLHSTMT statement, StatementState& state, SQLRETURN fetched,
                         SQLLEN offset);

}  // namespace brivanto::standin
