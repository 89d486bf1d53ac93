#include "CharacterData.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "CodePage.h"
#include "DriverCalls.h"
#include "Messages.h"
#include "PendingDiagnostics.h"
#include "TestSwitches.h"

namespace brivanto::standin {
namespace {

// "SQLGetData (Desktop Database Drivers)": for character data of more than 510 characters the
// length the driver reports may be twice what is actually there.
constexpr std::size_t kLongestExactlyMeasured = 510;

bool IsFloatingPoint(SQLHSTMT statement, SQLUSMALLINT column) {
  SQLLEN type = SQL_UNKNOWN_TYPE;
  // A column whose type cannot be told is not a float column: its text stays as it is.
  static_cast<void>(Call(CurrentDriver().SQLColAttribute, statement, column, SQL_DESC_TYPE, nullptr,
                         SQLSMALLINT{0}, static_cast<SQLSMALLINT*>(nullptr), &type));
  return type == SQL_DOUBLE || type == SQL_FLOAT || type == SQL_REAL;
}

// "Data Type Limitations": the text form of a float follows the number format of the Control
// Panel, which on a Dutch Windows has a decimal comma (BRIVANTO_STANDIN_DECIMAL_SEPARATOR).
std::string InRegionalFormat(std::string number) {
  if (DecimalSeparatorSetting() == DecimalSeparator::kComma) {
    std::replace(number.begin(), number.end(), '.', ',');
  }
  return number;
}

CharacterValue Converted(SQLHSTMT statement, SQLUSMALLINT column, const WholeText& whole) {
  CharacterValue value;
  value.column = column;
  value.is_null = whole.is_null;
  value.text = ToApplication(whole.text);
  if (!whole.is_null && IsFloatingPoint(statement, column)) {
    value.text = InRegionalFormat(std::move(value.text));
  }
  value.lengths_doubled = LongTextLengthSetting() == LongTextLength::kDoubled &&
                          CharacterCount(value.text) > kLongestExactlyMeasured;
  return value;
}

SQLRETURN HandOutNull(SQLHSTMT statement, CharacterValue& value, SQLLEN* indicator) {
  value.finished = true;
  if (indicator == nullptr) {
    return Fail(statement, {Diagnostic{"22002", 0,
                                       std::string(kMessagePrefix) +
                                           "Indicator variable required but not supplied."}});
  }
  *indicator = SQL_NULL_DATA;
  return SQL_SUCCESS;
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
    const std::size_t reported = value.lengths_doubled ? 2 * remaining : remaining;
    *indicator = static_cast<SQLLEN>(reported);
  }
  const std::size_t room = buffer != nullptr && size > 0 ? static_cast<std::size_t>(size) - 1 : 0;
  const std::size_t piece = std::min(remaining, room);
  if (buffer != nullptr && size > 0) {
    std::memcpy(buffer, value.text.data() + value.handed_out, piece);
    static_cast<char*>(buffer)[piece] = '\0';
  }
  value.handed_out += piece;
  if (piece < remaining || buffer == nullptr || size <= 0) {
    return Warn(
        statement,
        Diagnostic{"01004", 0, std::string(kMessagePrefix) + "String data, right truncated."});
  }
  value.finished = true;
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
  if (!state.character_value || state.character_value->column != column) {
    state.character_value.reset();
    const WholeText whole = ReadWholeText(statement, column);
    if (!SQL_SUCCEEDED(whole.rc)) {
      return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement, whole.rc, "SQLGetData");
    }
    state.character_value = Converted(statement, column, whole);
  }
  return HandOut(statement, *state.character_value, value, size, indicator);
}

}  // namespace brivanto::standin
