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
    if (HasFatalFailure()) {
      return;
    }
    file = CreateDatabase(
        {{"Storage", "DocumentPath", "D:\\Docs  "}, {"License", "LoggedOn1", std::nullopt}});
    Open(file);
  }

  Lines Run(const std::string& query) {
    view.query = query;
    form->cmdExecute_Click();
    return view.results.lines;
  }

  fs::path file;
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
            (Lines{kStart, "", " Storage 8 2,5 NULL", " Storage 8 2,5 NULL", "  -2 0,1 x y", " ",
                   "3 records gevonden", "", "", "", kEnd}));
  EXPECT_EQ(Run("select * from t where qty > 100"),
            (Lines{kStart, "", " ", "0 records gevonden", "", "", "", kEnd}));
}

TEST_F(ConsoleEndToEndTest, DoubleQuotedLiteralSelectsLikeASingleQuotedOne) {
  EXPECT_EQ(
      Run("select [Value], [sKey] from tblSettings where [Section] = \"Storage\""),
      (Lines{kStart, "", " D:\\Docs DocumentPath", " ", "1 records gevonden", "", "", "", kEnd}));
}

// The Access driver writes reals in the regional number format: a decimal comma in Dutch.
TEST_F(ConsoleEndToEndTest, ValuesAreListedInTheDriversTextForms) {
  const Lines lines =
      Run("select 7, -3, 123456789012, 2.5, 2.0, 1.0/3, 0.1+0.2, 1e20, true, false, x'00ff41', "
          "date('2024-02-29'), datetime('2024-02-29 13:45:07'), '  a  b  ', '', null");

  ASSERT_EQ(lines.size(), 9U);
  EXPECT_EQ(lines[2],
            " 7 -3 123456789012 2,5 2,0 0,333333333333333 0,3 1,0e+20 1 0 X'00FF41' 2024-02-29 "
            "2024-02-29 13:45:07 a  b  NULL");
}

// The Access driver does not put the record that explains a failure first.
TEST_F(ConsoleEndToEndTest, DriverFailuresEndTheRunAfterTheLinesAlreadyListed) {
  for (const char* records : {"warning-first", "im-first", "single"}) {
    SCOPED_TRACE(records);
    const ScopedEnvironment diagnostics("BRIVANTO_STANDIN_DIAGNOSTICS", records);
    EXPECT_EQ(Run("selec * from tblSettings"),
              (Lines{kStart, "", ProviderFailure("[SQLite]near \"selec\": syntax error (1)")}));
    EXPECT_EQ(Run("delete from nowhere"),
              (Lines{kStart, "", ProviderFailure("[SQLite]no such table: nowhere (1)")}));
  }
}

// The Access driver may report up to twice the length of a text over 510 characters, even with
// SQL_SUCCESS; every value is still listed whole and exact.
TEST_F(ConsoleEndToEndTest, LongTextsAreListedWholeWhateverLengthTheDriverReports) {
  for (const char* length : {"doubled", "exact"}) {
    const ScopedEnvironment reported("BRIVANTO_STANDIN_LONG_TEXT_LENGTH", length);
    for (const std::size_t size : {600U, 3000U, 9000U}) {
      SCOPED_TRACE(std::string(length) + " " + std::to_string(size));
      std::string value;
      for (std::size_t i = 0; value.size() < size; ++i) {
        value += std::to_string(i % 10);
      }
      Run("delete from tblSettings where [sKey] = 'Lang'");
      ASSERT_EQ(Run("insert into tblSettings values ('Storage', 'Lang', '" + value + "')"),
                StatementReport("1"));
      EXPECT_EQ(Run("select [Value] from tblSettings where [sKey] = 'Lang'"),
                (Lines{kStart, "", " " + value, " ", "1 records gevonden", "", "", "", kEnd}));
    }
  }
}

// The Access driver speaks the ANSI code page: what is stored and listed is the text as typed,
// and a text the code page cannot carry is refused rather than stored changed.
TEST_F(ConsoleEndToEndTest, TextsCrossTheDriversCodePageUnchangedOrNotAtAll) {
  const std::string dutch =
      "Co\xC3\xB6peratie Belgi\xC3\xAB \xE2\x82\xAC 5 \xE2\x80\x93 caf\xC3\xA9";
  EXPECT_EQ(Run("insert into tblSettings values ('Storage', 'Plaats', '" + dutch + "')"),
            StatementReport("1"));
  EXPECT_EQ(OdbcTestEnvironment::ReadSettings(file).back().value, dutch);
  EXPECT_EQ(Run("select [Value] from tblSettings where [sKey] = 'Plaats'"),
            (Lines{kStart, "", " " + dutch, " ", "1 records gevonden", "", "", "", kEnd}));
  EXPECT_EQ(Run("delete from caf\xC3\xA9"),
            (Lines{kStart, "", ProviderFailure("[SQLite]no such table: caf\xC3\xA9 (1)")}));

  const std::string chinese = "select '\xE6\xBC\xA2\xE5\xAD\x97'";
  EXPECT_EQ(Run(chinese),
            (Lines{kStart, "",
                   ProviderFailure(
                       "De tekst bevat tekens die het Access-stuurprogramma niet kan lezen: " +
                       chinese)}));
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
