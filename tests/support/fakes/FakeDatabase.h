#pragma once

// Connections, statements and results from a scripted world; held to the ODBC layer in
// tests/contracts.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ports/Database.h"
#include "ports/Failure.h"
#include "text/Text.h"

namespace brivanto::testing {

// A table of text values: the rows a statement yields.
struct FakeTable {
  std::vector<std::string> columns;
  std::vector<std::vector<ports::FieldValue>> rows;
};

// A result that breaks down while it is read: at one field of `row` (any field when `field` is
// nullopt) or, with `onMoveNext`, when moving on from `row`.
struct FakeReadFault {
  Failure failure;
  std::size_t row = 0;
  std::optional<std::size_t> field;
  bool onMoveNext = false;
};

class FakeRecordset : public ports::Recordset {
 public:
  explicit FakeRecordset(std::optional<FakeTable> table, std::optional<Failure> failOnRow = {},
                         std::size_t failingRow = 0)
      : table_(std::move(table)), failOnRow_(std::move(failOnRow)), failingRow_(failingRow) {}
  FakeRecordset(std::optional<FakeTable> table, const FakeReadFault& fault)
      : FakeRecordset(std::move(table), fault.failure, fault.row) {
    failingField_ = fault.field;
    failOnMoveNext_ = fault.onMoveNext;
  }
  bool IsOpen() const override { return table_.has_value() && !closed_; }
  // Like the real layer, a closed result has no end to be at.
  bool Eof() const override {
    RequireOpen();
    return row_ >= table_->rows.size();
  }
  std::size_t FieldCount() const override { return IsOpen() ? table_->columns.size() : 0; }
  ports::FieldValue Field(std::size_t index) override {
    Check();
    if (failOnRow_ && !failOnMoveNext_ && row_ == failingRow_ &&
        (!failingField_ || *failingField_ == index)) {
      throw *failOnRow_;
    }
    if (index >= table_->columns.size()) {
      throw Failure(failure_codes::kItemNotFound,
                    "De recordset heeft geen veld met nummer " + std::to_string(index));
    }
    return table_->rows.at(row_).at(index);
  }
  ports::FieldValue Field(std::string_view name) override { return Field(IndexOf(name)); }
  void MoveNext() override {
    Check();
    if (failOnRow_ && failOnMoveNext_ && row_ == failingRow_) {
      throw *failOnRow_;
    }
    ++row_;
  }
  std::int32_t RecordCount() override {
    RequireOpen();
    return static_cast<std::int32_t>(table_->rows.size());
  }
  void Close() override { closed_ = true; }
  void UpdateField(std::string_view name, const std::string& value,
                   const ports::RowKey& key) override {
    Check();
    const auto column = IndexOf(name);
    if (!writeBack) {
      ports::Recordset::UpdateField(name, value, key);
    }
    table_->rows.at(row_).at(column) = value;
    writeBack(row_, column, value);
  }

  // Where an updated row goes; unset: the result cannot be updated.
  std::function<void(std::size_t row, std::size_t column, const std::string& value)> writeBack;

 private:
  void RequireOpen() const {
    if (!IsOpen()) {
      throw Failure(failure_codes::kObjectClosed, "De recordset is gesloten");
    }
  }
  void Check() const {
    if (Eof()) {
      throw Failure(failure_codes::kNoCurrentRecord,
                    "Er is geen huidig record: het einde van de recordset is bereikt");
    }
  }
  // Column names are looked up ignoring ASCII case, as the real layer does.
  std::size_t IndexOf(std::string_view name) const {
    Check();
    const auto lower = [](char c) { return text::ToLowerAscii(c); };
    const auto& columns = table_->columns;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (std::equal(columns[i].begin(), columns[i].end(), name.begin(), name.end(),
                     [&](char l, char r) { return lower(l) == lower(r); })) {
        return i;
      }
    }
    throw Failure(failure_codes::kItemNotFound,
                  "De recordset heeft geen veld met de naam '" + std::string(name) + "'");
  }
  std::optional<FakeTable> table_;
  std::optional<Failure> failOnRow_;
  std::size_t failingRow_;
  std::optional<std::size_t> failingField_;
  bool failOnMoveNext_ = false;
  std::size_t row_ = 0;
  bool closed_ = false;
};

struct FakeDatabaseState;

// One executed statement, as the database saw it.
struct ExecutedStatement {
  int connection;
  std::string sql;
  std::vector<std::string> parameters;
};

// One row written back through a recordset opened on `sql`.
struct RecordsetUpdate {
  std::string sql;
  std::size_t row;
  std::string field;
  std::string value;
};

