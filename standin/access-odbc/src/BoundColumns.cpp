#include "BoundColumns.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CharacterData.h"
#include "Messages.h"
#include "PendingDiagnostics.h"
#include "SqliteDriver.h"

namespace brivanto::standin {
namespace {

// Room for Jet's longest text in a single-byte encoding; a longer value is read again. No larger:
// the SQLite driver pads the whole buffer with NULs at every fetch.
constexpr std::size_t kDriverBufferSize = 256;

SQLRETURN Captured(SQLHSTMT statement, SQLRETURN rc, const char* function) {
  return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement, rc, function);
}

SQLRETURN BindAtDriver(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER value,
                       SQLLEN size, SQLLEN* indicator) {
  return Call(CurrentDriver().SQLBindCol, statement, column, type, value, size, indicator);
}

SQLRETURN UnbindAtDriver(SQLHSTMT statement, SQLUSMALLINT column) {
  return BindAtDriver(statement, column, SQL_C_CHAR, nullptr, 0, nullptr);
}

std::vector<CharacterBinding>::iterator FindBinding(StatementState& state, SQLUSMALLINT column) {
  return std::find_if(
      state.character_bindings.begin(), state.character_bindings.end(),
      [column](const CharacterBinding& binding) { return binding.column == column; });
}

bool BoundAtDriver(const StatementState& state, SQLUSMALLINT column) {
  return std::find(state.driver_bindings.begin(), state.driver_bindings.end(), column) !=
         state.driver_bindings.end();
}

void KeepCharacterBinding(StatementState& state, CharacterBinding&& binding) {
  auto& bindings = state.character_bindings;
  const auto known = FindBinding(state, binding.column);
  if (known != bindings.end()) {
    *known = std::move(binding);
    return;
  }
  const auto place = std::lower_bound(
      bindings.begin(), bindings.end(), binding.column,
      [](const CharacterBinding& kept, SQLUSMALLINT column) { return kept.column < column; });
  bindings.insert(place, std::move(binding));
}

// Another C type, or an unbinding: the driver's business. Once it took the column over, the
// stand-in's binding of it, and the buffer the driver may have written, can go.
SQLRETURN BindForDriver(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                        SQLSMALLINT type, SQLPOINTER value, SQLLEN size, SQLLEN* indicator) {
  const SQLRETURN rc = BindAtDriver(statement, column, type, value, size, indicator);
  if (SQL_SUCCEEDED(rc)) {
    if (const auto kept = FindBinding(state, column); kept != state.character_bindings.end()) {
      state.character_bindings.erase(kept);
    }
    std::erase(state.driver_bindings, column);
    if (value != nullptr) {
      state.driver_bindings.push_back(column);
    }
  }
  return Captured(statement, rc, "SQLBindCol");
}

// The SQLite driver fetches into a buffer of the stand-in's; any other driver's values are read
// with SQLGetData after the fetch, and a column it had bound in another C type is unbound.
SQLRETURN TakeOver(SQLHSTMT statement, const StatementState& state, CharacterBinding& binding) {
  if (state.driver == nullptr) {
    auto buffer = std::make_unique<DriverBuffer>();
    buffer->text.resize(kDriverBufferSize);
    const SQLRETURN rc = BindAtDriver(statement, binding.column, SQL_C_CHAR, buffer->text.data(),
                                      static_cast<SQLLEN>(buffer->text.size()), &buffer->length);
    binding.at_driver = std::move(buffer);
    return rc;
  }
  return BoundAtDriver(state, binding.column) ? UnbindAtDriver(statement, binding.column)
                                              : SQLRETURN{SQL_SUCCESS};
}

// A bind offset moves every buffer the driver writes, the stand-in's own as well: those columns
// are read with SQLGetData from then on.
SQLRETURN StopFetchingIntoOwnBuffers(SQLHSTMT statement, StatementState& state) {
  for (CharacterBinding& binding : state.character_bindings) {
    if (binding.at_driver) {
      const SQLRETURN rc = UnbindAtDriver(statement, binding.column);
      if (!SQL_SUCCEEDED(rc)) {
        return Captured(statement, rc, "SQLBindCol");
      }
      binding.at_driver.reset();
    }
  }
  return SQL_SUCCESS;
}

// A driver that cannot say reports the default.
template <typename Value>
Value StatementAttribute(SQLHSTMT statement, SQLINTEGER attribute, Value fallback) {
  Value value = fallback;
  const SQLRETURN rc = Call(CurrentDriver().SQLGetStmtAttr, statement, attribute, &value,
                            SQLINTEGER{0}, static_cast<SQLINTEGER*>(nullptr));
  return SQL_SUCCEEDED(rc) ? value : fallback;
}

}  // namespace

SQLRETURN BindColumn(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                     SQLSMALLINT type, SQLPOINTER value, SQLLEN size, SQLLEN* indicator) {
  // Column 0 is the bookmark, which is never character data; a null buffer unbinds.
  if (type != SQL_C_CHAR || value == nullptr || column == 0) {
    return BindForDriver(statement, state, column, type, value, size, indicator);
  }
  if (size < 0) {
    return Fail(
        statement,
        {Diagnostic{"HY090", 0, std::string(kMessagePrefix) + "Invalid string or buffer length."}});
  }
  CharacterBinding binding;
  binding.column = column;
  binding.buffer = value;
  binding.size = size;
  binding.indicator = indicator;
  const SQLRETURN rc = TakeOver(statement, state, binding);
  if (!SQL_SUCCEEDED(rc)) {
    return Captured(statement, rc, "SQLBindCol");
  }
  std::erase(state.driver_bindings, column);
  KeepCharacterBinding(state, std::move(binding));
  return SQL_SUCCESS;
}

void ForgetBindings(StatementState& state) {
  state.character_bindings.clear();
  state.driver_bindings.clear();
}

SQLRETURN PrepareFetchIntoBindings(SQLHSTMT statement, StatementState& state,
                                   SQLINTEGER rowset_attribute, SQLLEN& offset) {
  if (StatementAttribute<SQLULEN>(statement, rowset_attribute, 1) > 1) {
    return Fail(statement,
                {Diagnostic{"HYC00", 0,
                            std::string(kMessagePrefix) + "Optional feature not implemented."}});
  }
  auto* const offset_pointer = StatementAttribute<SQLLEN*>(statement, SQL_ATTR_ROW_BIND_OFFSET_PTR,
                                                           static_cast<SQLLEN*>(nullptr));
  offset = offset_pointer != nullptr ? *offset_pointer : 0;
  return offset != 0 ? StopFetchingIntoOwnBuffers(statement, state) : SQLRETURN{SQL_SUCCESS};
}

SQLRETURN FillAfterFetch(SQLHSTMT statement, StatementState& state, SQLRETURN fetched,
                         SQLLEN offset) {
  if (!SQL_SUCCEEDED(fetched) || state.character_bindings.empty()) {
    return fetched;
  }
  const SQLRETURN filled = FillCharacterBindings(statement, state, offset);
  return filled == SQL_SUCCESS ? fetched : filled;
}

}  // namespace brivanto::standin
