#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/frmRepairDb.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kStart = "Start Query 14:05:09";
constexpr const char* kEnd = "Einde Query 14:05:11 (250 milliseconden)";
constexpr const char* kDone = "Query met goed gevolg uitgevoerd";

class ConsoleRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakes.fileSystem.allFilesExist = true;
    view.path = "C:\\data\\BrivantoDb.mdb";
    form.txtPath_Change();
  }

  Lines Run(const std::string& query,
            std::pair<std::uint32_t, std::uint32_t> ticks = {1000, 1250}) {
    fakes.clock.script = {{2026, 12, 8, 14, 5, 9}, {2026, 12, 8, 14, 5, 11}};
    fakes.ticks.script = {ticks.first, ticks.second};
    view.query = query;
    form.cmdExecute_Click();
    return view.results.lines;
  }
  void Script(const std::string& sql, FakeTable table) {
    fakes.database.state.results[sql] = std::move(table);
  }
  void Break(const std::string& sql, FakeReadFault fault) {
    fakes.database.state.readFaults.emplace(sql, std::move(fault));
  }
  const std::string& LastSql() const { return fakes.database.state.executed.back().sql; }

  FakeServices fakes;
  FakeView view;
  app::frmRepairDb form{view, fakes.Bundle()};
};

TEST_F(ConsoleRunTest, OpenResultListsTrimmedRowsThenCountAndEnd) {
  Script("select * from tblSettings", {{"Section", "sKey", "Value", "Note"},
                                       {{"Storage", "DocumentPath", "  D:\\Docs  ", std::nullopt},
                                        {"7", "", " inner  spaces ", "\ttab "}}});
  Script("select * from empty", {{"a", "b"}, {}});

  EXPECT_EQ(Run("select * from tblSettings"),
            (Lines{kStart, "", " Storage DocumentPath D:\\Docs NULL", " 7  inner  spaces \ttab",
                   " ", "2 records gevonden", "", "", "", kEnd}));
  EXPECT_EQ(fakes.database.state.recordsetOptions.back(),
            std::make_pair(ports::CursorType::ForwardOnly, ports::LockType::ReadOnly));
  EXPECT_EQ(Run("select * from empty"),
            (Lines{kStart, "", " ", "0 records gevonden", "", "", "", kEnd}));
}

TEST_F(ConsoleRunTest, StatementsContainingSelectWithoutOpenResultListOnlyTheDoneLine) {
  fakes.database.state.affected["insert into a select * from b"] = 3;

  EXPECT_EQ(Run("insert into a select * from b"), (Lines{kStart, "", " ", kDone, "", "", kEnd}));
  EXPECT_EQ(Run("update t set a = 'Deselected'"), (Lines{kStart, "", " ", kDone, "", "", kEnd}));
}

TEST_F(ConsoleRunTest, StatementPathListsTheAffectedCountOrZero) {
  fakes.database.state.affected["delete from t"] = 4;

  EXPECT_EQ(Run("delete from t"),
            (Lines{kStart, "", " ", kDone, "Aantal rijen bewerkt: 4", "", "", kEnd}));
  EXPECT_EQ(Run("create table t (a int)"),
            (Lines{kStart, "", " ", kDone, "Aantal rijen bewerkt: 0", "", "", kEnd}));
}

TEST_F(ConsoleRunTest, OnlyTheEmptyTextIsNotRunAndSpacesAreSentAsTheyAre) {
  view.results.Append("earlier");
  const auto executedBefore = fakes.database.state.executed.size();

  EXPECT_EQ(Run(""), (Lines{"earlier"}));
  EXPECT_EQ(fakes.database.state.executed.size(), executedBefore);

  EXPECT_EQ(Run("   "), (Lines{kStart, "", " ", kDone, "Aantal rijen bewerkt: 0", "", "", kEnd}));
  EXPECT_EQ(LastSql(), "   ");
}

TEST_F(ConsoleRunTest, DoubleQuotesAreSentAsSingleQuotesAndTheQueryBoxKeepsThem) {
  Run("update [a\"b] set a = \"x\" where b = 'it\"s'\r\n");

  EXPECT_EQ(LastSql(), "update [a'b] set a = 'x' where b = 'it's'\r\n");
  EXPECT_EQ(view.query, "update [a\"b] set a = \"x\" where b = 'it\"s'\r\n");
}

TEST_F(ConsoleRunTest, RejectedStatementListsItsFailureInsteadOfTheRest) {
  fakes.database.state.failures.emplace(
      "selec * from t", Failure(-2147467259, "[SQLite]near \"selec\": syntax error (1)"));

  EXPECT_EQ(Run("selec * from t"),
            (Lines{kStart, "", "-2147467259 [SQLite]near \"selec\": syntax error (1)"}));
}

TEST_F(ConsoleRunTest, FailureWhileReadingKeepsTheRowsAlreadyListed) {
  const FakeTable table{{"a", "b"}, {{"1", "x"}, {"2", "y"}, {"3", "z"}}};
  Script("select * from t", table);
  Break("select * from t",
        {.failure = Failure(-2147217887, "Geen tekstvorm"), .row = 1, .field = 1});
  Script("SELECT * FROM t", table);
  Break("SELECT * FROM t", {.failure = Failure(-2147467259, "fetch failed"),
                            .row = 1,
                            .field = std::nullopt,
                            .onMoveNext = true});

  EXPECT_EQ(Run("select * from t"), (Lines{kStart, "", " 1 x", "-2147217887 Geen tekstvorm"}));
  EXPECT_EQ(Run("SELECT * FROM t"),
            (Lines{kStart, "", " 1 x", " 2 y", "-2147467259 fetch failed"}));
}

TEST_F(ConsoleRunTest, NullFoundOnlyWhileTurnedIntoTextIsListedAndTheRowGoesOn) {
  Script("select a, b, c from t", {{"a", "b", "c"}, {{"1", "x", "y"}, {"2", "z", "w"}}});
  Break("select a, b, c from t",
        {.failure = Failure(94, "Ongeldig gebruik van Null"), .row = 0, .field = 1});

  EXPECT_EQ(Run("select a, b, c from t"), (Lines{kStart, "", " 1 NULL y", " 2 z w", " ",
                                                 "2 records gevonden", "", "", "", kEnd}));
}

TEST_F(ConsoleRunTest, WithoutAnOpenDatabaseTheFailureFollowsTheStartLines) {
  FakeServices services;
  FakeView window;
  app::frmRepairDb fresh(window, services.Bundle());
  window.query = "select * from tblSettings";
  fresh.cmdExecute_Click();

  EXPECT_EQ(window.results.lines, (Lines{kStart, "", "91 Er is geen database geopend"}));
}

TEST_F(ConsoleRunTest, EndLineIsListedWhenTheTickCounterWrapsDuringTheRun) {
  EXPECT_EQ(Run("delete from t", {0x7FFFFFFFU, 0x80000000U}).back(),
            "Einde Query 14:05:11 (1 milliseconden)");
  EXPECT_EQ(Run("delete from t", {0xFFFFFFFEU, 3U}).back(),
            "Einde Query 14:05:11 (5 milliseconden)");
}

}  // namespace
}  // namespace brivanto::testing
