#include "CharacterData.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "AsciiText.h"
#include "BoundColumns.h"
#include "CodePage.h"
#include "DriverCalls.h"
#include "Messages.h"
#include "PendingDiagnostics.h"
#include "Schema.h"
#include "TestSwitches.h"

namespace brivanto::standin {
namespace {

// "SQLGetData (Desktop Database Drivers)": for character data of more than 510 characters the
// length the driver reports may be twice what is actually there.
constexpr std::size_t kLongestExactlyMeasured = 510;

// A column declared without a type, or none at all (an expression), the SQLite driver describes
// by its value in the first row under a static cursor. Under a forward-only one, which it steps
// through as it is fetched, it calls such a column "varchar" without a size, the way it also
// describes a column declared just so; the schema tells those apart. An aliased column is not
// found there by its name, and counts as one without a type.
bool HasNoDeclaredType(SQLHSTMT statement, const StatementState& state, SQLUSMALLINT column) {
  SQLLEN precision = -1;
  static_cast<void>(Call(CurrentDriver().SQLColAttribute, statement, column, SQL_DESC_PRECISION,
                         nullptr, SQLSMALLINT{0}, static_cast<SQLSMALLINT*>(nullptr), &precision));
  if (precision != 0 || DriverColumnText(statement, column, SQL_DESC_TYPE_NAME) != "varchar") {
    return false;
  }
  const std::string table = DriverColumnText(statement, column, SQL_DESC_TABLE_NAME);
  if (table.empty()) {
    return true;
  }
  const std::string name = DriverColumnText(statement, column, SQL_DESC_BASE_COLUMN_NAME);
  const std::vector<DeclaredColumn> declared = ReadDeclaredColumns(state.connection);
  return std::none_of(declared.begin(), declared.end(), [&](const DeclaredColumn& candidate) {
    return SameName(candidate.table, table) && SameName(candidate.column, name) &&
           !TrimBlanks(candidate.type).empty();
  });
}

FloatColumn ClassifyColumn(SQLHSTMT statement, const StatementState& state, SQLUSMALLINT column) {
  SQLLEN type = SQL_UNKNOWN_TYPE;
  // A column whose type cannot be told is not a float column: its text stays as it is.
  static_cast<void>(Call(CurrentDriver().SQLColAttribute, statement, column, SQL_DESC_TYPE, nullptr,
                         SQLSMALLINT{0}, static_cast<SQLSMALLINT*>(nullptr), &type));
  if (type == SQL_DOUBLE || type == SQL_FLOAT || type == SQL_REAL) {
    return FloatColumn::kYes;
  }
  const bool stepped =
      state.driver == nullptr && state.cursor.cursor_type == SQL_CURSOR_FORWARD_ONLY;
  return stepped && type == SQL_VARCHAR && HasNoDeclaredType(statement, state, column)
             ? FloatColumn::kByFirstValue
             : FloatColumn::kNo;
}

bool IsDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
}

// SQLite writes a REAL with a point and at least one digit either side, an exponent after it if
// need be ("1.0e+20"), or as Inf; an INTEGER or a TEXT it hands out as it is.
bool IsSqliteRealText(std::string_view text) {
  if (text.starts_with('-')) {
    text.remove_prefix(1);
  }
  if (text == "Inf") {
    return true;
  }
  const std::size_t exponent = std::min(text.find('e'), text.size());
  std::string_view power = text.substr(exponent);
  text = text.substr(0, exponent);
  const std::size_t point = text.find('.');
  if (point == std::string_view::npos || !IsDigits(text.substr(0, point)) ||
      !IsDigits(text.substr(point + 1))) {
    return false;
  }
  if (power.empty()) {
    return true;
  }
  power.remove_prefix(1);
  return (power.starts_with('+') || power.starts_with('-')) && IsDigits(power.substr(1));
}

// Worked out at a column's first value and kept for the rest of the result set.
bool IsFloatingPoint(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                     const CharacterValue& value) {
  std::vector<FloatColumn>& columns = state.value_format->float_columns;
  if (column == 0) {
    return false;  // the bookmark, which the SQLite driver does not have
  }
  if (columns.size() < column) {
    columns.resize(column, FloatColumn::kUnknown);
  }
  FloatColumn& known = columns[column - 1];
  if (known == FloatColumn::kUnknown) {
    known = ClassifyColumn(statement, state, column);
  }
  if (known == FloatColumn::kByFirstValue) {
    known = !value.is_null && IsSqliteRealText(value.driver_text) ? FloatColumn::kYes
                                                                  : FloatColumn::kNo;
  }
  return known == FloatColumn::kYes && !value.is_null;
}

// "Data Type Limitations": the text form of a float follows the number format of the Control
// Panel, which on a Dutch Windows has a decimal comma (BRIVANTO_STANDIN_DECIMAL_SEPARATOR).
void ToRegionalFormat(std::string& number, DecimalSeparator separator) {
  if (separator == DecimalSeparator::kComma) {
    std::replace(number.begin(), number.end(), '.', ',');
  }
}

// Converts the driver's text of the column's value, already in `value`, for the application.
void ConvertForApplication(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                           CharacterValue& value) {
  if (!state.value_format) {
    state.value_format.emplace(ValueFormat{ValueSwitchesSetting(), {}});
  }
  const ValueSwitches& switches = state.value_format->switches;
  value.column = column;
  value.handed_out = 0;
  value.finished = false;
  AssignForApplication(value.text, value.driver_text, switches.code_page);
  if (IsFloatingPoint(statement, state, column, value)) {
    ToRegionalFormat(value.text, switches.decimal_separator);
  }
  value.lengths_doubled = switches.long_text_length == LongTextLength::kDoubled &&
                          CharacterCount(value.text, switches.code_page) > kLongestExactlyMeasured;
  value.held = true;
}

// Reads the column's value into the statement's own texts and converts it for the application.
SQLRETURN ReadConverted(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                        CharacterValue& value) {
  value.held = false;
  const SQLRETURN rc = ReadWholeTextInto(statement, column, value.driver_text, value.is_null);
  if (!SQL_SUCCEEDED(rc)) {
    return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement, rc, "SQLGetData");
  }
  ConvertForApplication(statement, state, column, value);
  return SQL_SUCCESS;
}

