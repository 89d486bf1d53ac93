// Declared column types, and the Jet data types they stand for ("SQLColAttributes (Access
// Driver)"): what tells Text from Memo.
#pragma once

#include <sql.h>

#include <string>
#include <string_view>
#include <vector>

#include "Statements.h"

namespace brivanto::standin {

struct DeclaredColumn {
  std::string table;
  std::string column;
  std::string type;  // as written in CREATE TABLE, e.g. "text(50)"
};

// Every column of every table, read through the SQLite driver on the connection, so that it sees
// what the application's own transaction sees. Empty when the schema cannot be read.
std::vector<DeclaredColumn> ReadDeclaredColumns(SQLHDBC connection);

// The type name of a declared type, in lower case, without a size: "text" for "TEXT ( 12 )".
std::string TypeNameOf(std::string_view declared_type);

// In Jet's DDL TEXT without a size is a short Text field of 255 characters, as are VARCHAR and
// CHAR; only MEMO, LONGTEXT, LONGCHAR and NOTE declare a Memo field.
bool IsMemoType(std::string_view type_name);

// How the Access driver describes a column of this type name, which the SQLite driver describes
// with this size; anything but Text and Memo keeps the SQLite driver's description.
JetColumn JetColumnFor(std::string_view type_name, SQLULEN sqlite_size);

// ASCII case-insensitive equality, as Jet compares names.
bool SameName(std::string_view a, std::string_view b);

}  // namespace brivanto::standin
