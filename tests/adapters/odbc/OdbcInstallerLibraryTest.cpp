#include <gtest/gtest.h>
#include <odbcinst.h>

#include "OdbcInstallerLibrary.h"
#include "OdbcTestEnvironment.h"

namespace brivanto::odbc {
namespace {

using testing::OdbcTestEnvironment;

using namespace std::string_literals;

// unixODBC says only "General installer error"; the message adds what to fix.
TEST(OdbcInstallerLibraryTest, ADriverThatCannotBeUsedIsExplained) {
  OdbcTestEnvironment environment;
  const std::pair<const char*, const char*> cases[] = {
      {"Brivanto No Such Driver",
       "General installer error: het ODBC-stuurprogramma "
       "'Brivanto No Such Driver' is niet geregistreerd"},
      {OdbcTestEnvironment::kBrokenSetupDriver, "/nonexistent/libbrivanto-setup.so"},
  };
  for (const auto& [driver, expected] : cases) {
    OdbcInstallerLibrary installer;
    EXPECT_FALSE(
        installer.ConfigDataSource(0, ODBC_ADD_DSN, driver, "DSN=Nowhere\0DBQ=/data/a.mdb\0\0"s));
    const ports::InstallerError error = installer.LastError();
    EXPECT_EQ(error.code, ODBC_ERROR_GENERAL_ERR);
    EXPECT_NE(error.message.find(expected), std::string::npos) << error.message;
  }
}

}  // namespace
}  // namespace brivanto::odbc
