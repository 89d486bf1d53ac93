#include "BoundColumns.h"

#include <algorithm>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "CharacterData.h"
#include "Messages.h"
#include "PendingDiagnostics.h"
#include "SqliteDriver.h"

namespace brivanto::standin {
namespace {

SQLRETURN Captured(SQLHSTMT statement, SQLRETURN rc, const char* function) {
  return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement, rc, function);
}

template <typename Value>
void EraseColumn(std::vector<Value>& values, SQLUSMALLINT column) {
  std::erase_if(values, [column](const Value& value) {
    if constexpr (std::is_same_v<Value, CharacterBinding>) {
      return value.column == column;
    } else {
      return value == column;
    }
  });
}

void KeepCharacterBinding(StatementState& state, CharacterBinding&& binding) {
  auto& bindings = state.character_bindings;
  const auto place = std::lower_bound(
      bindings.begin(), bindings.end(), binding.column,
      [](const CharacterBinding& known, SQLUSMALLINT column) { return known.column < column; });
  bindings.insert(place, std::move(binding));
}

// A driver that cannot say reports the default: nothing to add.
SQLLEN BindOffset(SQLHSTMT statement) {
  SQLLEN* offset = nullptr;
  const SQLRETURN rc =
      Call(CurrentDriver().SQLGetStmtAttr, statement, SQLINTEGER{SQL_ATTR_ROW_BIND_OFFSET_PTR},
           &offset, SQLINTEGER{0}, static_cast<SQLINTEGER*>(nullptr));
  return SQL_SUCCEEDED(rc) && offset != nullptr ? *offset : 0;
}

}  // namespace

SQLRETURN BindColumn(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                     SQLSMALLINT type, SQLPOINTER value, SQLLEN size, SQLLEN* indicator) {
  // Column 0 is the bookmark, which is never character data; a null buffer unbinds.
  const bool kept = type == SQL_C_CHAR && value != nullptr && column > 0;
  if (kept && size < 0) {
    return Fail(
        statement,
        {Diagnostic{"HY090", 0, std::string(kMessagePrefix) + "Invalid string or buffer length."}});
  }
  EraseColumn(state.character_bindings, column);
  const bool bound_at_driver = std::find(state.driver_bindings.begin(), state.driver_bindings.end(),
                                         column) != state.driver_bindings.end();
  if (!kept) {
    const SQLRETURN rc =
        Call(CurrentDriver().SQLBindCol, statement, column, type, value, size, indicator);
    if (SQL_SUCCEEDED(rc)) {
      EraseColumn(state.driver_bindings, column);
      if (value != nullptr) {
        state.driver_bindings.push_back(column);
      }
    }
    return Captured(statement, rc, "SQLBindCol");
  }
  // The driver must not go on writing the column in the type it was bound with before.
  if (bound_at_driver) {
    const SQLRETURN rc =
        Call(CurrentDriver().SQLBindCol, statement, column, SQLSMALLINT{SQL_C_CHAR},
             SQLPOINTER{nullptr}, SQLLEN{0}, static_cast<SQLLEN*>(nullptr));
    if (!SQL_SUCCEEDED(rc)) {
      return Captured(statement, rc, "SQLBindCol");
    }
    EraseColumn(state.driver_bindings, column);
  }
  CharacterBinding binding;
  binding.column = column;
  binding.buffer = value;
  binding.size = size;
  binding.indicator = indicator;
  KeepCharacterBinding(state, std::move(binding));
  return SQL_SUCCESS;
}

void ForgetBindings(StatementState& state) {
  state.character_bindings.clear();
  state.driver_bindings.clear();
}

SQLRETURN CheckRowsetForBindings(SQLHSTMT statement, SQLINTEGER rowset_attribute) {
  SQLULEN rows = 1;
  const SQLRETURN rc = Call(CurrentDriver().SQLGetStmtAttr, statement, rowset_attribute, &rows,
                            SQLINTEGER{0}, static_cast<SQLINTEGER*>(nullptr));
  if (!SQL_SUCCEEDED(rc) || rows <= 1) {
    return SQL_SUCCESS;
  }
  return Fail(
      statement,
      {Diagnostic{"HYC00", 0, std::string(kMessagePrefix) + "Optional feature not implemented."}});
}

SQLRETURN FillAfterFetch(SQLHSTMT statement, StatementState& state, SQLRETURN fetched) {
  if (!SQL_SUCCEEDED(fetched) || state.character_bindings.empty()) {
    return fetched;
  }
  const SQLRETURN filled = FillCharacterBindings(statement, state, BindOffset(statement));
  return filled == SQL_SUCCESS ? fetched : filled;
}

}  // namespace brivanto::standin
