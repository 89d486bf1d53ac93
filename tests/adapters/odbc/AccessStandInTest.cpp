#include <gtest/gtest.h>

#include "AccessDriver.h"
#include "OdbcTestEnvironment.h"
#include "Windows1252.h"

namespace brivanto::odbc {
namespace {

const ports::RowKey kSettingsKey{"tblSettings", {"Section", "sKey"}};

using testing::OdbcTestEnvironment;

// The same layer against the stand-in for the Access driver, which forwards to SQLite, in the
// driver's code page as the program reaches it.
class AccessStandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OdbcTestEnvironment::AccessStandInBuilt()) {
      GTEST_FAIL() << "the Access stand-in driver (brivanto-access-odbc) is not built";
    }
    connection_ = access_.database.CreateConnection();
    connection_->Open(OdbcTestEnvironment::AccessConnectionText(file_));
  }

  OdbcTestEnvironment environment_;
  std::filesystem::path file_ = environment_.CreateSettingsDatabase(
      "settings.mdb", {{"Storage", "DocumentPath", "C:\\Docs"}, {"Users", "LoggedOn", ""}});
  Windows1252 codePage_;
  AccessDriver access_{codePage_};
  std::unique_ptr<ports::Connection> connection_;
};

TEST_F(AccessStandInTest, ReadsSettingsByDbq) {
  const auto recordset = connection_->Execute(
      "Select * from tblSettings where [Section] = 'Storage' and [sKey] = 'DocumentPath'");

  ASSERT_FALSE(recordset->Eof());
  EXPECT_EQ(recordset->Field("Value"), "C:\\Docs");
  EXPECT_EQ(recordset->RecordCount(), 1);
}

TEST_F(AccessStandInTest, DriverDiagnosticsComeThrough) {
  try {
    connection_->Execute("selec * from tblSettings");
    FAIL() << "no Failure was thrown";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Number(), failure_codes::kProviderError);
    EXPECT_NE(failure.Description().find("near \"selec\": syntax error"), std::string::npos)
        << failure.Description();
  }
}

TEST_F(AccessStandInTest, ParametersAndUpdateFieldWriteThrough) {
  EXPECT_EQ(connection_->ExecuteWithParameters(
                "Insert into tblSettings ([Section],[sKey] ,[Value]) Values('Storage' ,'Other',?)",
                {"O'Brien ë"}),
            1);
  const auto settings = connection_->OpenRecordset(
      "Select * from tblSettings where [Section] = 'Storage' and [sKey] = 'DocumentPath'",
      ports::CursorType::Dynamic, ports::LockType::Optimistic);
  settings->UpdateField("Value", "D:\\New", kSettingsKey);

  const auto rows = OdbcTestEnvironment::ReadSettings(file_);
  ASSERT_EQ(rows.size(), 3U);
  EXPECT_EQ(rows[0].value, "D:\\New");
  EXPECT_EQ(rows[2].value, "O'Brien ë");
}

// Short columns before the first memo are bound, the rest read piece by piece; a short column
// that holds more than its declared length (SQLite keeps whatever it is given) is read again.
TEST_F(AccessStandInTest, EveryColumnArrivesWholeWhereverTheMemosStand) {
  const std::string memo(5000, 'm');
  const std::string overlong = std::string(3000, 't') + "ë";
  connection_->Execute("CREATE TABLE tblMixed (t text(20), m memo, n integer, d double)");
  connection_->ExecuteWithParameters("INSERT INTO tblMixed VALUES (?, ?, 7, 2.5)",
                                     {overlong, memo});
  connection_->Execute("INSERT INTO tblMixed VALUES ('kort', NULL, NULL, -1.5)");
  const std::vector<std::vector<ports::FieldValue>> expected = {
      {overlong, memo, "7", "2,5"}, {"kort", std::nullopt, std::nullopt, "-1,5"}};
  for (const char* columns : {"t, m, n, d", "m, t, n, d", "n, d, t, m"}) {
    SCOPED_TRACE(columns);
    const std::string order(columns);
    const auto recordset =
        connection_->OpenRecordset("SELECT " + order + " FROM tblMixed ORDER BY d DESC",
                                   ports::CursorType::ForwardOnly, ports::LockType::ReadOnly);
    for (const auto& row : expected) {
      ASSERT_FALSE(recordset->Eof());
      for (const char name : {'t', 'm', 'n', 'd'}) {
        EXPECT_EQ(recordset->Field(std::string(1, name)), row[std::string("tmnd").find(name)]);
      }
      recordset->MoveNext();
    }
    EXPECT_TRUE(recordset->Eof());
  }
}

}  // namespace
}  // namespace brivanto::odbc
