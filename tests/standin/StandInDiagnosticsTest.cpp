// The records of a failure, as the application reads them through unixODBC: the Access driver's
// first record is not the one that explains the failure ("Sequence of Status Records").
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "StandInTestSupport.h"

namespace brivanto::standin::test {
namespace {

struct Prelude {
  const char* label;
  std::optional<std::string> setting;  // BRIVANTO_STANDIN_DIAGNOSTICS
  std::vector<std::string> sqlstates;  // the records before the explaining ones
};

void PrintTo(const Prelude& prelude, std::ostream* out) {
  *out << prelude.label;
}

class StandInFailureRecordsTest : public ::testing::TestWithParam<Prelude> {
 protected:
  std::vector<std::string> Expected(const std::string& explaining) const {
    std::vector<std::string> states = GetParam().sqlstates;
    states.push_back(explaining);
    return states;
  }

  TempDir dir_;
  const ScopedEnvironment setting_{"BRIVANTO_STANDIN_DIAGNOSTICS", GetParam().setting};
};

// SQLGetDiagRec, SQL_DIAG_NUMBER and SQL_DIAG_SQLSTATE of each record agree; returns the records.
std::vector<DiagnosticRecord> ConsistentRecords(SQLSMALLINT type, SQLHANDLE handle) {
  std::vector<DiagnosticRecord> records = AllDiagnostics(type, handle);
  SQLINTEGER count = -1;
  EXPECT_EQ(SQLGetDiagField(type, handle, 0, SQL_DIAG_NUMBER, &count, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(count, static_cast<SQLINTEGER>(records.size()));
  for (SQLSMALLINT number = 1; number <= static_cast<SQLSMALLINT>(records.size()); ++number) {
    std::array<char, 6> sqlstate{};
    SQLSMALLINT length = 0;
    EXPECT_EQ(SQLGetDiagField(type, handle, number, SQL_DIAG_SQLSTATE, sqlstate.data(),
                              sqlstate.size(), &length),
              SQL_SUCCESS);
    EXPECT_EQ(sqlstate.data(), records[number - 1].sqlstate);
  }
  return records;
}

TEST_P(StandInFailureRecordsTest, PutTheExplainingRecordLastWhenAStatementFails) {
  ConnectedDatabase db(dir_.File("Brivanto.mdb"));
  SqliteFile(db.path(), false).Execute("CREATE TABLE tblNotes(Notes memo)");
  OdbcStatement statement(db.connection());

  ASSERT_EQ(statement.Execute("selec 1"), SQL_ERROR);
  std::vector<DiagnosticRecord> records = ConsistentRecords(SQL_HANDLE_STMT, statement.get());
  EXPECT_EQ(Sqlstates(records), Expected("HY000"));
  EXPECT_NE(records.back().message.find("[SQLite]near \"selec\": syntax error"), std::string::npos)
      << records.back().message;

  ASSERT_EQ(statement.Execute("SELECT * FROM tblNotes WHERE Notes = 'x'"), SQL_ERROR);
  records = ConsistentRecords(SQL_HANDLE_STMT, statement.get());
  EXPECT_EQ(Sqlstates(records), Expected("HY000"));
  EXPECT_EQ(records.back().native_error, 1101);

  ASSERT_EQ(statement.Execute("SELECT 1"), SQL_SUCCESS);
  EXPECT_TRUE(statement.Diagnostics().empty());
}

TEST_P(StandInFailureRecordsTest, PutTheExplainingRecordLastWhenAConnectionFunctionFails) {
  ConnectedDatabase db(dir_.File("Brivanto.mdb"));
  std::array<char, 64> value{};
  SQLSMALLINT length = 0;
  constexpr SQLUSMALLINT kNoSuchInformation = 9999;

  ASSERT_EQ(
      SQLGetInfo(db.connection().get(), kNoSuchInformation, value.data(), value.size(), &length),
      SQL_ERROR);
  EXPECT_EQ(Sqlstates(ConsistentRecords(SQL_HANDLE_DBC, db.connection().get())), Expected("HYC00"));
}

// On a failed connect unixODBC reads the records through SQLError, once each, and orders them by
// SQLSTATE, highest first, whatever order the driver gave them in.
TEST_P(StandInFailureRecordsTest, ReachTheApplicationInUnixOdbcsOrderWhenConnectingFails) {
  std::vector<std::string> expected = Expected("HY000");
  std::sort(expected.begin(), expected.end(), std::greater<>());
  const OdbcEnvironment environment;
  OdbcConnection connection(environment);

  ASSERT_EQ(connection.Connect(AccessConnectionText(dir_.File("gone.mdb"))), SQL_ERROR);

  const std::vector<DiagnosticRecord> records = ConsistentRecords(SQL_HANDLE_DBC, connection.get());
  EXPECT_EQ(Sqlstates(records), expected);
  const auto explaining = std::find_if(records.begin(), records.end(), [](const auto& record) {
    return record.native_error == 1002;
  });
  EXPECT_NE(explaining, records.end());
  std::vector<std::string> through_sqlerror;
  std::array<SQLCHAR, 6> sqlstate{};
  std::array<SQLCHAR, 512> message{};
  SQLINTEGER native_error = 0;
  SQLSMALLINT length = 0;
  while (
      SQL_SUCCEEDED(SQLError(environment.get(), connection.get(), SQL_NULL_HSTMT, sqlstate.data(),
                             &native_error, message.data(), message.size(), &length))) {
    through_sqlerror.emplace_back(reinterpret_cast<const char*>(sqlstate.data()));
  }
  EXPECT_EQ(through_sqlerror, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, StandInFailureRecordsTest,
    ::testing::Values(Prelude{"WarningFirst", std::nullopt, {"01000"}},
                      Prelude{"WarningFirstWhenAsked", "warning-first", {"01000"}},
                      Prelude{"ImFirst", "im-first", {"IM006", "01000"}},
                      Prelude{"Single", "single", {}}),
    [](const ::testing::TestParamInfo<Prelude>& info) { return info.param.label; });

}  // namespace
}  // namespace brivanto::standin::test
