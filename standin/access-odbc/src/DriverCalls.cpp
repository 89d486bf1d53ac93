#include "DriverCalls.h"

namespace brivanto::standin {
namespace {

// Most values fit the first piece, which is read straight into the text; a longer value is read
// on in pieces that double, so a memo takes few calls. The first is small because the SQLite
// driver fills all of a piece it is given, and that for every value.
constexpr std::size_t kFirstPieceSize = 64;
constexpr std::size_t kLargestPieceSize = std::size_t{1} << 20;

}  // namespace

SQLCHAR* AsOdbcText(const std::string& text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

std::string TextArgument(const SQLCHAR* text, SQLINTEGER length) {
  if (text == nullptr) {
    return {};
  }
  const char* characters = reinterpret_cast<const char*>(text);
  if (length == SQL_NTS) {
    return characters;
  }
  return length > 0 ? std::string(characters, static_cast<size_t>(length)) : std::string();
}

DriverStatement::DriverStatement(SQLHDBC connection) {
  if (!SQL_SUCCEEDED(Call(CurrentDriver().SQLAllocHandle, SQL_HANDLE_STMT, connection, &handle_))) {
    handle_ = SQL_NULL_HSTMT;
  }
}

DriverStatement::~DriverStatement() {
  if (handle_ != SQL_NULL_HSTMT) {
    // Freeing a statement only fails for an invalid handle, which this one is not.
    static_cast<void>(Call(CurrentDriver().SQLFreeHandle, SQL_HANDLE_STMT, handle_));
  }
}

std::string DriverColumnText(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT field) {
  std::string text;
  SQLLEN unused = 0;
  // A column the driver cannot name has no type name: an empty one is the right answer then.
  static_cast<void>(ReadDriverString<SQLSMALLINT>(
      text, [&](SQLCHAR* buffer, SQLSMALLINT size, SQLSMALLINT* length) {
        return Call(CurrentDriver().SQLColAttribute, statement, column, field, buffer, size, length,
                    &unused);
      }));
  return text;
}

// The driver cuts each piece to the buffer less its NUL and says so with 01004; the last piece
// comes with SQL_SUCCESS and its own length.
SQLRETURN ReadWholeTextInto(SQLHSTMT statement, SQLUSMALLINT column, std::string& text,
                            bool& is_null) {
  text.clear();
  is_null = false;
  std::size_t piece_size = kFirstPieceSize;
  for (bool first = true;; first = false) {
    const std::size_t start = text.size();
    text.resize(start + piece_size);
    SQLLEN length = 0;
    const SQLRETURN rc = Call(CurrentDriver().SQLGetData, statement, column, SQL_C_CHAR,
                              text.data() + start, static_cast<SQLLEN>(piece_size), &length);
    if (!SQL_SUCCEEDED(rc) || length == SQL_NULL_DATA) {
      text.resize(start);
      is_null = SQL_SUCCEEDED(rc);
      return rc == SQL_NO_DATA && !first ? SQL_SUCCESS : rc;
    }
    const bool cut = length == SQL_NO_TOTAL || static_cast<std::size_t>(length) >= piece_size;
    text.resize(start + (cut ? piece_size - 1 : static_cast<std::size_t>(length)));
    if (!cut) {
      return SQL_SUCCESS;
    }
    piece_size = std::min(2 * piece_size, kLargestPieceSize);
  }
}

WholeText ReadWholeText(SQLHSTMT statement, SQLUSMALLINT column) {
  WholeText whole;
  whole.rc = ReadWholeTextInto(statement, column, whole.text, whole.is_null);
  if (!SQL_SUCCEEDED(whole.rc)) {
    whole.text.clear();
  }
  return whole;
}

}  // namespace brivanto::standin
