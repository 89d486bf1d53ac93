#pragma once

// The ODBC and installer headers of the Windows SDK rely on types that only <windows.h>
// declares, so every file of this layer takes them from here.
#ifdef _WIN32
#include <windows.h>
#endif

#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

#include <string>

namespace brivanto::odbc {

// The ODBC 2 era prototypes take non-const text pointers but never write through them.
inline SQLCHAR* AsSqlText(const std::string& text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

}  // namespace brivanto::odbc
