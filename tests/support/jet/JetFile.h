#pragma once

// Writes real Access database files (Jet 3 and Jet 4), so the tests can give the real drivers a
// database without carrying binary fixtures: a system catalog that lists the user tables, and
// the tables' rows. There are no indexes, memo fields or properties.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brivanto::testing::jet {

enum class Version { Jet3, Jet4 };

enum class ColumnType {
  Long,  // a 4-byte integer, given as decimal text
  Text,  // at most maxLength characters, given as UTF-8
};

struct Column {
  std::string name;
  ColumnType type = ColumnType::Text;
  int maxLength = 255;  // Text only: 1 to 255 characters
};

using Value = std::optional<std::string>;  // nullopt is NULL
using Row = std::vector<Value>;

struct Table {
  std::string name;
  std::vector<Column> columns;
  std::vector<Row> rows;  // each with one value per column
};

// An empty text is stored as such, not as NULL, but MDB Tools 1.0 reads it back as NULL.
//
// Writes `tables` to `file`, replacing it. Jet 4 stores text as UCS-2, Jet 3 in Windows-1252;
// a value the format cannot hold (a character outside the code page, text longer than its
// column, a Long that is not a 32-bit decimal) throws std::runtime_error, as does a failed write.
void WriteJetFile(const std::filesystem::path& file, Version version,
                  const std::vector<Table>& tables);

}  // namespace brivanto::testing::jet
