#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/Failure.h"

namespace brivanto::ports {

// The numbers are those of the data-access layer on Windows, so both frontends agree on them.
enum class CursorLocation : int { Server = 2, Client = 3 };
enum class CursorType : int { ForwardOnly = 0, Keyset = 1, Dynamic = 2, Static = 3 };
enum class LockType : int { ReadOnly = 1, Optimistic = 3 };

// A field value as text; std::nullopt stands for SQL NULL.
using FieldValue = std::optional<std::string>;

// What singles out a row of a result to write it back: its table and the columns that, with the
// row's other comparable values, identify it. The caller knows them, because a driver may not
// tell the table or the columns a result comes from.
struct RowKey {
  std::string table;
  std::vector<std::string> columns;
};

// A result of a statement. Field access reads the current row. Every operation throws Failure.
class Recordset {
 public:
  virtual ~Recordset() = default;

  // False when the statement was carried out but produced no rows to read (an INSERT ... SELECT).
  virtual bool IsOpen() const = 0;
  virtual bool Eof() const = 0;
  virtual std::size_t FieldCount() const = 0;
  virtual FieldValue Field(std::size_t index) = 0;
  virtual FieldValue Field(std::string_view name) = 0;
  virtual void MoveNext() = 0;
  // The number of rows, as the result reports it; reading it may read the remaining rows.
  virtual std::int32_t RecordCount() = 0;
  virtual void Close() = 0;
  // Sets the named field of the current row to `value` and writes that one row back, found by
  // `key`. A result that cannot be updated throws Failure numbered
  // failure_codes::kResultNotUpdatable.
  virtual void UpdateField(std::string_view /*name*/, const std::string& /*value*/,
                           const RowKey& /*key*/) {
    throw Failure(failure_codes::kResultNotUpdatable, "Dit resultaat kan niet worden bijgewerkt");
  }
};

// One connection to a database. Releasing the object closes the connection.
class Connection {
 public:
  virtual ~Connection() = default;

  virtual void SetCursorLocation(CursorLocation location) = 0;
  virtual void Open(const std::string& connectionText) = 0;
  virtual bool IsOpen() const = 0;

  // Runs a statement; `recordsAffected`, when given, receives the number of changed rows.
  virtual std::unique_ptr<Recordset> Execute(const std::string& sql,
                                             std::int32_t* recordsAffected = nullptr) = 0;
  // Runs a statement whose `?` markers are bound, in order, to the given texts.
  virtual std::int32_t ExecuteWithParameters(const std::string& sql,
                                             const std::vector<std::string>& parameters) = 0;
  virtual std::unique_ptr<Recordset> OpenRecordset(const std::string& sql, CursorType cursorType,
                                                   LockType lockType) = 0;
};

class Database {
 public:
  virtual ~Database() = default;
  virtual std::unique_ptr<Connection> CreateConnection() = 0;
};

}  // namespace brivanto::ports
