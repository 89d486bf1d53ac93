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

SQLRETURN RefuseOptionalFeature(SQLHSTMT statement) {
  return Fail(
      statement,
      {Diagnostic{"HYC00", 0, std::string(kMessagePrefix) + "Optional feature not implemented."}});
}

namespace {

SQLRETURN SetRowArraySize(SQLHSTMT statement, SQLULEN rows) {
  return Call(CurrentDriver().SQLSetStmtAttr, statement, SQLINTEGER{SQL_ATTR_ROW_ARRAY_SIZE},
              reinterpret_cast<SQLPOINTER>(rows), SQLINTEGER{0});
}

// A bind offset moves every buffer the driver writes, the stand-in's own as well.
SQLRETURN BindOffset(SQLHSTMT statement, StatementState& state, SQLLEN& offset) {
  auto* const offset_pointer = StatementAttribute<SQLLEN*>(statement, SQL_ATTR_ROW_BIND_OFFSET_PTR,
                                                           static_cast<SQLLEN*>(nullptr));
  offset = offset_pointer != nullptr ? *offset_pointer : 0;
  return offset != 0 ? StopFetchingIntoOwnBuffers(statement, state) : SQLRETURN{SQL_SUCCESS};
}

SQLRETURN FillRow(SQLHSTMT statement, StatementState& state, SQLRETURN fetched,
                  const RowAddressing& addressing, bool in_rowset, bool& truncated) {
  if (!SQL_SUCCEEDED(fetched)) {
    return fetched;
  }
  const SQLRETURN filled =
      FillCharacterBindings(statement, state, addressing, in_rowset, truncated);
  return filled == SQL_SUCCESS ? fetched : filled;
}

void ReportRowset(SQLHSTMT statement, SQLULEN rows, const std::vector<SQLUSMALLINT>& statuses) {
  if (auto* const fetched = StatementAttribute<SQLULEN*>(statement, SQL_ATTR_ROWS_FETCHED_PTR,
                                                         static_cast<SQLULEN*>(nullptr))) {
    *fetched = rows;
  }
  if (auto* const status = StatementAttribute<SQLUSMALLINT*>(statement, SQL_ATTR_ROW_STATUS_PTR,
                                                             static_cast<SQLUSMALLINT*>(nullptr))) {
    std::copy(statuses.begin(), statuses.end(), status);
  }
}

// The driver is asked for one row at a time while the application's rowset size is set aside.
SQLRETURN FetchRowset(SQLHSTMT statement, StatementState& state, SQLULEN rows,
                      const RowAddressing& layout) {
  SQLRETURN rc = SetRowArraySize(statement, 1);
  if (!SQL_SUCCEEDED(rc)) {
    return Captured(statement, rc, "SQLSetStmtAttr");
  }
  std::vector<SQLUSMALLINT> statuses(rows, SQL_ROW_NOROW);
  SQLULEN fetched = 0;
  bool truncated = false;
  SQLRETURN failed = SQL_SUCCESS;
  for (; fetched < rows; ++fetched) {
    RowAddressing addressing = layout;
    addressing.row = fetched;
    bool row_truncated = false;
    const SQLRETURN one =
        FillRow(statement, state,
                Captured(statement, Call(CurrentDriver().SQLFetch, statement), "SQLFetch"),
                addressing, true, row_truncated);
    if (one == SQL_NO_DATA || !SQL_SUCCEEDED(one)) {
      failed = one;
      break;
    }
    statuses[fetched] = row_truncated ? SQL_ROW_SUCCESS_WITH_INFO : SQL_ROW_SUCCESS;
    truncated = truncated || row_truncated;
  }
  rc = SetRowArraySize(statement, rows);
  if (!SQL_SUCCEEDED(rc)) {
    return Captured(statement, rc, "SQLSetStmtAttr");
  }
  // A failure in a later row ends the rowset there, with that row in it as the failed one.
  if (failed != SQL_SUCCESS && failed != SQL_NO_DATA && fetched > 0) {
    statuses[fetched++] = SQL_ROW_ERROR;
  }
  ReportRowset(statement, fetched, statuses);
  state.rowset = FetchedRowset{fetched, 0};
  if (fetched == 0) {
    return failed == SQL_SUCCESS ? SQLRETURN{SQL_NO_DATA} : failed;
  }
  if (failed != SQL_SUCCESS && failed != SQL_NO_DATA) {
    return SQL_SUCCESS_WITH_INFO;
  }
  return truncated ? WarnTruncated(statement) : SQLRETURN{SQL_SUCCESS};
}

}  // namespace

SQLRETURN FetchIntoBindings(SQLHSTMT statement, StatementState& state, SQLINTEGER rowset_attribute,
                            bool forward, const std::function<SQLRETURN()>& fetch_row) {
  const auto rows = StatementAttribute<SQLULEN>(statement, rowset_attribute, 1);
  if (rows > 1 && (!forward || !state.driver_bindings.empty())) {
    return RefuseOptionalFeature(statement);
  }
  RowAddressing layout;
  const SQLRETURN offset = BindOffset(statement, state, layout.offset);
  if (offset != SQL_SUCCESS) {
    return offset;
  }
  if (rows > 1) {
    layout.row_size =
        StatementAttribute<SQLULEN>(statement, SQL_ATTR_ROW_BIND_TYPE, SQL_BIND_BY_COLUMN);
    return FetchRowset(statement, state, rows, layout);
  }
  bool truncated = false;
  const SQLRETURN fetched = FillRow(statement, state, fetch_row(), layout, false, truncated);
  return SQL_SUCCEEDED(fetched) && truncated ? WarnTruncated(statement) : fetched;
}

std::optional<SQLRETURN> SetPositionInRowset(SQLHSTMT statement, StatementState& state,
                                             SQLSETPOSIROW row, SQLUSMALLINT operation) {
  if (!state.rowset) {
    return std::nullopt;
  }
  if (operation != SQL_POSITION || row == 0) {
    return RefuseOptionalFeature(statement);
  }
  if (row > state.rowset->rows) {
    return Fail(statement,
                {Diagnostic{"HY107", 0, std::string(kMessagePrefix) + "Row value out of range."}});
  }
  state.rowset->position = row - 1;
  state.ForgetValue();
  return SQL_SUCCESS;
}

}  // namespace brivanto::standin
