// Calls of the SQLite driver that the stand-in makes on its own behalf.
#pragma once

#include <algorithm>
#include <string>

#include "SqliteDriver.h"

namespace brivanto::standin {

// The driver only reads such text; ODBC 2 era signatures lack the const.
SQLCHAR* AsOdbcText(const std::string& text);

// A text argument of an ODBC call: `length` bytes, or up to the NUL for SQL_NTS.
std::string TextArgument(const SQLCHAR* text, SQLINTEGER length);

// A statement of the SQLite driver, allocated on a connection and freed with it in scope.
class DriverStatement {
 public:
  explicit DriverStatement(SQLHDBC connection);
  DriverStatement(const DriverStatement&) = delete;
  DriverStatement& operator=(const DriverStatement&) = delete;
  ~DriverStatement();
  // SQL_NULL_HSTMT when the driver could not allocate one.
  SQLHSTMT get() const { return handle_; }

 private:
  SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

// A text attribute of a result column as the driver describes it; empty when it has none.
std::string DriverColumnText(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT field);

// A character column of the current row, read from the SQLite driver in pieces until it is whole.
struct WholeText {
  SQLRETURN rc = SQL_SUCCESS;  // SQL_SUCCESS, or what the driver said instead
  bool is_null = false;
  std::string text;  // UTF-8, as SQLite keeps it
};
WholeText ReadWholeText(SQLHSTMT statement, SQLUSMALLINT column);
// The same into a text of the caller's, which keeps its capacity from one value to the next.
SQLRETURN ReadWholeTextInto(SQLHSTMT statement, SQLUSMALLINT column, std::string& text,
                            bool& is_null);

// A string the driver writes into a buffer of the caller's: the whole of it, however long. A
// length of the whole buffer or more means it was cut (the SQLite driver sometimes reports the
// buffer's size rather than the full length), so the buffer grows until the text fits.
// Returns the driver's return code; `text` is complete when it succeeded.
template <typename Length, typename Writer>
SQLRETURN ReadDriverString(std::string& text, Writer&& write) {
  constexpr std::size_t kLargest = 32767;  // SQLSMALLINT lengths go no further
  std::string buffer(512, '\0');
  while (true) {
    Length length = 0;
    const SQLRETURN rc = write(reinterpret_cast<SQLCHAR*>(buffer.data()),
                               static_cast<Length>(buffer.size()), &length);
    const bool cut = length < 0 || static_cast<std::size_t>(length) >= buffer.size();
    if (!SQL_SUCCEEDED(rc) || !cut || buffer.size() >= kLargest) {
      // Up to the terminator the driver wrote, not the rest of the buffer.
      text.assign(buffer.c_str(), std::char_traits<char>::length(buffer.c_str()));
      return rc;
    }
    const std::size_t wanted = std::max(static_cast<std::size_t>(length) + 1, 2 * buffer.size());
    buffer.assign(std::min(wanted, kLargest), '\0');
  }
}

}  // namespace brivanto::standin
