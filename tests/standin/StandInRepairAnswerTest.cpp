// What SQLConfigDataSource answers a REPAIR_DB request without a data source name.
// "SQLConfigDataSource (Access Driver)" does not say, so each plausible answer can be chosen.
#include <gtest/gtest.h>
#include <odbcinst.h>

#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "StandInTestSupport.h"

namespace brivanto::standin::test {
namespace {

using namespace std::string_literals;

struct RequestAnswer {
  WORD request;
  bool returns;
  DWORD posted;  // 0: nothing posted
  bool repairs;
};

struct RepairAnswer {
  const char* label;
  std::optional<std::string> setting;  // BRIVANTO_STANDIN_REPAIR_ANSWER
  std::vector<RequestAnswer> answers;
};

void PrintTo(const RepairAnswer& answer, std::ostream* out) {
  *out << answer.label;
}

constexpr DWORD kRefused = ODBC_ERROR_INVALID_REQUEST_TYPE;

bool Configure(WORD request, const std::string& attributes) {
  return SQLConfigDataSource(nullptr, request, "Microsoft Access Driver (*.mdb)",
                             attributes.c_str()) != 0;
}

// With free pages, which a repair leaves none of.
void CreateDatabaseWithFreePages(const std::string& path) {
  CreateSettingsDatabase(path);
  SqliteFile(path).Execute(
      "CREATE TABLE tblLog(text TEXT);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200)"
      "  INSERT INTO tblLog SELECT printf('%0400d', i) FROM n;"
      "DELETE FROM tblLog;");
}

class StandInRepairAnswerTest : public ::testing::TestWithParam<RepairAnswer> {
 protected:
  TempDir dir_;
  const ScopedEnvironment setting_{"BRIVANTO_STANDIN_REPAIR_ANSWER", GetParam().setting};
};

// A DSN keyword beside REPAIR_DB changes nothing: the driver ignores it.
TEST_P(StandInRepairAnswerTest, AnswersEachRequestAsChosen) {
  const std::string database = dir_.File("data.mdb");
  for (const RequestAnswer& answer : GetParam().answers) {
    for (const std::string& prefix : {""s, "DSN=Brivanto\0"s}) {
      SCOPED_TRACE("request " + std::to_string(answer.request) + (prefix.empty() ? "" : ", DSN"));
      CreateDatabaseWithFreePages(database);
      const std::string bytes = ReadBytes(database);

      EXPECT_EQ(Configure(answer.request, prefix + RepairAttributes(database)), answer.returns);

      const InstallerMessage message = InstallerError();
      EXPECT_EQ(message.code, answer.posted) << message.text;
      if (answer.repairs) {
        EXPECT_EQ(SqliteFile(database, false).Query("PRAGMA freelist_count").at(0), "0");
      } else {
        EXPECT_TRUE(ReadBytes(database) == bytes) << "the file changed";
      }
      EXPECT_EQ(ListTree(dir_.path()), std::set<std::string>{"data.mdb"});
      ASSERT_EQ(std::remove(database.c_str()), 0);
    }
  }
}

TEST_P(StandInRepairAnswerTest, ReportsAFailedRepairWhicheverRequestRepairs) {
  for (const RequestAnswer& answer : GetParam().answers) {
    if (!answer.repairs) {
      continue;
    }
    SCOPED_TRACE("request " + std::to_string(answer.request));

    EXPECT_FALSE(Configure(answer.request, RepairAttributes(dir_.File("missing.mdb"))));

    const InstallerMessage message = InstallerError();
    EXPECT_EQ(message.code, static_cast<DWORD>(ODBC_ERROR_REQUEST_FAILED));
    EXPECT_NE(message.text.find("does not exist"), std::string::npos) << message.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, StandInRepairAnswerTest,
    ::testing::Values(
        RepairAnswer{"FalseAfterRepair",
                     std::nullopt,
                     {{ODBC_ADD_DSN, true, 0, true}, {ODBC_CONFIG_DSN, false, 0, true}}},
        RepairAnswer{"FalseAfterRepairWhenAsked",
                     "false-after-repair",
                     {{ODBC_ADD_DSN, true, 0, true}, {ODBC_CONFIG_DSN, false, 0, true}}},
        RepairAnswer{"AddOnly",
                     "add-only",
                     {{ODBC_ADD_DSN, true, 0, true}, {ODBC_CONFIG_DSN, false, kRefused, false}}},
        RepairAnswer{"Config",
                     "config",
                     {{ODBC_ADD_DSN, false, kRefused, false}, {ODBC_CONFIG_DSN, true, 0, true}}},
        RepairAnswer{
            "RefuseBoth",
            "refuse-both",
            {{ODBC_ADD_DSN, false, kRefused, false}, {ODBC_CONFIG_DSN, false, kRefused, false}}}),
    [](const ::testing::TestParamInfo<RepairAnswer>& info) { return info.param.label; });

}  // namespace
}  // namespace brivanto::standin::test
