#include <gtest/gtest.h>
#include <odbcinst.h>

#include "OdbcInstallerLibrary.h"
#include "OdbcTestEnvironment.h"

namespace brivanto::odbc {
namespace {

using testing::OdbcTestEnvironment;

using namespace std::string_literals;

TEST(OdbcInstallerLibraryTest, AnUnregisteredDriverFailsWithTheInstallersError) {
  OdbcTestEnvironment environment;
  OdbcInstallerLibrary installer;

  EXPECT_FALSE(installer.ConfigDataSource(0, ODBC_ADD_DSN, "Brivanto No Such Driver",
                                          "DSN=Nowhere\0DBQ=/data/a.mdb\0\0"s));

  const ports::InstallerError error = installer.LastError();
  EXPECT_EQ(error.code, ODBC_ERROR_GENERAL_ERR);
  EXPECT_EQ(error.message, "General installer error");
}

}  // namespace
}  // namespace brivanto::odbc
