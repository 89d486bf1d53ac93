#include "OdbcInstallerLibrary.h"

#include <array>
#include <vector>

#include "OdbcApi.h"
#include "SharedLibrary.h"
#include "ports/Failure.h"

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

#ifndef _WIN32
// unixODBC answers a driver it cannot use with "General installer error" alone, whether the
// driver is not registered or its setup library will not load. Says which, so the log names
// what to fix; empty when neither is the cause.
std::string WhyTheDriverCannotBeUsed(const std::string& driver) {
  std::array<char, 4096> setup{};
  const int length = SQLGetPrivateProfileString(driver.c_str(), "Setup", "", setup.data(),
                                                static_cast<int>(setup.size()), "ODBCINST.INI");
  if (length <= 0) {
    std::array<char, 4096> keys{};
    const bool registered =
        SQLGetPrivateProfileString(driver.c_str(), nullptr, "", keys.data(),
                                   static_cast<int>(keys.size()), "ODBCINST.INI") > 0;
    return registered ? "het ODBC-stuurprogramma '" + driver + "' heeft geen Setup-bibliotheek"
                      : "het ODBC-stuurprogramma '" + driver + "' is niet geregistreerd";
  }
  try {
    const SharedLibrary library(setup.data());
    return {};
  } catch (const Failure& failure) {
    return failure.Description();
  }
}
#endif

}  // namespace

bool OdbcInstallerLibrary::ConfigDataSource(std::intptr_t window, int request,
                                            const std::string& driver,
                                            const std::string& attributes) {
  lastDriver_ = driver;
  const std::string list = WithListEnd(attributes);
  return SQLConfigDataSource(reinterpret_cast<HWND>(window), static_cast<WORD>(request),
                             driver.c_str(), list.c_str()) != 0;
}

ports::InstallerError OdbcInstallerLibrary::Explained(ports::InstallerError error) const {
#ifndef _WIN32
  if (error.code == ODBC_ERROR_GENERAL_ERR && !lastDriver_.empty()) {
    if (const std::string why = WhyTheDriverCannotBeUsed(lastDriver_); !why.empty()) {
      error.message += ": " + why;
    }
  }
#endif
  return error;
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
      return Explained({static_cast<std::int32_t>(code), std::string(message.data(), length)});
    }
    message.resize(static_cast<std::size_t>(length) + 2);
  }
}

}  // namespace brivanto::odbc
