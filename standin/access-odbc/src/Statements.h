// What the stand-in remembers of each statement of the SQLite driver it hands to the
// application: the handle values stay the SQLite driver's own, the state lives here.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "DriverFunctions.h"
#include "TestSwitches.h"

namespace brivanto::standin {

// The cursor the application asked for, as the Access driver would have granted it.
struct CursorSettings {
  SQLULEN cursor_type = SQL_CURSOR_FORWARD_ONLY;
  SQLULEN concurrency = SQL_CONCUR_READ_ONLY;
};

// The whole character value of one column of the current row, converted for the application,
// and how much of it SQLGetData has handed out. Its texts are kept from one value to the next, so
// a value costs no allocation of its own.
struct CharacterValue {
  bool held = false;  // false: no value is being handed out
  SQLUSMALLINT column = 0;
  std::string driver_text;  // as the SQLite driver gave it
  bool is_null = false;
  std::string text;
  std::size_t handed_out = 0;
  bool finished = false;
  bool lengths_doubled = false;
};

// Whether the text of a column's values is a float's, which follows the regional number format.
enum class FloatColumn { kUnknown, kYes, kNo, kByFirstValue };

// How the values of the current result set become text, worked out when the first is read.
struct ValueFormat {
  ValueSwitches switches;
  std::vector<FloatColumn> float_columns;  // by column number less one
};

// How the Access driver describes a result column, by the type it was declared with.
struct JetColumn {
  enum class Kind { kAsSqliteSays, kText, kMemo };
  Kind kind = Kind::kAsSqliteSays;
  SQLULEN size = 0;  // for kText
};

// An SQL_C_CHAR input parameter as the application bound it; its value is read, and converted,
// only when the statement executes.
struct CharacterParameter {
  SQLSMALLINT sql_type = SQL_VARCHAR;
  SQLULEN column_size = 0;
  SQLSMALLINT digits = 0;
  SQLPOINTER value = nullptr;
  SQLLEN size = 0;
  SQLLEN* indicator = nullptr;
};

// An SQL_C_CHAR buffer the application bound to a result column. The stand-in fills it after each
// fetch as SQLGetData would, because the SQLite driver's own text is in neither the application's
// code page nor its number format. The value of the current row is kept (held) for SQLGetData of
// the column, which the SQLite driver would answer with SQL_NO_DATA once it was read.
//
// Where the SQLite driver serves the statement, it fetches the value into a buffer of the
// stand-in's own (at_driver), which spares a call of its SQLGetData per value.
struct DriverBuffer {
  std::vector<char> text;
  SQLLEN length = 0;
};

struct CharacterBinding {
  SQLUSMALLINT column = 0;
  SQLPOINTER buffer = nullptr;
  SQLLEN size = 0;
  SQLLEN* indicator = nullptr;
  CharacterValue value;
  // Held apart, so that its address survives the bindings being moved about.
  std::unique_ptr<DriverBuffer> at_driver;
  std::vector<CharacterValue> rowset_values;  // by row, when the stand-in fetched a rowset
};

// Where the application's buffers are for one row of a rowset: SQL_ATTR_ROW_BIND_OFFSET_PTR's
// offset, and each row `row_size` bytes after the last (row-wise binding) or one element of
// each array after it (column-wise, row_size 0).
struct RowAddressing {
  SQLLEN offset = 0;
  SQLULEN row_size = 0;
  SQLULEN row = 0;
};

// A rowset of more than one row, which the stand-in fetched itself one row at a time because it
// fills the character bindings: SQLSetPos positions within it and SQLGetData reads that row.
struct FetchedRowset {
  SQLULEN rows = 0;
  SQLULEN position = 0;  // from 0
};

struct ConvertedParameter {
  std::string text;
  SQLLEN length = 0;
};

// SQLGetStmtAttr hands out one of these per descriptor instead of the SQLite driver's dummy
// value, which is the same for every descriptor of every statement; its address tells which
// statement's implementation row descriptor SQLGetDescField is asked about.
struct DescriptorTag {
  SQLHSTMT statement = SQL_NULL_HSTMT;
  SQLINTEGER attribute = 0;  // SQL_ATTR_APP_ROW_DESC and so on
  SQLHDESC driver_handle = SQL_NULL_HDESC;
};

struct StatementState {
  SQLHDBC connection = SQL_NULL_HDBC;
  const DriverFunctions* driver = nullptr;  // that serves the statement; null: the SQLite driver
  CursorSettings cursor;
  CharacterValue character_value;
  std::optional<ValueFormat> value_format;
  std::optional<std::vector<JetColumn>> columns;
  std::map<SQLUSMALLINT, CharacterParameter> character_parameters;
  // Kept from one execution until the next: the SQLite driver may read them until then.
  std::map<SQLUSMALLINT, ConvertedParameter> converted_parameters;
  std::array<DescriptorTag, 4> descriptors;
  std::vector<CharacterBinding> character_bindings;  // by column number
  std::optional<FetchedRowset> rowset;
  // Columns the application bound in another C type, which the SQLite driver fills itself.
  std::vector<SQLUSMALLINT> driver_bindings;

  // What the current result set held; an execution, a catalog function or a close replaces it.
  void ForgetResult() {
    ForgetValue();
    ForgetBoundValues();
    value_format.reset();
    columns.reset();
  }
  // A fetch, or a read of another column or type, ends the value being handed out.
  void ForgetValue() { character_value.held = false; }
  // A fetch or a new result set: the values of the row the bindings were filled with are gone.
  void ForgetBoundValues() {
    rowset.reset();
    for (CharacterBinding& binding : character_bindings) {
      binding.value.held = false;
    }
  }
  const DescriptorTag* Descriptor(SQLINTEGER attribute) const;
};

// The handle value the application's driver manager gets for a descriptor.
SQLHDESC HandleOf(const DescriptorTag& tag);

struct FoundDescriptor {
  std::shared_ptr<StatementState> state;  // keeps the tag alive
  const DescriptorTag* tag = nullptr;
};

class StatementRegistry {
 public:
  void Add(SQLHSTMT statement, SQLHDBC connection, const DriverFunctions* driver);
  void Remove(SQLHSTMT statement);
  void RemoveConnection(SQLHDBC connection);
  // Null for a handle that is none of the stand-in's statements. The state stays valid until the
  // statement is freed, so for the rest of the call made on it.
  StatementState* Find(SQLHSTMT statement) const;
  // Nothing when the handle is none of the stand-in's descriptors.
  FoundDescriptor FindDescriptor(SQLHDESC descriptor) const;

 private:
  void RemoveLocked(SQLHSTMT statement);

  mutable std::mutex mutex_;
  // Counts every change to the statements, so that a thread may keep the last one it found for
  // as long as nothing changed (Find).
  std::atomic<std::uint64_t> generation_{1};
  std::unordered_map<SQLHSTMT, std::shared_ptr<StatementState>> statements_;
  std::unordered_map<SQLHDESC, SQLHSTMT> descriptors_;
};

StatementRegistry& GetStatements();

}  // namespace brivanto::standin
