// Result columns bound with SQLBindCol into SQL_C_CHAR get the text SQLGetData hands out: in the
// ANSI code page, with the regional decimal separator, cut short with 01004 when the buffer is
// too small. The stand-in fills them itself, a row at a time.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "StandInTestSupport.h"

namespace brivanto::standin::test {
namespace {

constexpr SQLUSMALLINT kColumns = 4;
constexpr SQLLEN kBufferSize = 64;

struct BoundRow {
  std::array<std::array<char, kBufferSize>, kColumns> text{};
  std::array<SQLLEN, kColumns> length{};
};

class StandInBoundColumnsTest : public ::testing::Test {
 protected:
  StandInBoundColumnsTest() {
    SqliteFile(db_.path(), false)
        .Execute(
            "CREATE TABLE tblBound(t text, n integer, d double, m memo);"
            "INSERT INTO tblBound VALUES ('caf\xC3\xA9', 7, 2.5, NULL), (NULL, -3, 0.125, 'x');");
  }

  void Bind(SQLHSTMT statement, BoundRow& row, SQLLEN size = kBufferSize) {
    for (SQLUSMALLINT column = 0; column < kColumns; ++column) {
      ASSERT_EQ(SQLBindCol(statement, column + 1, SQL_C_CHAR, row.text[column].data(), size,
                           &row.length[column]),
                SQL_SUCCESS);
    }
  }

  static std::string Bound(const BoundRow& row, SQLUSMALLINT column) {
    return row.length[column] == SQL_NULL_DATA ? "<null>" : row.text[column].data();
  }

