#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "OdbcHandle.h"
#include "ports/Database.h"

namespace brivanto::odbc {

enum class ResultUpdates { Allowed, Refused };

// Reads the result of an executed statement row by row. Only the current row is held, so the
// memory stays bounded however many rows the result has; RecordCount before the end is the one
// operation that holds the remaining rows.
//
// The leading columns whose values have a bounded length are bound, so that a fetch delivers
// them in one call; the rest are read with SQLGetData, which ODBC allows for unbound columns
// after the last bound one. When every column is bound, a fetch asks for a rowset of several
// rows, and they are handed out one by one.
class OdbcRecordset final : public ports::Recordset {
 public:
  // Positions on the first row. A statement without result columns gives a closed recordset.
  // `connection` is the one `statement` belongs to; updates go through it.
  OdbcRecordset(std::shared_ptr<StatementHandle> statement, SQLHDBC connection,
                ResultUpdates updates);
  // The driver holds the addresses of its buffers.
  OdbcRecordset(const OdbcRecordset&) = delete;
  OdbcRecordset& operator=(const OdbcRecordset&) = delete;

  bool IsOpen() const override;
  bool Eof() const override;
  std::size_t FieldCount() const override { return IsOpen() ? columnNames_.size() : 0; }
  ports::FieldValue Field(std::size_t index) override;
  ports::FieldValue Field(std::string_view name) override;
  void MoveNext() override;
  std::int32_t RecordCount() override;
  void Close() override;
  void UpdateField(std::string_view name, const std::string& value,
                   const ports::RowKey& key) override;

 private:
  struct Cell {
    std::string text;
    bool isNull = true;
  };
  using Row = std::vector<Cell>;

  SQLHSTMT Statement() const { return statement_->Get(); }
  void RequireOpen() const;
  void RequireCurrentRow() const;
  std::size_t IndexOf(std::string_view name) const;
  std::vector<ports::FieldValue> CurrentValues() const;
  void ReadColumns(SQLUSMALLINT count);
  void BindLeadingColumns(const std::vector<SQLLEN>& bufferSizes, bool everyColumn);
  SQLULEN RequestRowset(SQLULEN rows);
  bool FetchInto(Row& row);
  bool FetchRowset();
  bool TakeFetchedRow(SQLULEN index);
  void ReadBoundCell(std::size_t index, SQLULEN row, Cell& cell);
  bool ReadsBoundColumns();
  void ReadCell(SQLUSMALLINT column, Cell& cell);

  struct BoundColumn {
    std::size_t offset = 0;  // into boundText_, of the first row's value; the others follow
    SQLLEN size = 0;
  };
  // Declared before the statement, so that they outlive it: the driver writes into them at
  // every fetch for as long as the statement lives.
  std::vector<char> boundText_;
  std::vector<SQLLEN> boundLengths_;
  std::vector<BoundColumn> boundColumns_;
  std::vector<SQLUSMALLINT> rowStatuses_;
  SQLULEN rowsFetchedInRowset_ = 0;
  std::shared_ptr<StatementHandle> statement_;
  SQLHDBC connection_;
  ResultUpdates updates_;
  std::vector<std::string> columnNames_;
  Row current_;
  std::deque<Row> readAhead_;
  std::vector<char> chunk_;
  std::optional<bool> readsBoundColumns_;
  std::optional<Failure> rowFailure_;  // of the row in the rowset that could not be fetched  //
                                       // SQL_GD_BOUND, asked the first time it matters
  SQLULEN rowsetSize_ = 1;
  SQLULEN rowsInRowset_ = 0;  // fetched and not yet handed out: from nextInRowset_ on
  SQLULEN nextInRowset_ = 0;
  bool eof_ = true;
  bool resultExhausted_ = false;
  std::int64_t rowsFetched_ = 0;
};

}  // namespace brivanto::odbc
