#include "Columns.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "CodePage.h"
#include "DriverCalls.h"
#include "Messages.h"
#include "PendingDiagnostics.h"
#include "Schema.h"
#include "TestSwitches.h"

namespace brivanto::standin {
namespace {

// Jet's Memo holds up to a gigabyte of characters.
constexpr SQLULEN kMemoSize = 1073741823;

SQLRETURN Truncated(SQLHANDLE report_to) {
  return Warn(report_to, Diagnostic{"01004", 0,
                                    std::string(kMessagePrefix) + "String data, right truncated."});
}

SQLRETURN Unsupported(SQLHANDLE report_to, const std::string& what) {
  return Fail(report_to, {Diagnostic{"HYC00", 0,
                                     std::string(kMessagePrefix) +
                                         "Optional feature not implemented: " + what + "."}});
}

// Text for the application in a buffer of its own, with the length it would need.
template <typename Length>
SQLRETURN WriteText(SQLHANDLE report_to, const std::string& utf8, SQLPOINTER buffer, SQLLEN size,
                    Length* length) {
  const std::string text = ToApplication(utf8);
  if (length != nullptr) {
    *length = static_cast<Length>(text.size());
  }
  if (buffer == nullptr || CopyToBuffer(text, static_cast<SQLCHAR*>(buffer), size)) {
    return SQL_SUCCESS;
  }
  return Truncated(report_to);
}

// By the type name the column was declared with, which the SQLite driver gives, and the size it
// read from that declaration. Aliased columns and those of views keep their types that way.
JetColumn JetColumnOf(SQLHSTMT statement, SQLUSMALLINT column) {
  SQLLEN size = 0;
  const SQLRETURN rc = Call(CurrentDriver().SQLColAttribute, statement, column, SQL_DESC_LENGTH,
                            nullptr, SQLSMALLINT{0}, static_cast<SQLSMALLINT*>(nullptr), &size);
  if (!SQL_SUCCEEDED(rc) || size < 0) {
    return {};  // a column the driver cannot describe keeps whatever it says of it
  }
  return JetColumnFor(DriverColumnText(statement, column, SQL_DESC_TYPE_NAME),
                      static_cast<SQLULEN>(size));
}

// Worked out once per result set.
const std::vector<JetColumn>& JetColumns(SQLHSTMT statement, StatementState& state) {
  if (!state.columns) {
    SQLSMALLINT count = 0;
    if (!SQL_SUCCEEDED(Call(CurrentDriver().SQLNumResultCols, statement, &count))) {
      count = 0;  // no result set, nothing to describe differently
    }
    state.columns.emplace();
    for (SQLUSMALLINT column = 1; column <= count; ++column) {
      state.columns->push_back(JetColumnOf(statement, column));
    }
  }
  return *state.columns;
}

JetColumn JetColumnAt(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column) {
  const std::vector<JetColumn>& columns = JetColumns(statement, state);
  return column >= 1 && column <= columns.size() ? columns[column - 1] : JetColumn{};
}

SQLSMALLINT JetType(const JetColumn& jet) {
  return jet.kind == JetColumn::Kind::kMemo ? SQL_LONGVARCHAR : SQL_VARCHAR;
}

SQLULEN JetSize(const JetColumn& jet) {
  return jet.kind == JetColumn::Kind::kMemo ? kMemoSize : jet.size;
}

// The fields in which a Jet column differs from the SQLite driver's description. The ODBC 2
// identifiers of SQLColAttributes share their numbers with the ODBC 3 ones where they overlap.
std::optional<SQLLEN> JetNumber(const JetColumn& jet, SQLUSMALLINT field) {
  if (jet.kind == JetColumn::Kind::kAsSqliteSays) {
    return std::nullopt;
  }
  switch (field) {
    case SQL_DESC_TYPE:
    case SQL_DESC_CONCISE_TYPE:
      return JetType(jet);
    case SQL_DESC_LENGTH:
    case SQL_COLUMN_LENGTH:
    case SQL_COLUMN_PRECISION:
    case SQL_DESC_OCTET_LENGTH:
    case SQL_DESC_DISPLAY_SIZE:
      return static_cast<SQLLEN>(JetSize(jet));
    case SQL_DESC_SEARCHABLE:
      // "SQLColAttributes (Access Driver)": Memo columns are SQL_UNSEARCHABLE.
      return jet.kind == JetColumn::Kind::kMemo ? SQL_PRED_NONE : SQL_SEARCHABLE;
    default:
      return std::nullopt;
  }
}

bool IsStringField(SQLUSMALLINT field) {
  switch (field) {
    case SQL_COLUMN_NAME:
    case SQL_DESC_TYPE_NAME:
    case SQL_DESC_TABLE_NAME:
    case SQL_DESC_SCHEMA_NAME:
    case SQL_DESC_CATALOG_NAME:
    case SQL_DESC_LABEL:
    case SQL_DESC_BASE_COLUMN_NAME:
    case SQL_DESC_BASE_TABLE_NAME:
    case SQL_DESC_LITERAL_PREFIX:
    case SQL_DESC_LITERAL_SUFFIX:
    case SQL_DESC_LOCAL_TYPE_NAME:
    case SQL_DESC_NAME:
      return true;
    default:
      return false;
  }
}

// "Descriptors and Desktop Database Drivers" lists SQL_DESC_BASE_TABLE_NAME as supported and
// says that fields Jet cannot provide are not; which holds is open (BRIVANTO_STANDIN_BASE_NAMES).
bool HidesBaseName(SQLUSMALLINT field) {
  return (field == SQL_DESC_BASE_TABLE_NAME || field == SQL_DESC_BASE_COLUMN_NAME) &&
         BaseNamesSetting() == BaseNames::kEmpty;
}

std::string JetString(const JetColumn& jet, SQLUSMALLINT field, std::string sqlite_answer) {
  if (HidesBaseName(field)) {
    return {};
  }
  if (field == SQL_DESC_TYPE_NAME && jet.kind != JetColumn::Kind::kAsSqliteSays) {
    return jet.kind == JetColumn::Kind::kMemo ? "LONGCHAR" : "VARCHAR";
  }
  return sqlite_answer;
}

template <typename Function>
SQLRETURN StringAttribute(Function function, SQLHSTMT statement, StatementState& state,
                          SQLHANDLE report_to, SQLUSMALLINT column, SQLUSMALLINT field,
                          SQLPOINTER text, SQLSMALLINT text_size, SQLSMALLINT* text_length) {
  std::string answer;
  SQLLEN unused = 0;
  const SQLRETURN rc = ReadDriverString<SQLSMALLINT>(
      answer, [&](SQLCHAR* buffer, SQLSMALLINT size, SQLSMALLINT* length) {
        return Call(function, statement, column, field, buffer, size, length, &unused);
      });
  if (!SQL_SUCCEEDED(rc)) {
    return CaptureDriverRecords(SQL_HANDLE_STMT, statement, report_to, rc, "SQLColAttribute");
  }
  const std::string jet = JetString(JetColumnAt(statement, state, column), field, answer);
  return WriteText(report_to, jet, text, text_size, text_length);
}

template <typename Function>
SQLRETURN NumberAttribute(Function function, SQLHSTMT statement, StatementState& state,
                          SQLHANDLE report_to, SQLUSMALLINT column, SQLUSMALLINT field,
                          SQLLEN* number) {
  SQLLEN answer = 0;
  // Copied at once: working out the Jet column calls the driver again.
  const SQLRETURN rc =
      CaptureDriverRecords(SQL_HANDLE_STMT, statement, report_to,
                           Call(function, statement, column, field, nullptr, SQLSMALLINT{0},
                                static_cast<SQLSMALLINT*>(nullptr), &answer),
                           "SQLColAttribute");
  if (!SQL_SUCCEEDED(rc)) {
    return rc;
  }
  const bool counting = field == SQL_DESC_COUNT || field == SQL_COLUMN_COUNT;
  const auto jet =
      counting ? std::nullopt : JetNumber(JetColumnAt(statement, state, column), field);
  if (number != nullptr) {
    *number = jet.value_or(answer);
  }
  return rc;
}

template <typename Number>
SQLRETURN WriteNumber(SQLLEN number, SQLPOINTER value) {
  const auto narrowed = static_cast<Number>(number);
  if (value != nullptr) {
    std::memcpy(value, &narrowed, sizeof narrowed);
  }
  return SQL_SUCCESS;
}

// The size of each numeric record field of an implementation row descriptor.
enum class Width { kNone, kSmall, kInteger, kLength, kUnsignedLength };

Width FieldWidth(SQLSMALLINT field) {
  switch (field) {
    case SQL_DESC_CONCISE_TYPE:
    case SQL_DESC_DATETIME_INTERVAL_CODE:
    case SQL_DESC_FIXED_PREC_SCALE:
    case SQL_DESC_NULLABLE:
    case SQL_DESC_PRECISION:
    case SQL_DESC_SCALE:
    case SQL_DESC_SEARCHABLE:
    case SQL_DESC_TYPE:
    case SQL_DESC_UNNAMED:
    case SQL_DESC_UNSIGNED:
    case SQL_DESC_UPDATABLE:
    case SQL_DESC_ROWVER:
      return Width::kSmall;
    case SQL_DESC_AUTO_UNIQUE_VALUE:
    case SQL_DESC_CASE_SENSITIVE:
    case SQL_DESC_DATETIME_INTERVAL_PRECISION:
    case SQL_DESC_NUM_PREC_RADIX:
      return Width::kInteger;
    case SQL_DESC_DISPLAY_SIZE:
    case SQL_DESC_OCTET_LENGTH:
      return Width::kLength;
    case SQL_DESC_LENGTH:
      return Width::kUnsignedLength;
    default:
      return Width::kNone;
  }
}

SQLRETURN WriteWithWidth(Width width, SQLLEN number, SQLPOINTER value) {
  switch (width) {
    case Width::kSmall:
      return WriteNumber<SQLSMALLINT>(number, value);
    case Width::kInteger:
      return WriteNumber<SQLINTEGER>(number, value);
    case Width::kLength:
      return WriteNumber<SQLLEN>(number, value);
    case Width::kUnsignedLength:
      return WriteNumber<SQLULEN>(number, value);
    case Width::kNone:
      break;
  }
  return SQL_ERROR;
}

SQLRETURN HeaderField(SQLHDESC handle, SQLHSTMT statement, SQLSMALLINT field, SQLPOINTER value) {
  if (field == SQL_DESC_ALLOC_TYPE) {
    return WriteNumber<SQLSMALLINT>(SQL_DESC_ALLOC_AUTO, value);
  }
  if (field != SQL_DESC_COUNT) {
    return Unsupported(handle, "this header field of the implementation row descriptor");
  }
  SQLSMALLINT count = 0;
  const SQLRETURN rc = Call(CurrentDriver().SQLNumResultCols, statement, &count);
  if (!SQL_SUCCEEDED(rc)) {
    return CaptureDriverRecords(SQL_HANDLE_STMT, statement, handle, rc, "SQLGetDescField");
  }
  return WriteNumber<SQLSMALLINT>(count, value);
}

SQLRETURN RecordField(SQLHDESC handle, SQLHSTMT statement, StatementState& state,
                      SQLSMALLINT record, SQLSMALLINT field, SQLPOINTER value, SQLINTEGER size,
                      SQLINTEGER* length) {
  const auto column = static_cast<SQLUSMALLINT>(record);
  if (IsStringField(static_cast<SQLUSMALLINT>(field))) {
    SQLSMALLINT text_length = 0;
    const auto text_size = static_cast<SQLSMALLINT>(std::min<SQLINTEGER>(size, 32767));
    const SQLRETURN rc =
        ColumnAttribute(AttributeCall::kColAttribute, statement, state, handle, column,
                        static_cast<SQLUSMALLINT>(field), value, text_size, &text_length, nullptr);
    if (length != nullptr) {
      *length = text_length;
    }
    return rc;
  }
  const Width width = FieldWidth(field);
  if (width == Width::kNone) {
    return Unsupported(handle, "this record field of the implementation row descriptor");
  }
  SQLLEN number = 0;
  const SQLRETURN rc =
      ColumnAttribute(AttributeCall::kColAttribute, statement, state, handle, column,
                      static_cast<SQLUSMALLINT>(field), nullptr, 0, nullptr, &number);
  return SQL_SUCCEEDED(rc) ? WriteWithWidth(width, number, value) : rc;
}

}  // namespace

SQLRETURN DescribeColumn(SQLHSTMT statement, StatementState& state, SQLUSMALLINT column,
                         SQLCHAR* name, SQLSMALLINT name_size, SQLSMALLINT* name_length,
                         SQLSMALLINT* type, SQLULEN* size, SQLSMALLINT* digits,
                         SQLSMALLINT* nullable) {
  std::string answer;
  SQLSMALLINT sqlite_type = 0;
  SQLULEN sqlite_size = 0;
  SQLSMALLINT sqlite_digits = 0;
  SQLSMALLINT sqlite_nullable = SQL_NULLABLE_UNKNOWN;
  const SQLRETURN rc = ReadDriverString<SQLSMALLINT>(
      answer, [&](SQLCHAR* buffer, SQLSMALLINT buffer_size, SQLSMALLINT* length) {
        return Call(CurrentDriver().SQLDescribeCol, statement, column, buffer, buffer_size, length,
                    &sqlite_type, &sqlite_size, &sqlite_digits, &sqlite_nullable);
      });
  if (!SQL_SUCCEEDED(rc)) {
    return CaptureDriverRecords(SQL_HANDLE_STMT, statement, statement, rc, "SQLDescribeCol");
  }
  const JetColumn jet = JetColumnAt(statement, state, column);
  const bool described_as_jet = jet.kind != JetColumn::Kind::kAsSqliteSays;
  if (type != nullptr) {
    *type = described_as_jet ? JetType(jet) : sqlite_type;
  }
  if (size != nullptr) {
    *size = described_as_jet ? JetSize(jet) : sqlite_size;
  }
  if (digits != nullptr) {
    *digits = described_as_jet ? SQLSMALLINT{0} : sqlite_digits;
  }
  if (nullable != nullptr) {
    *nullable = sqlite_nullable;
  }
  return WriteText(statement, answer, name, name_size, name_length);
}

SQLRETURN ColumnAttribute(AttributeCall call, SQLHSTMT statement, StatementState& state,
                          SQLHANDLE report_to, SQLUSMALLINT column, SQLUSMALLINT field,
                          SQLPOINTER text, SQLSMALLINT text_size, SQLSMALLINT* text_length,
                          SQLLEN* number) {
  const auto& driver = CurrentDriver();
  // The base names exist in ODBC 3 only; SQLColAttributes of the SQLite driver has none.
  const bool base_name = field == SQL_DESC_BASE_TABLE_NAME || field == SQL_DESC_BASE_COLUMN_NAME;
  if (IsStringField(field)) {
    return call == AttributeCall::kColAttribute || base_name
               ? StringAttribute(driver.SQLColAttribute, statement, state, report_to, column, field,
                                 text, text_size, text_length)
               : StringAttribute(driver.SQLColAttributes, statement, state, report_to, column,
                                 field, text, text_size, text_length);
  }
  return call == AttributeCall::kColAttribute
             ? NumberAttribute(driver.SQLColAttribute, statement, state, report_to, column, field,
                               number)
             : NumberAttribute(driver.SQLColAttributes, statement, state, report_to, column, field,
                               number);
}

SQLRETURN DescriptorField(const FoundDescriptor& descriptor, SQLSMALLINT record, SQLSMALLINT field,
                          SQLPOINTER value, SQLINTEGER size, SQLINTEGER* length) {
  const SQLHDESC handle = HandleOf(*descriptor.tag);
  GetPendingDiagnostics().Clear(handle);
  if (descriptor.tag->attribute != SQL_ATTR_IMP_ROW_DESC) {
    return Unsupported(handle, "only the implementation row descriptor can be read");
  }
  const SQLHSTMT statement = descriptor.tag->statement;
  if (record == 0 || field == SQL_DESC_COUNT || field == SQL_DESC_ALLOC_TYPE) {
    return HeaderField(handle, statement, field, value);
  }
  SQLSMALLINT count = 0;
  if (!SQL_SUCCEEDED(Call(CurrentDriver().SQLNumResultCols, statement, &count)) || record > count) {
    return SQL_NO_DATA;  // no such record
  }
  return RecordField(handle, statement, *descriptor.state, record, field, value, size, length);
}

}  // namespace brivanto::standin
