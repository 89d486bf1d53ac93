// The cursors the Access driver grants ("SQLSetStmtOption (Desktop Database Drivers)",
// "SQLSetScrollOptions (Desktop Database Drivers)"): no dynamic cursor, for which it substitutes
// a keyset-driven one, and static cursors that are read-only. Each substitution is answered with
// SQL_SUCCESS_WITH_INFO and SQLSTATE 01S02, and SQLGetStmtAttr reports what was granted. The
// SQLite driver behind has only forward-only and static cursors; a keyset-driven cursor is a
// static one there.
#pragma once

#include <optional>

#include "Statements.h"

namespace brivanto::standin {

struct CursorRequest {
  std::optional<SQLULEN> cursor_type;
  std::optional<SQLULEN> concurrency;
};

// SQLSetStmtAttr and SQLSetStmtOption with SQL_ATTR_CURSOR_TYPE, SQL_ATTR_CONCURRENCY or
// SQL_ATTR_CURSOR_SCROLLABLE; nothing for any other attribute.
std::optional<CursorRequest> CursorRequestFor(const CursorSettings& current, SQLINTEGER attribute,
                                              SQLULEN value);
SQLRETURN RequestCursor(SQLHSTMT statement, StatementState& state, const CursorRequest& request);

SQLRETURN SetScrollOptions(SQLHSTMT statement, StatementState& state, SQLUSMALLINT concurrency,
                           SQLLEN keyset, SQLUSMALLINT rowset);

// The granted value of a cursor attribute; nothing for any other attribute.
std::optional<SQLULEN> GrantedCursorValue(const CursorSettings& settings, SQLINTEGER attribute);

}  // namespace brivanto::standin