// The shared world behind every fake connection: which files open, what each statement yields.
struct FakeDatabaseState {
  std::map<std::string, FakeTable> results;         // by statement text
  std::map<std::string, Failure> failures;          // by statement text
  std::map<std::string, std::int32_t> affected;     // by statement text
  std::map<std::string, FakeReadFault> readFaults;  // by statement text
  std::vector<std::pair<ports::CursorType, ports::LockType>> recordsetOptions;
  std::optional<Failure> openFailure;
  std::vector<std::string> opened;  // connection texts, in order
  std::vector<ExecutedStatement> executed;
  std::vector<RecordsetUpdate> updates;
  int created = 0;
  int alive = 0;
  std::optional<Failure> createFailure;
};

class FakeConnection : public ports::Connection {
 public:
  FakeConnection(FakeDatabaseState& state, int id) : state_(state), id_(id) { ++state_.alive; }
  ~FakeConnection() override { --state_.alive; }
  FakeConnection(const FakeConnection&) = delete;
  FakeConnection& operator=(const FakeConnection&) = delete;

  void SetCursorLocation(ports::CursorLocation location) override { cursorLocation = location; }
  void Open(const std::string& connectionText) override {
    if (open_) {
      throw Failure(failure_codes::kObjectAlreadyOpen,
                    "De verbinding met de database is al geopend");
    }
    state_.opened.push_back(connectionText);
    if (state_.openFailure) {
      throw *state_.openFailure;
    }
    open_ = true;
  }
  bool IsOpen() const override { return open_; }
  std::unique_ptr<ports::Recordset> Execute(const std::string& sql,
                                            std::int32_t* recordsAffected) override {
    Run(sql, {});
    if (recordsAffected != nullptr) {
      const auto found = state_.affected.find(sql);
      *recordsAffected = found == state_.affected.end() ? *recordsAffected : found->second;
    }
    return Result(sql);
  }
  std::int32_t ExecuteWithParameters(const std::string& sql,
                                     const std::vector<std::string>& parameters) override {
    Run(sql, parameters);
    const auto found = state_.affected.find(sql);
    return found == state_.affected.end() ? 0 : found->second;
  }
  std::unique_ptr<ports::Recordset> OpenRecordset(const std::string& sql,
                                                  ports::CursorType cursorType,
                                                  ports::LockType lockType) override {
    state_.recordsetOptions.emplace_back(cursorType, lockType);
    Run(sql, {});
    auto recordset = Result(sql);
    // As with the real layer, only an opened recordset can write rows back.
    if (state_.results.count(sql) != 0) {
      recordset->writeBack = [&state = state_, sql](std::size_t row, std::size_t column,
                                                    const std::string& value) {
        auto& table = state.results.at(sql);
        table.rows.at(row).at(column) = value;
        state.updates.push_back({sql, row, table.columns.at(column), value});
      };
    }
    return recordset;
  }

  int Id() const { return id_; }
  ports::CursorLocation cursorLocation = ports::CursorLocation::Server;

 private:
  void Run(const std::string& sql, const std::vector<std::string>& parameters) {
    if (!open_) {
      throw Failure(failure_codes::kConnectionNotOpen,
                    "De verbinding met de database is niet geopend");
    }
    state_.executed.push_back({id_, sql, parameters});
    const auto failure = state_.failures.find(sql);
    if (failure != state_.failures.end()) {
      throw failure->second;
    }
  }
  // A statement `results` has no table for yields what the driver gives it: a query an empty
  // result, anything else no result to read.
  static std::optional<FakeTable> Unscripted(const std::string& sql) {
    const auto start = sql.find_first_not_of(" \t\r\n");
    const bool query =
        start != std::string::npos && sql.size() - start >= 6 &&
        std::equal(sql.begin() + static_cast<std::ptrdiff_t>(start),
                   sql.begin() + static_cast<std::ptrdiff_t>(start) + 6, "select",
                   [](char c, char lower) { return text::ToLowerAscii(c) == lower; });
    return query ? std::optional<FakeTable>(FakeTable{}) : std::nullopt;
  }
  std::unique_ptr<FakeRecordset> Result(const std::string& sql) {
    const auto found = state_.results.find(sql);
    auto table =
        found == state_.results.end() ? Unscripted(sql) : std::optional<FakeTable>(found->second);
    const auto fault = state_.readFaults.find(sql);
    if (fault != state_.readFaults.end()) {
      return std::make_unique<FakeRecordset>(std::move(table), fault->second);
    }
    return std::make_unique<FakeRecordset>(std::move(table));
  }
  FakeDatabaseState& state_;
  int id_;
  bool open_ = false;
};

class FakeDatabase : public ports::Database {
 public:
  std::unique_ptr<ports::Connection> CreateConnection() override {
    if (state.createFailure) {
      throw *state.createFailure;
    }
    return std::make_unique<FakeConnection>(state, ++state.created);
  }
  FakeDatabaseState state;
};

}  // namespace brivanto::testing
