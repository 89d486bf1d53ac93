#include "OdbcRecordset.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "OdbcColumns.h"
#include "OdbcDiagnostics.h"
#include "OdbcRowUpdate.h"
#include "TextCompare.h"
#include "ports/Failure.h"

namespace brivanto::odbc {
namespace {

// Large enough for almost every field in one call; longer values arrive in further chunks.
constexpr std::size_t kChunkSize = 4096;

SQLSMALLINT ResultColumnCount(SQLHSTMT statement) {
  SQLSMALLINT count = 0;
  Check(SQLNumResultCols(statement, &count), SQL_HANDLE_STMT, statement, "SQLNumResultCols");
  return count;
}

// A driver that left no terminator filled the buffer but for its last byte, the terminator's.
// Searched with memchr, which reads many bytes at a time: this runs once per value.
std::size_t TerminatedLength(const std::vector<char>& buffer) {
  const void* end = std::memchr(buffer.data(), '\0', buffer.size());
  return end == nullptr ? buffer.size() - 1
                        : static_cast<std::size_t>(static_cast<const char*>(end) - buffer.data());
}

}  // namespace

OdbcRecordset::OdbcRecordset(std::shared_ptr<StatementHandle> statement, SQLHDBC connection,
                             ResultUpdates updates)
    : statement_(std::move(statement)),
      connection_(connection),
      updates_(updates),
      chunk_(kChunkSize) {
  const SQLSMALLINT columnCount = ResultColumnCount(Statement());
  if (columnCount == 0) {
    Close();
    return;
  }
  ReadColumnNames(static_cast<SQLUSMALLINT>(columnCount));
  current_.resize(columnNames_.size());
  eof_ = !FetchInto(current_);
}

bool OdbcRecordset::IsOpen() const {
  return statement_ != nullptr && *statement_;
}

bool OdbcRecordset::Eof() const {
  RequireOpen();
  return eof_;
}

ports::FieldValue OdbcRecordset::Field(std::size_t index) {
  RequireCurrentRow();
  if (index >= current_.size()) {
    throw Failure(failure_codes::kItemNotFound,
                  "De recordset heeft geen veld met nummer " + std::to_string(index));
  }
  const Cell& cell = current_[index];
  return cell.isNull ? ports::FieldValue() : ports::FieldValue(cell.text);
}

ports::FieldValue OdbcRecordset::Field(std::string_view name) {
  return Field(IndexOf(name));
}

void OdbcRecordset::MoveNext() {
  RequireCurrentRow();
  if (readAhead_.empty()) {
    eof_ = !FetchInto(current_);
    return;
  }
  std::swap(current_, readAhead_.front());
  readAhead_.pop_front();
}

std::int32_t OdbcRecordset::RecordCount() {
  RequireOpen();
  for (;;) {
    Row row(columnNames_.size());
    if (!FetchInto(row)) {
      break;
    }
    readAhead_.push_back(std::move(row));
  }
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(rowsFetched_, std::numeric_limits<std::int32_t>::max()));
}

void OdbcRecordset::Close() {
  statement_.reset();
  readAhead_.clear();
  current_.clear();
  eof_ = true;
}

void OdbcRecordset::UpdateField(std::string_view name, const std::string& value,
                                const ports::RowKey& key) {
  const std::size_t index = IndexOf(name);
  if (updates_ == ResultUpdates::Refused) {
    throw Failure(failure_codes::kResultNotUpdatable, "Dit resultaat is alleen-lezen geopend");
  }
  WriteFieldBack(connection_, Statement(), {index, CurrentValues(), key}, value);
  current_[index] = {value, false};
}

void OdbcRecordset::RequireOpen() const {
  if (!IsOpen()) {
    throw Failure(failure_codes::kObjectClosed, "De recordset is gesloten");
  }
}

void OdbcRecordset::RequireCurrentRow() const {
  RequireOpen();
  if (eof_) {
    throw Failure(failure_codes::kNoCurrentRecord,
                  "Er is geen huidig record: het einde van de recordset is bereikt");
  }
}

std::size_t OdbcRecordset::IndexOf(std::string_view name) const {
  RequireCurrentRow();
  const auto found = std::ranges::find_if(
      columnNames_, [name](const std::string& column) { return EqualsIgnoringCase(column, name); });
  if (found == columnNames_.end()) {
    throw Failure(failure_codes::kItemNotFound,
                  "De recordset heeft geen veld met de naam '" + std::string(name) + "'");
  }
  return static_cast<std::size_t>(found - columnNames_.begin());
}

std::vector<ports::FieldValue> OdbcRecordset::CurrentValues() const {
  std::vector<ports::FieldValue> values;
  values.reserve(current_.size());
  for (const Cell& cell : current_) {
    values.push_back(cell.isNull ? ports::FieldValue() : ports::FieldValue(cell.text));
  }
  return values;
}

void OdbcRecordset::ReadColumnNames(SQLUSMALLINT count) {
  columnNames_.reserve(count);
  for (SQLUSMALLINT column = 1; column <= count; ++column) {
    columnNames_.push_back(DescribeColumn(Statement(), column).name);
  }
}

bool OdbcRecordset::FetchInto(Row& row) {
  if (resultExhausted_) {
    return false;
  }
  const SQLRETURN result = SQLFetch(Statement());
  if (result == SQL_NO_DATA) {
    resultExhausted_ = true;
    return false;
  }
  Check(result, SQL_HANDLE_STMT, Statement(), "SQLFetch");
  for (std::size_t column = 0; column < row.size(); ++column) {
    ReadCell(static_cast<SQLUSMALLINT>(column + 1), row[column]);
  }
  ++rowsFetched_;
  return true;
}

// SQLGetData hands out a long value in pieces; a piece that was cut short fills the buffer but
// for the terminator and says so with SQLSTATE 01004. The length it reports is no more than a
// bound: the Access driver may report up to twice the length of a text over 510 characters,
// even with SQL_SUCCESS, so a piece never reaches past its terminator.
void OdbcRecordset::ReadCell(SQLUSMALLINT column, Cell& cell) {
  cell.text.clear();
  cell.isNull = false;
  for (;;) {
    SQLLEN reported = 0;
    const SQLRETURN result = SQLGetData(Statement(), column, SQL_C_CHAR, chunk_.data(),
                                        static_cast<SQLLEN>(chunk_.size()), &reported);
    if (result == SQL_NO_DATA) {
      return;
    }
    Check(result, SQL_HANDLE_STMT, Statement(), "SQLGetData");
    if (reported == SQL_NULL_DATA) {
      cell.isNull = true;
      return;
    }
    const bool truncated = result == SQL_SUCCESS_WITH_INFO &&
                           HasDiagnosticState(SQL_HANDLE_STMT, Statement(), "01004");
    std::size_t piece = TerminatedLength(chunk_);
    if (!truncated && reported >= 0) {
      piece = std::min(piece, static_cast<std::size_t>(reported));
    }
    cell.text.append(chunk_.data(), piece);
    if (!truncated) {
      return;
    }
  }
}

}  // namespace brivanto::odbc
