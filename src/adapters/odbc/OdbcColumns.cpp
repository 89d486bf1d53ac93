#include "OdbcColumns.h"

#include <vector>

#include "OdbcDiagnostics.h"

namespace brivanto::odbc {
namespace {

constexpr std::size_t kFirstNameBufferSize = 128;

std::string ToText(const std::vector<SQLCHAR>& buffer, SQLSMALLINT length) {
  return std::string(reinterpret_cast<const char*>(buffer.data()),
                     static_cast<std::size_t>(length));
}

}  // namespace

ColumnDescription DescribeColumn(SQLHSTMT statement, SQLUSMALLINT column) {
  ColumnDescription description;
  std::vector<SQLCHAR> name(kFirstNameBufferSize);
  for (;;) {
    SQLSMALLINT length = 0;
    SQLSMALLINT nullable = 0;
    Check(SQLDescribeCol(statement, column, name.data(), static_cast<SQLSMALLINT>(name.size()),
                         &length, &description.sqlType, &description.size,
                         &description.decimalDigits, &nullable),
          SQL_HANDLE_STMT, statement, "SQLDescribeCol");
    if (static_cast<std::size_t>(length) < name.size()) {
      description.name = ToText(name, length);
      return description;
    }
    name.resize(static_cast<std::size_t>(length) + 1);
  }
}

std::optional<SQLLEN> ColumnNumberAttribute(SQLHSTMT statement, SQLUSMALLINT column,
                                            SQLUSMALLINT field) {
  SQLLEN number = 0;
  if (!SQL_SUCCEEDED(SQLColAttribute(statement, column, field, nullptr, 0, nullptr, &number))) {
    return std::nullopt;
  }
  return number;
}

std::string ColumnTextAttribute(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT field) {
  std::vector<SQLCHAR> text(kFirstNameBufferSize);
  for (;;) {
    SQLSMALLINT length = 0;
    Check(SQLColAttribute(statement, column, field, text.data(),
                          static_cast<SQLSMALLINT>(text.size()), &length, nullptr),
          SQL_HANDLE_STMT, statement, "SQLColAttribute");
    if (static_cast<std::size_t>(length) < text.size()) {
      return ToText(text, length);
    }
    text.resize(static_cast<std::size_t>(length) + 1);
  }
}

}  // namespace brivanto::odbc