  TempDir dir_;
  ConnectedDatabase db_{dir_.File("Brivanto.mdb")};
};

// What each fetch writes into the buffers is what SQLGetData reads of the same row, and reading
// a bound column with SQLGetData too still gives the whole value.
TEST_F(StandInBoundColumnsTest, BuffersHoldWhatSqlGetDataHandsOut) {
  const std::string sql = "SELECT t, n, d, m FROM tblBound ORDER BY n DESC";
  for (const SQLULEN cursor : {SQL_CURSOR_FORWARD_ONLY, SQL_CURSOR_STATIC}) {
    SCOPED_TRACE(cursor);
    OdbcStatement statement(db_.connection());
    ASSERT_EQ(SQLSetStmtAttr(statement.get(), SQL_ATTR_CURSOR_TYPE,
                             reinterpret_cast<SQLPOINTER>(cursor), 0),
              SQL_SUCCESS);
    BoundRow row;
    Bind(statement.get(), row);
    ASSERT_EQ(statement.Execute(sql), SQL_SUCCESS);
    std::vector<std::string> bound;
    std::vector<std::string> got;
    while (SQLFetch(statement.get()) == SQL_SUCCESS) {
      for (SQLUSMALLINT column = 0; column < kColumns; ++column) {
        bound.push_back(Bound(row, column));
        got.push_back(statement.Text(column + 1));
      }
    }
    const std::vector<std::string> expected = {
        InWindows1252("caf\xC3\xA9"), "7", "2,5", "<null>", "<null>", "-3", "0,125", "x"};
    EXPECT_EQ(bound, expected);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(row.length[0], SQL_NULL_DATA);
  }
}

TEST_F(StandInBoundColumnsTest, ATooSmallBufferIsCutShortWithTheWholeLength) {
  OdbcStatement statement(db_.connection());
  BoundRow row;
  Bind(statement.get(), row, 3);
  ASSERT_EQ(statement.Execute("SELECT t, n, d, m FROM tblBound ORDER BY n DESC"), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(statement.get()), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(Sqlstates(statement.Diagnostics()), std::vector<std::string>{"01004"});
  EXPECT_EQ(std::string(row.text[0].data()), "ca");
  EXPECT_EQ(row.length[0], 4);
  EXPECT_EQ(std::string(row.text[2].data()), "2,");
  EXPECT_EQ(statement.Text(1), InWindows1252("caf\xC3\xA9"));
}

// A rowset is fetched a row at a time into the arrays, and SQLSetPos picks the row SQLGetData
// reads; with a column the SQLite driver fills itself it is refused rather than half filled.
TEST_F(StandInBoundColumnsTest, FillsARowsetIntoArraysOfValues) {
  OdbcStatement statement(db_.connection());
  std::array<std::array<std::array<char, kBufferSize>, 3>, 2> text{};  // column, row
  std::array<std::array<SQLLEN, 3>, 2> length{};
  for (SQLUSMALLINT column = 0; column < 2; ++column) {
    ASSERT_EQ(SQLBindCol(statement.get(), column + 1, SQL_C_CHAR, text[column][0].data(),
                         kBufferSize, length[column].data()),
              SQL_SUCCESS);
  }
  SQLULEN fetched = 0;
  std::array<SQLUSMALLINT, 3> statuses{};
  ASSERT_EQ(SQLSetStmtAttr(statement.get(), SQL_ATTR_ROW_ARRAY_SIZE,
                           reinterpret_cast<SQLPOINTER>(SQLULEN{3}), 0),
            SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtAttr(statement.get(), SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtAttr(statement.get(), SQL_ATTR_ROW_STATUS_PTR, statuses.data(), 0),
            SQL_SUCCESS);
  ASSERT_EQ(statement.Execute("SELECT d, t FROM tblBound ORDER BY n DESC"), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(statement.get()), SQL_SUCCESS);
  EXPECT_EQ(fetched, 2U);
  EXPECT_EQ(statuses,
            (std::array<SQLUSMALLINT, 3>{SQL_ROW_SUCCESS, SQL_ROW_SUCCESS, SQL_ROW_NOROW}));
  EXPECT_EQ((std::vector<std::string>{text[0][0].data(), text[0][1].data(), text[1][0].data()}),
            (std::vector<std::string>{"2,5", "0,125", InWindows1252("caf\xC3\xA9")}));
  EXPECT_EQ(length[1][1], SQL_NULL_DATA);
  ASSERT_EQ(SQLSetPos(statement.get(), 2, SQL_POSITION, SQL_LOCK_NO_CHANGE), SQL_SUCCESS);
  EXPECT_EQ(statement.Text(1), "0,125");
  EXPECT_EQ(SQLFetch(statement.get()), SQL_NO_DATA);

  // Column n is not bound, and the SQLite driver is on the full rowset's last row, not the first.
  ASSERT_EQ(SQLSetStmtAttr(statement.get(), SQL_ATTR_ROW_ARRAY_SIZE,
                           reinterpret_cast<SQLPOINTER>(SQLULEN{2}), 0),
            SQL_SUCCESS);
  ASSERT_EQ(statement.Execute("SELECT d, t, n FROM tblBound ORDER BY n DESC"), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(statement.get()), SQL_SUCCESS);
  ASSERT_EQ(SQLSetPos(statement.get(), 1, SQL_POSITION, SQL_LOCK_NO_CHANGE), SQL_SUCCESS);
  EXPECT_EQ(statement.Text(3), "<error>");
  ASSERT_EQ(SQLFreeStmt(statement.get(), SQL_CLOSE), SQL_SUCCESS);

  SQLINTEGER number = 0;
  ASSERT_EQ(SQLBindCol(statement.get(), 3, SQL_C_SLONG, &number, 0, nullptr), SQL_SUCCESS);
  ASSERT_EQ(statement.Execute("SELECT d, t, n FROM tblBound"), SQL_SUCCESS);
  EXPECT_EQ(SQLFetch(statement.get()), SQL_ERROR);
  const std::vector<std::string> states = Sqlstates(statement.Diagnostics());
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.back(), "HYC00");
}

// Offsets, unbinding and a column rebound from another C type are honoured.
TEST_F(StandInBoundColumnsTest, BindingsFollowTheStatementsSettings) {
  OdbcStatement statement(db_.connection());
  std::array<BoundRow, 2> rows{};
  SQLINTEGER number = 0;
  ASSERT_EQ(SQLBindCol(statement.get(), 1, SQL_C_SLONG, &number, 0, nullptr), SQL_SUCCESS);
  Bind(statement.get(), rows[0]);
  SQLLEN offset = sizeof(BoundRow);
  ASSERT_EQ(SQLSetStmtAttr(statement.get(), SQL_ATTR_ROW_BIND_OFFSET_PTR, &offset, 0), SQL_SUCCESS);
  ASSERT_EQ(statement.Execute("SELECT n, t, d, m FROM tblBound ORDER BY n DESC"), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(statement.get()), SQL_SUCCESS);
  EXPECT_EQ(number, 0);
  EXPECT_EQ(Bound(rows[0], 0), "");
  EXPECT_EQ(Bound(rows[1], 0), "7");
  EXPECT_EQ(rows[1].length[1], 4);

  ASSERT_EQ(SQLFreeStmt(statement.get(), SQL_UNBIND), SQL_SUCCESS);
  rows[1].text[0] = {'-'};
  ASSERT_EQ(SQLFetch(statement.get()), SQL_SUCCESS);
  EXPECT_EQ(Bound(rows[1], 0), "-");
  EXPECT_EQ(statement.Text(1), "-3");
}

}  // namespace
}  // namespace brivanto::standin::test