// What the driver fetched into the binding's own buffer, unless it did not fit: that is read
// again whole, which the SQLite driver allows for a bound column.
SQLRETURN ReadFetched(SQLHSTMT statement, StatementState& state, const CharacterBinding& binding,
                      CharacterValue& value) {
  const DriverBuffer& fetched = *binding.at_driver;
  const auto room = static_cast<SQLLEN>(fetched.text.size()) - 1;
  if (fetched.length == SQL_NO_TOTAL || fetched.length > room) {
    return ReadConverted(statement, state, binding.column, value);
  }
  value.is_null = fetched.length == SQL_NULL_DATA;
  value.driver_text.assign(fetched.text.data(),
                           value.is_null ? 0 : static_cast<std::size_t>(fetched.length));
  ConvertForApplication(statement, state, binding.column, value);
  return SQL_SUCCESS;
}

SQLRETURN RefuseMissingIndicator(SQLHSTMT statement) {
  return Fail(statement, {Diagnostic{"22002", 0,
                                     std::string(kMessagePrefix) +
                                         "Indicator variable required but not supplied."}});
}

SQLRETURN HandOutNull(SQLHSTMT statement, CharacterValue& value, SQLLEN* indicator) {
  value.finished = true;
  if (indicator == nullptr) {
    return RefuseMissingIndicator(statement);
  }
  *indicator = SQL_NULL_DATA;
  return SQL_SUCCESS;
}

SQLLEN ReportedLength(const CharacterValue& value, std::size_t remaining) {
  return static_cast<SQLLEN>(value.lengths_doubled ? 2 * remaining : remaining);
}

// Copies as much of the text as fits, NUL-ended; how much that was.
std::size_t CopyPiece(std::string_view text, SQLPOINTER buffer, SQLLEN size) {
  if (buffer == nullptr || size <= 0) {
    return 0;
  }
  const std::size_t piece = std::min(text.size(), static_cast<std::size_t>(size) - 1);
  std::memcpy(buffer, text.data(), piece);
  static_cast<char*>(buffer)[piece] = '\0';
  return piece;
}

// The address of the row's element of a bound buffer whose elements are `element_size` bytes.
template <typename T>
T* ElementOf(T* address, const RowAddressing& addressing, SQLULEN element_size) {
  if (address == nullptr) {
    return nullptr;
  }
  const SQLULEN step = addressing.row_size != 0 ? addressing.row_size : element_size;
  return reinterpret_cast<T*>(reinterpret_cast<char*>(address) + addressing.offset +
                              addressing.row * step);
}

