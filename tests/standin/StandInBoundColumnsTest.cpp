// Result columns bound with SQLBindCol into SQL_C_CHAR get the text SQLGetData hands out: in the
// ANSI code page, with the regional decimal separator, cut short with 01004 when the buffer is
// too small. The stand-in fills them itself, one row per fetch.
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

// The stand-in fills one row per fetch; a rowset of more is refused rather than filled in part.
// Offsets, unbinding and a column rebound from another C type are honoured.
TEST_F(StandInBoundColumnsTest, BindingsFollowTheStatementsSettings) {
  OdbcStatement statement(db_.connection());
  std::array<BoundRow, 2> rows{};
  SQLINTEGER number = 0;
  ASSERT_EQ(SQLBindCol(statement.get(), 1, SQL_C_SLONG, &number, 0, nullptr), SQL_SUCCESS);
  Bind(statement.get(), rows[0]);
  ASSERT_EQ(SQLSetStmtAttr(statement.get(), SQL_ATTR_ROW_ARRAY_SIZE,
                           reinterpret_cast<SQLPOINTER>(SQLULEN{2}), 0),
            SQL_SUCCESS);
  ASSERT_EQ(statement.Execute("SELECT n, t, d, m FROM tblBound ORDER BY n DESC"), SQL_SUCCESS);
  EXPECT_EQ(SQLFetch(statement.get()), SQL_ERROR);
  EXPECT_EQ(Sqlstates(statement.Diagnostics()).back(), "HYC00");

  ASSERT_EQ(SQLSetStmtAttr(statement.get(), SQL_ATTR_ROW_ARRAY_SIZE,
                           reinterpret_cast<SQLPOINTER>(SQLULEN{1}), 0),
            SQL_SUCCESS);
  SQLLEN offset = sizeof(BoundRow);
  ASSERT_EQ(SQLSetStmtAttr(statement.get(), SQL_ATTR_ROW_BIND_OFFSET_PTR, &offset, 0), SQL_SUCCESS);
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
