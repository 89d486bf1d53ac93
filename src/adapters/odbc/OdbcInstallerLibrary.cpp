#include "OdbcInstallerLibrary.h"

#include <vector>

#include "OdbcApi.h"

namespace brivanto::odbc {
namespace {

// The installer reads attributes up to an empty one; two final NULs keep it inside the text
// even when the caller left them out.
std::string WithListEnd(const std::string& attributes) {
  std::string list = attributes;
  while (list.size() < 2 || list[list.size() - 1] != '\0' || list[list.size() - 2] != '\0') {
    list.push_back('\0');
  }
  return list;
}

}  // namespace

bool OdbcInstallerLibrary::ConfigDataSource(std::intptr_t window, int request,
                                            const std::string& driver,
                                            const std::string& attributes) {
  const std::string list = WithListEnd(attributes);
  return SQLConfigDataSource(reinterpret_cast<HWND>(window), static_cast<WORD>(request),
                             driver.c_str(), list.c_str()) != 0;
}

ports::InstallerError OdbcInstallerLibrary::LastError() {
  std::vector<char> message(SQL_MAX_MESSAGE_LENGTH);
  for (;;) {
    DWORD code = 0;
    WORD length = 0;
    // unixODBC writes the closing NUL one past the size it is given, so it gets one less.
    const auto room = static_cast<WORD>(message.size() - 1);
    const SQLRETURN result = SQLInstallerError(1, &code, message.data(), room, &length);
    if (result == SQL_NO_DATA) {
      return {};
    }
    if (!SQL_SUCCEEDED(result)) {
      return {0, "De foutmelding van het ODBC-installatieprogramma kan niet worden gelezen"};
    }
    if (length < room) {
      return {static_cast<std::int32_t>(code), std::string(message.data(), length)};
    }
    message.resize(static_cast<std::size_t>(length) + 2);
  }
}

}  // namespace brivanto::odbc