SQLRETURN HandOut(SQLHSTMT statement, CharacterValue& value, SQLPOINTER buffer, SQLLEN size,
                  SQLLEN* indicator) {
  if (value.finished) {
    return SQL_NO_DATA;
  }
  if (value.is_null) {
    return HandOutNull(statement, value, indicator);
  }
  const std::size_t remaining = value.text.size() - value.handed_out;
  if (indicator != nullptr) {
    *indicator = ReportedLength(value, remaining);
  }
  const std::string_view text = value.text;
  const std::size_t piece = CopyPiece(text.substr(value.handed_out), buffer, size);
  value.handed_out += piece;
  if (piece < remaining || buffer == nullptr || size <= 0) {
    return WarnTruncated(statement);
  }
  value.finished = true;
  return SQL_SUCCESS;
}

// A bound column gets the whole value or its first part, with the length of all of it.
// The value stays with the binding: SQLGetData of the column hands it out again from its start.
SQLRETURN FillBinding(SQLHSTMT statement, StatementState& state, const CharacterBinding& binding,
                      CharacterValue& value, const RowAddressing& addressing, bool& truncated) {
  const SQLRETURN read = binding.at_driver ? ReadFetched(statement, state, binding, value)
                                           : ReadConverted(statement, state, binding.column, value);
  if (!SQL_SUCCEEDED(read)) {
    return read;
  }
  SQLLEN* const indicator = ElementOf(binding.indicator, addressing, sizeof(SQLLEN));
  if (value.is_null) {
    if (indicator == nullptr) {
      return RefuseMissingIndicator(statement);
    }
    *indicator = SQL_NULL_DATA;
    return SQL_SUCCESS;
  }
  if (indicator != nullptr) {
    *indicator = ReportedLength(value, value.text.size());
  }
  const std::size_t piece = CopyPiece(
      value.text, ElementOf(binding.buffer, addressing, static_cast<SQLULEN>(binding.size)),
      binding.size);
  truncated = truncated || piece < value.text.size() || binding.size <= 0;
  return SQL_SUCCESS;
}

// The value a fetch filled the column's binding with, for the row SQLGetData reads.
const CharacterValue* FilledValue(const StatementState& state, SQLUSMALLINT column) {
  for (const CharacterBinding& binding : state.character_bindings) {
    if (binding.column != column) {
      continue;
    }
    const CharacterValue* value = &binding.value;
    if (state.rowset) {
      value = state.rowset->position < binding.rowset_values.size()
                  ? &binding.rowset_values[state.rowset->position]
                  : nullptr;
    }
    return value != nullptr && value->held ? value : nullptr;
  }
  return nullptr;
}

SQLRETURN Restart(CharacterValue& value, const CharacterValue& filled) {
  value = filled;
  value.handed_out = 0;
  value.finished = false;
  return SQL_SUCCESS;
}

}  // namespace

SQLRETURN GetCharacterData(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                           SQLPOINTER value, SQLLEN size, SQLLEN* indicator) {
  if (size < 0) {
    return Fail(
        statement,
        {Diagnostic{"HY090", 0, std::string(kMessagePrefix) + "Invalid string or buffer length."}});
  }
  CharacterValue& held = state.character_value;
  if (!held.held || held.column != column) {
    const CharacterValue* const filled = FilledValue(state, column);
    // The driver's cursor is on the rowset's last row, not necessarily on the one positioned on.
    if (filled == nullptr && state.rowset) {
      return RefuseOptionalFeature(statement);
    }
    const SQLRETURN read =
        filled != nullptr ? Restart(held, *filled) : ReadConverted(statement, state, column, held);
    if (!SQL_SUCCEEDED(read)) {
      return read;
    }
  }
  return HandOut(statement, state.character_value, value, size, indicator);
}

SQLRETURN FillCharacterBindings(SQLHSTMT statement, StatementState& state,
                                const RowAddressing& addressing, bool in_rowset, bool& truncated) {
  for (CharacterBinding& binding : state.character_bindings) {
    if (in_rowset && binding.rowset_values.size() <= addressing.row) {
      binding.rowset_values.resize(addressing.row + 1);
    }
    CharacterValue& value = in_rowset ? binding.rowset_values[addressing.row] : binding.value;
    const SQLRETURN filled = FillBinding(statement, state, binding, value, addressing, truncated);
    if (!SQL_SUCCEEDED(filled)) {
      return filled;
    }
  }
  return SQL_SUCCESS;
}

SQLRETURN WarnTruncated(SQLHSTMT statement) {
  return Warn(statement, Diagnostic{"01004", 0,
                                    std::string(kMessagePrefix) + "String data, right truncated."});
}

}  // namespace brivanto::standin
