#include "MdbToolsDriver.h"

#include <array>
#include <cstring>
#include <fstream>
#include <string_view>

#include "DriverLibrary.h"

namespace brivanto::standin {
namespace {

const DriverFunctions& Mdb();

// The ODBC 2 identifiers of SQLColAttributes for the ODBC 3 fields whose numbers differ.
SQLUSMALLINT Odbc2Field(SQLUSMALLINT field) {
  switch (field) {
    case SQL_DESC_COUNT:
      return SQL_COLUMN_COUNT;
    case SQL_DESC_NAME:
    case SQL_DESC_BASE_COLUMN_NAME:
      return SQL_COLUMN_NAME;
    case SQL_DESC_BASE_TABLE_NAME:
      return SQL_COLUMN_TABLE_NAME;
    case SQL_DESC_TYPE:
      return SQL_COLUMN_TYPE;
    case SQL_DESC_LENGTH:
    case SQL_DESC_OCTET_LENGTH:
      return SQL_COLUMN_LENGTH;
    case SQL_DESC_PRECISION:
      return SQL_COLUMN_PRECISION;
    case SQL_DESC_SCALE:
      return SQL_COLUMN_SCALE;
    case SQL_DESC_NULLABLE:
      return SQL_COLUMN_NULLABLE;
    default:
      return field;
  }
}

SQLRETURN SQL_API ColAttribute(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT field,
                               SQLPOINTER text, SQLSMALLINT size, SQLSMALLINT* length,
                               SQLLEN* number) {
  return Call(Mdb().SQLColAttributes, statement, column, Odbc2Field(field), text, size, length,
              number);
}

SQLRETURN SQL_API SetStmtAttr(SQLHSTMT statement, SQLINTEGER attribute, SQLPOINTER value,
                              SQLINTEGER /*length*/) {
  return Call(Mdb().SQLSetStmtOption, statement, static_cast<SQLUSMALLINT>(attribute),
              reinterpret_cast<SQLULEN>(value));
}

SQLRETURN SQL_API SetConnectAttr(SQLHDBC connection, SQLINTEGER attribute, SQLPOINTER value,
                                 SQLINTEGER /*length*/) {
  return Call(Mdb().SQLSetConnectOption, connection, static_cast<SQLUSMALLINT>(attribute),
              reinterpret_cast<SQLULEN>(value));
}

SQLRETURN SQL_API GetConnectAttr(SQLHDBC connection, SQLINTEGER attribute, SQLPOINTER value,
                                 SQLINTEGER /*size*/, SQLINTEGER* /*length*/) {
  return Call(Mdb().SQLGetConnectOption, connection, static_cast<SQLUSMALLINT>(attribute), value);
}

SQLRETURN SQL_API EndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
  return type == SQL_HANDLE_DBC ? Call(Mdb().SQLTransact, SQLHENV{SQL_NULL_HENV}, handle,
                                       static_cast<SQLUSMALLINT>(completion))
                                : SQLRETURN{SQL_ERROR};
}

SQLRETURN SQL_API CloseCursor(SQLHSTMT statement) {
  return Call(Mdb().SQLFreeStmt, statement, SQLUSMALLINT{SQL_CLOSE});
}

// A forward-only driver can only move to the next row.
SQLRETURN SQL_API FetchScroll(SQLHSTMT statement, SQLSMALLINT orientation, SQLLEN /*offset*/) {
  return orientation == SQL_FETCH_NEXT ? Call(Mdb().SQLFetch, statement) : SQLRETURN{SQL_ERROR};
}

template <typename Function>
void Fill(Function& slot, Function odbc2_form) {
  if (slot == nullptr) {
    slot = odbc2_form;
  }
}

class MdbToolsLibrary {
 public:
  MdbToolsLibrary()
      : library_("BRIVANTO_MDB_ODBC_DRIVER", BRIVANTO_MDB_ODBC_DEFAULT_PATH,
                 "MDB Tools' ODBC driver (package odbc-mdbtools)") {
    if (!library_.loaded()) {
      return;
    }
    DriverFunctions& functions = library_.functions();
    Fill(functions.SQLColAttribute, &ColAttribute);
    Fill(functions.SQLSetStmtAttr, &SetStmtAttr);
    Fill(functions.SQLSetConnectAttr, &SetConnectAttr);
    Fill(functions.SQLGetConnectAttr, &GetConnectAttr);
    Fill(functions.SQLEndTran, &EndTran);
    Fill(functions.SQLCloseCursor, &CloseCursor);
    Fill(functions.SQLFetchScroll, &FetchScroll);
  }

  const DriverFunctions& functions() const { return library_.functions(); }

 private:
  DriverLibrary library_;
};

class Environment {
 public:
  Environment() {
    const DriverFunctions& mdb = Mdb();
    if (!SQL_SUCCEEDED(
            Call(mdb.SQLAllocHandle, SQL_HANDLE_ENV, SQLHANDLE{SQL_NULL_HANDLE}, &handle_))) {
      handle_ = SQL_NULL_HENV;
      return;
    }
    // MDB Tools answers as ODBC 2 whatever it is told; the setting only keeps it consistent.
    static_cast<void>(Call(mdb.SQLSetEnvAttr, handle_, SQLINTEGER{SQL_ATTR_ODBC_VERSION},
                           reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQLINTEGER{0}));
  }
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;
  ~Environment() {
    if (handle_ != SQL_NULL_HENV) {
      // The stand-in is being unloaded: nobody is left to hear of a failure.
      static_cast<void>(Call(Mdb().SQLFreeHandle, SQLSMALLINT{SQL_HANDLE_ENV}, handle_));
    }
  }
  SQLHENV get() const { return handle_; }

 private:
  SQLHENV handle_ = SQL_NULL_HENV;
};

const DriverFunctions& Mdb() {
  return GetMdbToolsDriver();
}

}  // namespace

const DriverFunctions& GetMdbToolsDriver() {
  static const MdbToolsLibrary loaded;
  return loaded.functions();
}

SQLHENV MdbToolsEnvironment() {
  static const Environment environment;
  return environment.get();
}

bool HasJetSignature(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::array<char, kJetSignature.size()> start{};
  file.read(start.data(), static_cast<std::streamsize>(start.size()));
  return file.gcount() == static_cast<std::streamsize>(start.size()) &&
         std::string_view(start.data(), start.size()) == kJetSignature;
}

}  // namespace brivanto::standin
