#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "AnsiCodePage.h"
#include "CodePageOdbc.h"
#include "OdbcInstallerLibrary.h"
#include "ports/Failure.h"
#include "support/fakes/FakeDatabase.h"
#include "support/fakes/FakeInstaller.h"

namespace brivanto::win32 {
namespace {

using brivanto::testing::FakeDatabase;
using brivanto::testing::FakeInstaller;
using brivanto::testing::FakeTable;

constexpr const char* kUtf8Folder = "D:\\Scans Belgi\xC3\xAB";
constexpr const char* kAnsiFolder = "D:\\Scans Belgi\xEB";

TEST(AnsiOdbcTest, TextsGoOutInAnsiAndValuesComeBackInUtf8) {
  FakeDatabase fake;
  const std::string ansiQuery = "select Value from tblSettings where sKey = 'Belgi\xEB'";
  fake.state.results[ansiQuery] = FakeTable{{"Value"}, {{kAnsiFolder}, {std::nullopt}}};
  const AnsiCodePage ansi;
  odbc::CodePageDatabase database(fake, ansi);

  auto connection = database.CreateConnection();
  connection->Open("driver={Microsoft Access Driver (*.mdb)};DBQ={D:\\Belgi\xC3\xAB.mdb}; pwd=x;");
  auto result =
      connection->OpenRecordset("select Value from tblSettings where sKey = 'Belgi\xC3\xAB'",
                                ports::CursorType::Static, ports::LockType::Optimistic);
  EXPECT_EQ(result->Field("Value"), std::optional<std::string>(kUtf8Folder));
  result->MoveNext();
  EXPECT_EQ(result->Field(std::size_t{0}), std::nullopt);
  connection->ExecuteWithParameters("update tblSettings set Value = ?", {kUtf8Folder});

  EXPECT_EQ(fake.state.opened,
            std::vector<std::string>{
                "driver={Microsoft Access Driver (*.mdb)};DBQ={D:\\Belgi\xEB.mdb}; pwd=x;"});
  ASSERT_EQ(fake.state.executed.size(), 2U);
  EXPECT_EQ(fake.state.executed[0].sql, ansiQuery);
  EXPECT_EQ(fake.state.executed[1].parameters, std::vector<std::string>{kAnsiFolder});
}

TEST(AnsiOdbcTest, TextsTheCodePageCannotCarryAreRefusedNotChanged) {
  FakeDatabase fake;
  const AnsiCodePage ansi;
  odbc::CodePageDatabase database(fake, ansi);
  auto connection = database.CreateConnection();
  const std::string path = "D:\\\xE6\xBC\xA2.mdb";
  try {
    connection->Open("driver={Microsoft Access Driver (*.mdb)};DBQ={" + path + "}; pwd=secret;");
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Number(), failure_codes::kFileAccess);
    EXPECT_EQ(failure.Description(),
              "Het pad bevat tekens die Windows hier niet kan doorgeven: " + path);
  }
  EXPECT_TRUE(fake.state.opened.empty());

  connection->Open("driver={x};DBQ={D:\\a.mdb};");
  EXPECT_THROW(connection->Execute("select '\xE6\xBC\xA2'", nullptr), Failure);
  EXPECT_THROW(connection->ExecuteWithParameters("update t set v = ?", {path}), Failure);
  EXPECT_TRUE(fake.state.executed.empty());

  FakeInstaller fakeInstaller;
  odbc::CodePageInstaller installer(fakeInstaller, ansi);
  const std::string attributes = "REPAIR_DB=\"" + path + "\"" + '\0' + "PWD=secret" + '\0' + '\0';
  try {
    installer.ConfigDataSource(0, 2, "Microsoft Access Driver (*.MDB)", attributes);
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Description(),
              "Het pad bevat tekens die Windows hier niet kan doorgeven: " + path);
  }
  EXPECT_TRUE(fakeInstaller.calls.empty());
}

TEST(AnsiOdbcTest, InstallerGetsAnsiAndItsMessagesComeBackInUtf8) {
  FakeInstaller fake;
  fake.succeeds = false;
  fake.error = {11, "Bestand D:\\Belgi\xEB.mdb niet gevonden"};
  const AnsiCodePage ansi;
  odbc::CodePageInstaller installer(fake, ansi);
  const std::string attributes =
      std::string("REPAIR_DB=\"D:\\Belgi\xC3\xAB.mdb\"") + '\0' + "PWD=x" + '\0' + '\0';
  EXPECT_FALSE(installer.ConfigDataSource(0, 2, "Microsoft Access Driver (*.MDB)", attributes));
  ASSERT_EQ(fake.calls.size(), 1U);
  EXPECT_EQ(fake.calls[0].attributes,
            std::string("REPAIR_DB=\"D:\\Belgi\xEB.mdb\"") + '\0' + "PWD=x" + '\0' + '\0');
  const auto error = installer.LastError();
  EXPECT_EQ(error.code, 11);
  EXPECT_EQ(error.message, "Bestand D:\\Belgi\xC3\xAB.mdb niet gevonden");
}

// The real installer library of Windows (Wine's odbccp32): an unknown driver is refused, and
// the error record says why.
TEST(OdbcInstallerLibraryTest, UnknownDriverIsRefusedWithTheInstallersError) {
  odbc::OdbcInstallerLibrary installer;
  const std::string attributes = std::string("REPAIR_DB=\"C:\\nowhere.mdb\"") + '\0' + '\0';
  EXPECT_FALSE(installer.ConfigDataSource(0, 2, "Brivanto No Such Driver (*.mdb)", attributes));
  const auto error = installer.LastError();
  EXPECT_EQ(error.code, 6);  // ODBC_ERROR_COMPONENT_NOT_FOUND
  EXPECT_FALSE(error.message.empty());
}

}  // namespace
}  // namespace brivanto::win32
