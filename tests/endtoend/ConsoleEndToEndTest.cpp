#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "RealDatabaseWindow.h"
#include "ports/Failure.h"

namespace brivanto::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr const char* kStart = "Start Query 14:05:09";
constexpr const char* kEnd = "Einde Query 14:05:09 (0 milliseconden)";
constexpr const char* kDone = "Query met goed gevolg uitgevoerd";

Lines StatementReport(const std::string& affectedCount) {
  return {kStart, "", " ", kDone, "Aantal rijen bewerkt: " + affectedCount, "", "", kEnd};
}

std::string ProviderFailure(const std::string& description) {
  return std::to_string(failure_codes::kProviderError) + " " + description;
}

// The SQL console over the real database; the report lines are exact.
class ConsoleEndToEndTest : public RealDatabaseWindow {
 protected:
  void SetUp() override {
    RealDatabaseWindow::SetUp();
    if (IsSkipped()) {
      return;
    }
    Open(CreateDatabase(
        {{"Storage", "DocumentPath", "D:\\Docs  "}, {"License", "LoggedOn1", std::nullopt}}));
  }

  Lines Run(const std::string& query) {
    view.query = query;
    form->cmdExecute_Click();
    return view.results.lines;
  }
};

TEST_F(ConsoleEndToEndTest, StatementsChangeTheFileAndQueriesListWhatTheyChanged) {
  EXPECT_EQ(Run("create table t (name text, qty integer, price real, note text)"),
            StatementReport("0"));
  EXPECT_EQ(Run("insert into t values (\"  Storage  \", 7, 2.5, null)"), StatementReport("1"));
  EXPECT_EQ(Run("insert into t values ('', -3, 0.1, 'x y ')"), StatementReport("1"));
  EXPECT_EQ(Run("update t set qty = qty + 1"), StatementReport("2"));
  EXPECT_EQ(Run("insert into t select * from t where qty > 0"),
            (Lines{kStart, "", " ", kDone, "", "", kEnd}));

  EXPECT_EQ(Run("SELECT * FROM t ORDER BY qty DESC"),
            (Lines{kStart, "", " Storage 8 2.5 NULL", " Storage 8 2.5 NULL", "  -2 0.1 x y", " ",
                   "3 records gevonden", "", "", "", kEnd}));
  EXPECT_EQ(Run("select * from t where qty > 100"),
            (Lines{kStart, "", " ", "0 records gevonden", "", "", "", kEnd}));
}

TEST_F(ConsoleEndToEndTest, DoubleQuotedLiteralSelectsLikeASingleQuotedOne) {
  EXPECT_EQ(
      Run("select [Value], [sKey] from tblSettings where [Section] = \"Storage\""),
      (Lines{kStart, "", " D:\\Docs DocumentPath", " ", "1 records gevonden", "", "", "", kEnd}));
}

TEST_F(ConsoleEndToEndTest, ValuesAreListedInTheDriversTextForms) {
  const Lines lines =
      Run("select 7, -3, 123456789012, 2.5, 2.0, 1.0/3, 0.1+0.2, 1e20, true, false, x'00ff41', "
          "date('2024-02-29'), datetime('2024-02-29 13:45:07'), '  a  b  ', '', null");

  ASSERT_EQ(lines.size(), 9U);
  EXPECT_EQ(lines[2],
            " 7 -3 123456789012 2.5 2.0 0.333333333333333 0.3 1.0e+20 1 0 X'00FF41' 2024-02-29 "
            "2024-02-29 13:45:07 a  b  NULL");
}

TEST_F(ConsoleEndToEndTest, DriverFailuresEndTheRunAfterTheLinesAlreadyListed) {
  EXPECT_EQ(Run("selec * from tblSettings"),
            (Lines{kStart, "", ProviderFailure("[SQLite]near \"selec\": syntax error (1)")}));
  EXPECT_EQ(Run("delete from nowhere"),
            (Lines{kStart, "", ProviderFailure("[SQLite]no such table: nowhere (1)")}));
}

TEST_F(ConsoleEndToEndTest, FileThatCannotBeOpenedLeavesAConnectionTheConsoleCannotUse) {
  Open(environment.WorkDirectory() / "ontbreekt.mdb");

  const Lines lines = Run("select * from tblSettings");

  ASSERT_EQ(lines.size(), 3U);
  EXPECT_EQ(lines[0], kStart);
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2].substr(0, 5), std::to_string(failure_codes::kConnectionNotOpen) + " ");
}

}  // namespace
}  // namespace brivanto::testing
