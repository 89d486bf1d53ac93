#include "DriverCalls.h"

#include <array>

namespace brivanto::standin {
namespace {

// Large enough for the texts of the program in one piece, small enough to sit on the stack.
constexpr SQLLEN kPieceSize = 16384;

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

// The driver cuts each piece to the buffer less its NUL and says so with 01004; the last piece
// comes with SQL_SUCCESS and its own length.
WholeText ReadWholeText(SQLHSTMT statement, SQLUSMALLINT column) {
  WholeText whole;
  std::array<char, kPieceSize> piece{};
  for (bool first = true;; first = false) {
    SQLLEN length = 0;
    const SQLRETURN rc = Call(CurrentDriver().SQLGetData, statement, column, SQL_C_CHAR,
                              piece.data(), kPieceSize, &length);
    if (rc == SQL_NO_DATA && !first) {
      return whole;
    }
    if (!SQL_SUCCEEDED(rc)) {
      whole.rc = rc;
      return whole;
    }
    if (length == SQL_NULL_DATA) {
      whole.is_null = true;
      return whole;
    }
    const bool cut = length == SQL_NO_TOTAL || length >= kPieceSize;
    whole.text.append(piece.data(), cut ? kPieceSize - 1 : static_cast<std::size_t>(length));
    if (!cut) {
      return whole;
    }
  }
}

}  // namespace brivanto::standin
