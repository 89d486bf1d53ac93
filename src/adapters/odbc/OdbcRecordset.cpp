#include "OdbcRecordset.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

#include "OdbcColumns.h"
#include "OdbcDiagnostics.h"
#include "OdbcRowUpdate.h"
#include "TextCompare.h"
#include "ports/Failure.h"

namespace brivanto::odbc {
namespace {

// Large enough for almost every field in one call; longer values arrive in further chunks.
constexpr std::size_t kChunkSize = 4096;

// Jet's longest text is 255 characters and its longest binary 255 bytes, 510 hex digits; the
// long types and anything wider are read in pieces instead.
constexpr SQLLEN kWidestBoundValue = 510;
// Four bytes per character hold any encoding a driver may hand text out in. Every column gets a
// kilobyte at least, as a column may hold more than its description says (SQLite does not
// enforce declared lengths); a value that still does not fit is read again.
constexpr SQLLEN kBytesPerCharacter = 4;
constexpr SQLLEN kSmallestBoundBuffer = 1024;
// A rowset saves a trip through the driver manager per row; more rows than this save little.
constexpr SQLULEN kLargestRowset = 64;
constexpr std::size_t kRowsetBytes = std::size_t{256} * 1024;

// The buffer a column is bound with, or nothing when its values are read with SQLGetData.
std::optional<SQLLEN> BoundBufferSize(SQLHSTMT statement, SQLUSMALLINT column,
                                      SQLSMALLINT sqlType) {
  if (sqlType == SQL_LONGVARCHAR || sqlType == SQL_WLONGVARCHAR || sqlType == SQL_LONGVARBINARY ||
      sqlType == SQL_UNKNOWN_TYPE) {
    return std::nullopt;
  }
  const std::optional<SQLLEN> display =
      ColumnNumberAttribute(statement, column, SQL_DESC_DISPLAY_SIZE);
  if (!display || *display <= 0 || *display > kWidestBoundValue) {
    return std::nullopt;
  }
  return std::max(kBytesPerCharacter * *display + 1, kSmallestBoundBuffer);
}

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
  ReadColumns(static_cast<SQLUSMALLINT>(columnCount));
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

void OdbcRecordset::ReadColumns(SQLUSMALLINT count) {
  columnNames_.reserve(count);
  std::vector<SQLLEN> bufferSizes;
  for (SQLUSMALLINT column = 1; column <= count; ++column) {
    const ColumnDescription description = DescribeColumn(Statement(), column);
    columnNames_.push_back(description.name);
    if (bufferSizes.size() + 1 == column) {
      if (const auto size = BoundBufferSize(Statement(), column, description.sqlType)) {
        bufferSizes.push_back(*size);
      }
    }
  }
  BindLeadingColumns(bufferSizes, bufferSizes.size() == count);
}

// Column-wise: each column's values of the rowset lie one after the other.
void OdbcRecordset::BindLeadingColumns(const std::vector<SQLLEN>& bufferSizes, bool everyColumn) {
  std::size_t rowBytes = 0;
  for (const SQLLEN size : bufferSizes) {
    rowBytes += static_cast<std::size_t>(size);
  }
  // An unbound column is read with SQLGetData, which needs the cursor on that very row.
  if (everyColumn && rowBytes > 0) {
    rowsetSize_ = RequestRowset(std::clamp<SQLULEN>(kRowsetBytes / rowBytes, 1, kLargestRowset));
  }
  std::size_t total = 0;
  for (const SQLLEN size : bufferSizes) {
    boundColumns_.push_back({total, size});
    total += static_cast<std::size_t>(size) * rowsetSize_;
  }
  boundText_.resize(total);
  boundLengths_.resize(bufferSizes.size() * rowsetSize_);
  for (std::size_t index = 0; index < boundColumns_.size(); ++index) {
    const BoundColumn& bound = boundColumns_[index];
    Check(SQLBindCol(Statement(), static_cast<SQLUSMALLINT>(index + 1), SQL_C_CHAR,
                     boundText_.data() + bound.offset, bound.size,
                     &boundLengths_[index * rowsetSize_]),
          SQL_HANDLE_STMT, Statement(), "SQLBindCol");
  }
}

// The size the driver agreed to, with where it says how many rows it fetched and how each went;
// one row when it would not say, so that no row goes unseen.
SQLULEN OdbcRecordset::RequestRowset(SQLULEN rows) {
  SQLULEN granted = 1;
  const SQLRETURN requested =
      SQLSetStmtAttr(Statement(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows), 0);
  if (requested == SQL_SUCCESS) {
    granted = rows;
  } else if (requested == SQL_SUCCESS_WITH_INFO &&
             !SQL_SUCCEEDED(
                 SQLGetStmtAttr(Statement(), SQL_ATTR_ROW_ARRAY_SIZE, &granted, 0, nullptr))) {
    granted = 1;
  }
  if (granted <= 1) {
    return 1;
  }
  rowStatuses_.resize(granted);
  if (SQL_SUCCEEDED(
          SQLSetStmtAttr(Statement(), SQL_ATTR_ROWS_FETCHED_PTR, &rowsFetchedInRowset_, 0)) &&
      SQL_SUCCEEDED(SQLSetStmtAttr(Statement(), SQL_ATTR_ROW_STATUS_PTR, rowStatuses_.data(), 0))) {
    return granted;
  }
  rowStatuses_.clear();
  // Back to single rows; should the driver refuse even that, the first fetch reports it.
  static_cast<void>(
      SQLSetStmtAttr(Statement(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0));
  static_cast<void>(SQLSetStmtAttr(Statement(), SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0));
  return 1;
}

bool OdbcRecordset::FetchInto(Row& row) {
  for (;;) {
    while (nextInRowset_ < rowsInRowset_) {
      const SQLULEN index = nextInRowset_++;
      if (!TakeFetchedRow(index)) {
        continue;
      }
      for (std::size_t column = 0; column < row.size(); ++column) {
        if (column < boundColumns_.size()) {
          ReadBoundCell(column, index, row[column]);
        } else {
          ReadCell(static_cast<SQLUSMALLINT>(column + 1), row[column]);
        }
      }
      ++rowsFetched_;
      return true;
    }
    if (resultExhausted_ || !FetchRowset()) {
      resultExhausted_ = true;
      return false;
    }
  }
}

bool OdbcRecordset::FetchRowset() {
  constexpr SQLULEN kUnreported = std::numeric_limits<SQLULEN>::max();
  rowsFetchedInRowset_ = kUnreported;
  const SQLRETURN result = SQLFetch(Statement());
  if (result == SQL_NO_DATA) {
    return false;
  }
  Check(result, SQL_HANDLE_STMT, Statement(), "SQLFetch");
  rowsInRowset_ = rowsetSize_ == 1 ? 1 : rowsFetchedInRowset_;
  nextInRowset_ = 0;
  if (rowsInRowset_ == kUnreported || rowsInRowset_ > rowsetSize_) {
    throw Failure(failure_codes::kProviderError,
                  "Het stuurprogramma meldt niet hoeveel rijen het heeft opgehaald");
  }
  // A row that failed ends the listing with the driver's account of it, read while it lasts.
  for (SQLULEN index = 0; index < rowsInRowset_ && !rowStatuses_.empty(); ++index) {
    if (rowStatuses_[index] == SQL_ROW_ERROR) {
      rowFailure_ = DiagnosticFailure(SQL_HANDLE_STMT, Statement(), SQL_ERROR, "SQLFetch");
      break;
    }
  }
  return true;
}

// Rows a keyset cursor finds deleted, or that the rowset did not fill, are passed over.
bool OdbcRecordset::TakeFetchedRow(SQLULEN index) {
  if (rowStatuses_.empty()) {
    return true;
  }
  switch (rowStatuses_[index]) {
    case SQL_ROW_ERROR:
      rowsInRowset_ = 0;
      resultExhausted_ = true;
      throw rowFailure_.value_or(
          Failure(failure_codes::kProviderError, "Het stuurprogramma kon een rij niet lezen"));
    case SQL_ROW_DELETED:
    case SQL_ROW_NOROW:
      return false;
    default:
      return true;
  }
}

// As with SQLGetData, the reported length is only a bound. The buffer holds the longest value
// the column is described to have; a driver that let a longer one in (SQLite keeps whatever it
// is given) filled it and cut the value short, and the whole of it is read again with
// SQLGetData, which the driver then has to allow for a bound column.
void OdbcRecordset::ReadBoundCell(std::size_t index, SQLULEN row, Cell& cell) {
  const SQLLEN reported = boundLengths_[index * rowsetSize_ + row];
  if (reported == SQL_NULL_DATA) {
    cell.text.clear();
    cell.isNull = true;
    return;
  }
  const BoundColumn& bound = boundColumns_[index];
  const char* const text =
      boundText_.data() + bound.offset + row * static_cast<std::size_t>(bound.size);
  const auto room = static_cast<std::size_t>(bound.size) - 1;
  const void* end = std::memchr(text, '\0', room);
  const std::size_t terminated =
      end == nullptr ? room : static_cast<std::size_t>(static_cast<const char*>(end) - text);
  if (terminated == room && (reported == SQL_NO_TOTAL || reported > bound.size - 1)) {
    if (!ReadsBoundColumns()) {
      throw Failure(failure_codes::kProviderError,
                    "De waarde van het veld '" + columnNames_[index] +
                        "' is langer dan het stuurprogramma voor die kolom opgeeft");
    }
    // Within a rowset, SQLGetData reads the row the cursor is positioned on.
    if (rowsetSize_ > 1) {
      Check(SQLSetPos(Statement(), static_cast<SQLSETPOSIROW>(row + 1), SQL_POSITION,
                      SQL_LOCK_NO_CHANGE),
            SQL_HANDLE_STMT, Statement(), "SQLSetPos");
    }
    ReadCell(static_cast<SQLUSMALLINT>(index + 1), cell);
    return;
  }
  const std::size_t length =
      reported >= 0 ? std::min(terminated, static_cast<std::size_t>(reported)) : terminated;
  cell.text.assign(text, length);
  cell.isNull = false;
}

bool OdbcRecordset::ReadsBoundColumns() {
  if (!readsBoundColumns_) {
    SQLUINTEGER extensions = 0;
    const SQLRETURN result =
        SQLGetInfo(connection_, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr);
    readsBoundColumns_ = SQL_SUCCEEDED(result) && (extensions & SQL_GD_BOUND) != 0;
  }
  return *readsBoundColumns_;
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
