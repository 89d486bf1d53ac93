// Result columns bound with SQLBindCol. The stand-in keeps the SQL_C_CHAR bindings itself and
// fills them after each fetch (CharacterData.h); every other binding is the driver's.
#pragma once

#include <functional>
#include <optional>

#include "Statements.h"

namespace brivanto::standin {

SQLRETURN BindColumn(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                     SQLSMALLINT type, SQLPOINTER value, SQLLEN size, SQLLEN* indicator);

// After SQLFreeStmt with SQL_UNBIND has reached the driver.
void ForgetBindings(StatementState& state);

// A fetch while the stand-in holds bindings. `fetch_row` calls the driver's own fetch function
// for one row; a rowset of more rows (`rowset_attribute`: SQL_ATTR_ROW_ARRAY_SIZE, or
// SQL_ROWSET_SIZE for SQLExtendedFetch) the stand-in fetches one row at a time with the driver's
// SQLFetch when `forward` (the next rowset, and no column bound at the driver), and refuses with
// HYC00 otherwise rather than leave it partly filled.
SQLRETURN FetchIntoBindings(SQLHSTMT statement, StatementState& state, SQLINTEGER rowset_attribute,
                            bool forward, const std::function<SQLRETURN()>& fetch_row);

// HYC00: what the Access driver would do and the stand-in does not.
SQLRETURN RefuseOptionalFeature(SQLHSTMT statement);

// SQLSetPos within a rowset the stand-in fetched: SQL_POSITION picks the row SQLGetData reads.
// Nothing when the statement has no such rowset and the driver answers.
std::optional<SQLRETURN> SetPositionInRowset(SQLHSTMT statement, StatementState& state,
                                             SQLSETPOSIROW row, SQLUSMALLINT operation);

}  // namespace brivanto::standin
