#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "OdbcHandle.h"
#include "ports/Database.h"

namespace brivanto::odbc {

enum class ResultUpdates { Allowed, Refused };

// Reads the result of an executed statement row by row. Only the current row is held, so the
// memory stays bounded however many rows the result has; RecordCount before the end is the one
// operation that holds the remaining rows.
class OdbcRecordset final : public ports::Recordset {
 public:
  // Positions on the first row. A statement without result columns gives a closed recordset.
  // `connection` is the one `statement` belongs to; updates go through it.
  OdbcRecordset(std::shared_ptr<StatementHandle> statement, SQLHDBC connection,
                ResultUpdates updates);

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
  void ReadColumnNames(SQLUSMALLINT count);
  bool FetchInto(Row& row);
  void ReadCell(SQLUSMALLINT column, Cell& cell);

  std::shared_ptr<StatementHandle> statement_;
  SQLHDBC connection_;
  ResultUpdates updates_;
  std::vector<std::string> columnNames_;
  Row current_;
  std::deque<Row> readAhead_;
  std::vector<char> chunk_;
  bool eof_ = true;
  bool resultExhausted_ = false;
  std::int64_t rowsFetched_ = 0;
};

}  // namespace brivanto::odbc
