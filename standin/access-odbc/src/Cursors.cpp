#include "Cursors.h"

#include <string>

#include "Messages.h"
#include "PendingDiagnostics.h"
#include "SqliteDriver.h"

namespace brivanto::standin {
namespace {

struct CursorGrant {
  CursorSettings settings;
  bool substituted = false;
};

bool IsCursorType(SQLULEN type) {
  return type == SQL_CURSOR_FORWARD_ONLY || type == SQL_CURSOR_STATIC ||
         type == SQL_CURSOR_KEYSET_DRIVEN || type == SQL_CURSOR_DYNAMIC;
}

bool IsConcurrency(SQLULEN concurrency) {
  return concurrency == SQL_CONCUR_READ_ONLY || concurrency == SQL_CONCUR_LOCK ||
         concurrency == SQL_CONCUR_ROWVER || concurrency == SQL_CONCUR_VALUES;
}

// Whichever of the two is set last, a static cursor ends up read-only.
std::optional<CursorGrant> Grant(const CursorSettings& current, const CursorRequest& request) {
  CursorGrant grant{current, false};
  if (request.cursor_type) {
    if (!IsCursorType(*request.cursor_type)) {
      return std::nullopt;
    }
    const bool dynamic = *request.cursor_type == SQL_CURSOR_DYNAMIC;
    grant.settings.cursor_type = dynamic ? SQL_CURSOR_KEYSET_DRIVEN : *request.cursor_type;
    grant.substituted = dynamic;
  }
  if (request.concurrency) {
    if (!IsConcurrency(*request.concurrency)) {
      return std::nullopt;
    }
    grant.settings.concurrency = *request.concurrency;
  }
  if (grant.settings.cursor_type == SQL_CURSOR_STATIC &&
      grant.settings.concurrency != SQL_CONCUR_READ_ONLY) {
    grant.settings.concurrency = SQL_CONCUR_READ_ONLY;
    grant.substituted = true;
  }
  return grant;
}

SQLULEN SqliteCursorFor(SQLULEN granted) {
  return granted == SQL_CURSOR_FORWARD_ONLY ? SQL_CURSOR_FORWARD_ONLY : SQL_CURSOR_STATIC;
}

SQLRETURN RefuseValue(SQLHSTMT statement) {
  return Fail(statement,
              {Diagnostic{"HY024", 0, std::string(kMessagePrefix) + "Invalid attribute value."}});
}

SQLRETURN ApplyGrant(SQLHSTMT statement, StatementState& state, const CursorGrant& grant,
                     bool type_requested) {
  if (type_requested) {
    // Asking the SQLite driver for a cursor it has keeps it from answering 01S02 itself.
    const auto sqlite_cursor =
        reinterpret_cast<SQLPOINTER>(SqliteCursorFor(grant.settings.cursor_type));
    const SQLRETURN rc = Call(CurrentDriver().SQLSetStmtAttr, statement, SQL_ATTR_CURSOR_TYPE,
                              sqlite_cursor, SQLINTEGER{0});
    if (!SQL_SUCCEEDED(rc)) {
      return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement, rc, "SQLSetStmtAttr");
    }
  }
  state.cursor = grant.settings;
  if (!grant.substituted) {
    return SQL_SUCCESS;
  }
  return Warn(statement,
              Diagnostic{"01S02", 0, std::string(kMessagePrefix) + "Option value changed."});
}

// SQLSetScrollOptions names the cursor by its keyset size; a positive one asks for a mixed
// cursor, which the Access driver does not have either: it gets the keyset-driven one too.
std::optional<SQLULEN> CursorTypeForKeyset(SQLLEN keyset) {
  switch (keyset) {
    case SQL_SCROLL_FORWARD_ONLY:
      return SQL_CURSOR_FORWARD_ONLY;
    case SQL_SCROLL_STATIC:
      return SQL_CURSOR_STATIC;
    case SQL_SCROLL_KEYSET_DRIVEN:
      return SQL_CURSOR_KEYSET_DRIVEN;
    case SQL_SCROLL_DYNAMIC:
      return SQL_CURSOR_DYNAMIC;
    default:
      return keyset > 0 ? std::optional<SQLULEN>(SQL_CURSOR_DYNAMIC) : std::nullopt;
  }
}

}  // namespace

std::optional<CursorRequest> CursorRequestFor(const CursorSettings& current, SQLINTEGER attribute,
                                              SQLULEN value) {
  switch (attribute) {
    case SQL_ATTR_CURSOR_TYPE:
      return CursorRequest{value, std::nullopt};
    case SQL_ATTR_CONCURRENCY:
      return CursorRequest{std::nullopt, value};
    case SQL_ATTR_CURSOR_SCROLLABLE: {
      const bool scrollable = current.cursor_type != SQL_CURSOR_FORWARD_ONLY;
      const SQLULEN type = value == SQL_NONSCROLLABLE ? SQL_CURSOR_FORWARD_ONLY
                           : scrollable               ? current.cursor_type
                                                      : SQL_CURSOR_STATIC;
      return CursorRequest{type, std::nullopt};
    }
    default:
      return std::nullopt;
  }
}

SQLRETURN RequestCursor(SQLHSTMT statement, StatementState& state, const CursorRequest& request) {
  const std::optional<CursorGrant> grant = Grant(state.cursor, request);
  if (!grant) {
    return RefuseValue(statement);
  }
  return ApplyGrant(statement, state, *grant, request.cursor_type.has_value());
}

SQLRETURN SetScrollOptions(SQLHSTMT statement, StatementState& state, SQLUSMALLINT concurrency,
                           SQLLEN keyset, SQLUSMALLINT rowset) {
  const std::optional<SQLULEN> cursor_type = CursorTypeForKeyset(keyset);
  const std::optional<CursorGrant> grant =
      cursor_type ? Grant(state.cursor, CursorRequest{cursor_type, concurrency}) : std::nullopt;
  if (!grant || rowset == 0) {
    return RefuseValue(statement);
  }
  const SQLRETURN rc = Call(CurrentDriver().SQLSetStmtAttr, statement, SQL_ROWSET_SIZE,
                            reinterpret_cast<SQLPOINTER>(SQLULEN{rowset}), SQLINTEGER{0});
  if (!SQL_SUCCEEDED(rc)) {
    return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement, rc, "SQLSetScrollOptions");
  }
  return ApplyGrant(statement, state, *grant, true);
}

std::optional<SQLULEN> GrantedCursorValue(const CursorSettings& settings, SQLINTEGER attribute) {
  switch (attribute) {
    case SQL_ATTR_CURSOR_TYPE:
      return settings.cursor_type;
    case SQL_ATTR_CONCURRENCY:
      return settings.concurrency;
    case SQL_ATTR_CURSOR_SCROLLABLE:
      return settings.cursor_type == SQL_CURSOR_FORWARD_ONLY ? SQL_NONSCROLLABLE : SQL_SCROLLABLE;
    default:
      return std::nullopt;
  }
}

}  // namespace brivanto::standin
