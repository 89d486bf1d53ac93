// Results as the Access driver describes and hands them out, through the driver manager: Jet's
// column types, lengths of long text, float texts, row counts, base names and cursors.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "StandInTestSupport.h"

namespace brivanto::standin::test {
namespace {

SQLLEN NumberAttribute(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT field) {
  SQLLEN number = -999;
  EXPECT_TRUE(
      SQL_SUCCEEDED(SQLColAttribute(statement, column, field, nullptr, 0, nullptr, &number)));
  return number;
}

std::string TextAttribute(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT field) {
  std::array<char, 256> text{};
  SQLSMALLINT length = 0;
  EXPECT_TRUE(SQL_SUCCEEDED(
      SQLColAttribute(statement, column, field, text.data(), text.size(), &length, nullptr)));
  return text.data();
}

SQLHDESC RowDescriptor(SQLHSTMT statement) {
  SQLHDESC descriptor = SQL_NULL_HDESC;
  EXPECT_EQ(SQLGetStmtAttr(statement, SQL_ATTR_IMP_ROW_DESC, &descriptor, 0, nullptr), SQL_SUCCESS);
  return descriptor;
}

class StandInJetTest : public ::testing::Test {
 protected:
  void AddRow(const std::string& values) {
    SqliteFile(db_.path(), false).Execute("INSERT INTO tblSettings VALUES (" + values + ")");
  }

  TempDir dir_;
  ConnectedDatabase db_{dir_.File("Brivanto.mdb")};
};

struct LongText {
  const char* label;
  std::optional<std::string> setting;  // BRIVANTO_STANDIN_LONG_TEXT_LENGTH
  std::string value;                   // UTF-8
  bool doubled;
};

void PrintTo(const LongText& text, std::ostream* out) {
  *out << text.label;
}

class StandInLongTextTest : public StandInJetTest,
                            public ::testing::WithParamInterface<LongText> {};

std::string Repeated(const std::string& part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) {
    text += part;
  }
  return text;
}

// Read through a small buffer, every piece but the last is cut short with 01004 and NUL-ended;
// the length each piece reports is that of what is left, twice over for text of more than 510
// characters: characters of the code page, not the UTF-8 bytes SQLite keeps.
TEST_P(StandInLongTextTest, ReportsTheLengthOfWhatIsLeftOfEachPiece) {
  const ScopedEnvironment setting("BRIVANTO_STANDIN_LONG_TEXT_LENGTH", GetParam().setting);
  AddRow("'Long', 'Text', '" + GetParam().value + "'");
  OdbcStatement statement(db_.connection());
  ASSERT_EQ(statement.Execute("SELECT Value FROM tblSettings WHERE sKey = 'Text'"), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(statement.get()), SQL_SUCCESS);
  const std::string expected = InWindows1252(GetParam().value);
  const SQLLEN factor = GetParam().doubled ? 2 : 1;

  std::string read;
  SQLRETURN rc = SQL_SUCCESS_WITH_INFO;
  while (rc == SQL_SUCCESS_WITH_INFO) {
    std::array<char, 200> piece{};
    piece.fill('#');
    SQLLEN indicator = 0;
    rc = SQLGetData(statement.get(), 1, SQL_C_CHAR, piece.data(), piece.size(), &indicator);
    ASSERT_TRUE(SQL_SUCCEEDED(rc));
    EXPECT_EQ(indicator, factor * static_cast<SQLLEN>(expected.size() - read.size()));
    if (rc == SQL_SUCCESS_WITH_INFO) {
      EXPECT_EQ(Sqlstates(statement.Diagnostics()), std::vector<std::string>{"01004"});
      EXPECT_EQ(std::strlen(piece.data()), piece.size() - 1);
    }
    read += piece.data();
  }
  EXPECT_TRUE(read == expected);
  std::array<char, 8> after{};
  SQLLEN indicator = 0;
  EXPECT_EQ(SQLGetData(statement.get(), 1, SQL_C_CHAR, after.data(), after.size(), &indicator),
            SQL_NO_DATA);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, StandInLongTextTest,
    ::testing::Values(
        LongText{"DoubledAbove510", std::nullopt, Repeated("é", 255) + Repeated("x", 256), true},
        LongText{"ExactAt510", std::nullopt, Repeated("é", 255) + Repeated("x", 255), false},
        LongText{"DoubledWhenAsked", "doubled", Repeated("x", 511), true},
        LongText{"ExactWhenAsked", "exact", Repeated("é", 600), false}),
    [](const ::testing::TestParamInfo<LongText>& info) { return info.param.label; });

struct JetType {
  const char* declared;
  SQLSMALLINT type;
  SQLULEN size;
  const char* type_name;
  SQLLEN searchable;
};

// "TEXT" without a size is Jet's short Text; only the Memo types are long, and unsearchable.
TEST_F(StandInJetTest, DescribesTextColumnsAsJetDoes) {
  const std::vector<JetType> types = {
      {"text", SQL_VARCHAR, 255, "VARCHAR", SQL_SEARCHABLE},
      {"TEXT ( 12 )", SQL_VARCHAR, 12, "VARCHAR", SQL_SEARCHABLE},
      {"varchar(20)", SQL_VARCHAR, 20, "VARCHAR", SQL_SEARCHABLE},
      {"char(5)", SQL_VARCHAR, 5, "VARCHAR", SQL_SEARCHABLE},
      {"memo", SQL_LONGVARCHAR, 1073741823, "LONGCHAR", SQL_PRED_NONE},
      {"longtext", SQL_LONGVARCHAR, 1073741823, "LONGCHAR", SQL_PRED_NONE},
      {"LongChar", SQL_LONGVARCHAR, 1073741823, "LONGCHAR", SQL_PRED_NONE},
      {"note", SQL_LONGVARCHAR, 1073741823, "LONGCHAR", SQL_PRED_NONE},
      {"integer", SQL_INTEGER, 10, "INTEGER", SQL_SEARCHABLE},
  };
  std::string columns;
  for (size_t i = 0; i < types.size(); ++i) {
    columns += (i > 0 ? ", c" : "c") + std::to_string(i) + " " + types[i].declared;
  }
  SqliteFile(db_.path(), false).Execute("CREATE TABLE tblTypes(" + columns + ")");
  OdbcStatement statement(db_.connection());
  ASSERT_EQ(statement.Execute("SELECT * FROM tblTypes"), SQL_SUCCESS);
  const SQLHDESC row = RowDescriptor(statement.get());

  for (std::size_t index = 0; index < types.size(); ++index) {
    const auto column = static_cast<SQLUSMALLINT>(index + 1);
    const JetType& expected = types[index];
    SCOPED_TRACE(expected.declared);
    std::array<SQLCHAR, 64> name{};
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    ASSERT_EQ(SQLDescribeCol(statement.get(), column, name.data(), name.size(), nullptr, &type,
                             &size, nullptr, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(type, expected.type);
    EXPECT_EQ(size, expected.size);
    EXPECT_EQ(NumberAttribute(statement.get(), column, SQL_DESC_CONCISE_TYPE), expected.type);
    EXPECT_EQ(NumberAttribute(statement.get(), column, SQL_DESC_LENGTH),
              static_cast<SQLLEN>(expected.size));
    EXPECT_EQ(TextAttribute(statement.get(), column, SQL_DESC_TYPE_NAME), expected.type_name);
    EXPECT_EQ(NumberAttribute(statement.get(), column, SQL_DESC_SEARCHABLE), expected.searchable);
    SQLLEN odbc2_type = 0;
    EXPECT_EQ(SQLColAttributes(statement.get(), column, SQL_COLUMN_TYPE, nullptr, 0, nullptr,
                               &odbc2_type),
              SQL_SUCCESS);
    EXPECT_EQ(odbc2_type, expected.type);
    SQLSMALLINT searchable = -1;
    EXPECT_EQ(SQLGetDescField(row, column, SQL_DESC_SEARCHABLE, &searchable, 0, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(searchable, expected.searchable);
  }
}

struct MemoStatement {
  const char* sql;
  bool refused;
};

// A WHERE clause may not name a Memo column of a table the statement uses, in any spelling;
// elsewhere, in a literal, or of another table, the name is harmless.
TEST_F(StandInJetTest, RefusesToCompareAMemoField) {
  SqliteFile(db_.path(), false)
      .Execute(
          "CREATE TABLE tblNotes(id integer, Title text, Notes memo);"
          "CREATE TABLE tblOther(id integer, Notes text);"
          "INSERT INTO tblNotes VALUES (1, 'first', 'remember');");
  const std::vector<MemoStatement> statements = {
      {"SELECT id FROM tblNotes WHERE Notes = 'remember'", true},
      {"SELECT id FROM tblNotes WHERE id = 1 AND [tblNotes].[nOTES] LIKE 'rem%'", true},
      {"UPDATE tblNotes SET Title = 'x' WHERE (id = 1 OR notes IS NULL)", true},
      {"SELECT Notes FROM tblNotes WHERE Title = 'Notes' ORDER BY Notes", false},
      {"SELECT id FROM tblOther WHERE Notes = 'remember'", false},
      {"SELECT id FROM tblNotes WHERE id IN (SELECT id FROM tblOther) ORDER BY Notes", false},
  };
  for (const MemoStatement& memo : statements) {
    SCOPED_TRACE(memo.sql);
    for (const bool prepared : {false, true}) {
      OdbcStatement statement(db_.connection());
      const SQLRETURN rc = prepared ? statement.Prepare(memo.sql) : statement.Execute(memo.sql);
      ASSERT_EQ(rc, memo.refused ? SQL_ERROR : SQL_SUCCESS);
      if (memo.refused) {
        const DiagnosticRecord reason = statement.Diagnostics().back();
        EXPECT_EQ(reason.sqlstate, "HY000");
        EXPECT_NE(reason.message.find("Memo field 'Notes' cannot be compared"), std::string::npos)
            << reason.message;
      }
    }
  }
  const ScopedEnvironment compare("BRIVANTO_STANDIN_MEMO_COMPARE", "compare");
  EXPECT_EQ(db_.connection().Query(statements[0].sql), std::vector<std::string>{"1"});
}

struct FloatText {
  std::optional<std::string> setting;  // BRIVANTO_STANDIN_DECIMAL_SEPARATOR
  std::vector<std::string> expected;
};

// The text of a float follows the Dutch number format, so it does not compare equal to the
// value written with a point; other columns keep their points.
TEST_F(StandInJetTest, WritesFloatsWithTheRegionalDecimalSeparator) {
  SqliteFile(db_.path(), false)
      .Execute(
          "CREATE TABLE tblAmounts(d double, f float, r real, t text);"
          "INSERT INTO tblAmounts VALUES (1.5, 2.25, 0.125, '3.5');");
  for (const FloatText& floats : {FloatText{std::nullopt, {"1,5|2,25|0,125|3.5", "0"}},
                                  FloatText{"comma", {"1,5|2,25|0,125|3.5", "0"}},
                                  FloatText{"point", {"1.5|2.25|0.125|3.5", "1"}}}) {
    SCOPED_TRACE(floats.setting.value_or("unset"));
    const ScopedEnvironment setting("BRIVANTO_STANDIN_DECIMAL_SEPARATOR", floats.setting);
    const std::vector<std::string> rows =
        db_.connection().Query("SELECT d, f, r, t FROM tblAmounts");
    ASSERT_EQ(rows.size(), 1U);
    const std::string d = rows[0].substr(0, rows[0].find('|'));
    EXPECT_EQ((std::vector<std::string>{
                  rows[0], db_.connection().Query("SELECT count(*) FROM tblAmounts WHERE d = '" +
                                                  d + "'")[0]}),
              floats.expected);
  }
}

// A column without a declared type takes the type of its first value under a static cursor; the
// SQLite driver does not say so under a forward-only one, yet its floats must read the same.
TEST_F(StandInJetTest, WritesUntypedFloatsAlikeThroughEitherCursor) {
  SqliteFile(db_.path(), false)
      .Execute(
          "CREATE TABLE tblMixed(d double, u, v varchar);"
          "INSERT INTO tblMixed VALUES (1.5, 2.5, '0.5'), (2, '4.5', '1.5');");
  const std::string sql =
      "SELECT d * 2, u, u AS w, v, CASE WHEN d < 2 THEN 7 ELSE 2.5 END,"
      " CASE WHEN d < 2 THEN NULL ELSE 2.5 END, 1.5 FROM tblMixed ORDER BY d";
  for (const SQLULEN cursor : {SQL_CURSOR_STATIC, SQL_CURSOR_FORWARD_ONLY}) {
    SCOPED_TRACE(cursor);
    OdbcStatement statement(db_.connection());
    ASSERT_EQ(SQLSetStmtAttr(statement.get(), SQL_ATTR_CURSOR_TYPE,
                             reinterpret_cast<SQLPOINTER>(cursor), 0),
              SQL_SUCCESS);
    ASSERT_EQ(statement.Execute(sql), SQL_SUCCESS);
    std::vector<std::string> rows;
    while (SQLFetch(statement.get()) == SQL_SUCCESS) {
      std::string row;
      for (SQLUSMALLINT column = 1; column <= 7; ++column) {
        row += (column > 1 ? "|" : "") + statement.Text(column);
      }
      rows.push_back(row);
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"3,0|2,5|2,5|0.5|7|<null>|1,5",
                                              "4,0|4,5|4,5|1.5|2.5|2.5|1,5"}));
  }
}

TEST_F(StandInJetTest, CountsNoRowsOfAResultSet) {
  OdbcStatement statement(db_.connection());
  SQLLEN rows = 0;
  ASSERT_EQ(statement.Execute("SELECT * FROM tblSettings"), SQL_SUCCESS);
  ASSERT_EQ(SQLRowCount(statement.get(), &rows), SQL_SUCCESS);
  EXPECT_EQ(rows, -1);
  ASSERT_EQ(SQLFetch(statement.get()), SQL_SUCCESS);
  ASSERT_EQ(SQLRowCount(statement.get(), &rows), SQL_SUCCESS);
  EXPECT_EQ(rows, -1);
  ASSERT_EQ(SQLCloseCursor(statement.get()), SQL_SUCCESS);

  ASSERT_EQ(
      statement.Execute("INSERT INTO tblSettings SELECT 'Copy', sKey, Value FROM tblSettings"),
      SQL_SUCCESS);
  ASSERT_EQ(SQLRowCount(statement.get(), &rows), SQL_SUCCESS);
  EXPECT_EQ(rows, 1);
  ASSERT_EQ(statement.Execute("UPDATE tblSettings SET Value = 'x'"), SQL_SUCCESS);
  ASSERT_EQ(SQLRowCount(statement.get(), &rows), SQL_SUCCESS);
  EXPECT_EQ(rows, 2);
}

struct BaseNameAnswer {
  std::optional<std::string> setting;  // BRIVANTO_STANDIN_BASE_NAMES
  std::string table;
  std::string column;
};

TEST_F(StandInJetTest, LeavesTheBaseNamesEmptyUnlessAskedToGiveThem) {
  for (const BaseNameAnswer& answer :
       {BaseNameAnswer{std::nullopt, "", ""}, BaseNameAnswer{"empty", "", ""},
        BaseNameAnswer{"given", "tblSettings", "sKey"}}) {
    SCOPED_TRACE(answer.setting.value_or("unset"));
    const ScopedEnvironment setting("BRIVANTO_STANDIN_BASE_NAMES", answer.setting);
    OdbcStatement statement(db_.connection());
    ASSERT_EQ(statement.Execute("SELECT sKey FROM tblSettings"), SQL_SUCCESS);
    const SQLHDESC row = RowDescriptor(statement.get());
    for (const auto& [field, expected] : {std::pair{SQL_DESC_BASE_TABLE_NAME, answer.table},
                                          std::pair{SQL_DESC_BASE_COLUMN_NAME, answer.column}}) {
      std::array<char, 64> odbc2{};
      std::array<char, 64> descriptor{};
      SQLSMALLINT length = 0;
      SQLINTEGER descriptor_length = 0;
      EXPECT_EQ(TextAttribute(statement.get(), 1, field), expected);
      EXPECT_EQ(
          SQLColAttributes(statement.get(), 1, field, odbc2.data(), odbc2.size(), &length, nullptr),
          SQL_SUCCESS);
      EXPECT_EQ(odbc2.data(), expected);
      EXPECT_EQ(
          SQLGetDescField(row, 1, field, descriptor.data(), descriptor.size(), &descriptor_length),
          SQL_SUCCESS);
      EXPECT_EQ(descriptor.data(), expected);
      EXPECT_EQ(descriptor_length, static_cast<SQLINTEGER>(expected.size()));
    }
  }
}

enum class CursorCall { kSetStmtAttr, kSetStmtOption, kSetScrollOptions };

struct CursorStep {
  CursorCall call;
  SQLINTEGER attribute;  // for SQLSetScrollOptions: the concurrency
  SQLLEN value;          // for SQLSetScrollOptions: the keyset size
  SQLRETURN expected;
};

struct CursorCase {
  const char* what;
  std::vector<CursorStep> steps;
  SQLULEN cursor_type;
  SQLULEN concurrency;
};

SQLRETURN Perform(SQLHSTMT statement, const CursorStep& step) {
  switch (step.call) {
    case CursorCall::kSetStmtAttr:
      return SQLSetStmtAttr(statement, step.attribute, reinterpret_cast<SQLPOINTER>(step.value), 0);
    case CursorCall::kSetStmtOption:
      return SQLSetStmtOption(statement, static_cast<SQLUSMALLINT>(step.attribute),
                              static_cast<SQLULEN>(step.value));
    case CursorCall::kSetScrollOptions:
      return SQLSetScrollOptions(statement, static_cast<SQLUSMALLINT>(step.attribute), step.value,
                                 1);
  }
  return SQL_ERROR;
}

// No dynamic cursor, read-only static ones, and 01S02 for each substitution; what was granted
// is what SQLGetStmtAttr and SQLGetStmtOption report.
TEST_F(StandInJetTest, GrantsTheCursorsOfTheAccessDriver) {
  constexpr SQLINTEGER kType = SQL_ATTR_CURSOR_TYPE;
  constexpr SQLINTEGER kConcurrency = SQL_ATTR_CONCURRENCY;
  constexpr SQLRETURN kChanged = SQL_SUCCESS_WITH_INFO;
  const std::vector<CursorCase> cases = {
      {"dynamic",
       {{CursorCall::kSetStmtAttr, kType, SQL_CURSOR_DYNAMIC, kChanged}},
       SQL_CURSOR_KEYSET_DRIVEN,
       SQL_CONCUR_READ_ONLY},
      {"keyset",
       {{CursorCall::kSetStmtAttr, kType, SQL_CURSOR_KEYSET_DRIVEN, SQL_SUCCESS}},
       SQL_CURSOR_KEYSET_DRIVEN,
       SQL_CONCUR_READ_ONLY},
      {"keyset with locks",
       {{CursorCall::kSetStmtAttr, kType, SQL_CURSOR_KEYSET_DRIVEN, SQL_SUCCESS},
        {CursorCall::kSetStmtAttr, kConcurrency, SQL_CONCUR_LOCK, SQL_SUCCESS}},
       SQL_CURSOR_KEYSET_DRIVEN,
       SQL_CONCUR_LOCK},
      {"static, then locks",
       {{CursorCall::kSetStmtAttr, kType, SQL_CURSOR_STATIC, SQL_SUCCESS},
        {CursorCall::kSetStmtAttr, kConcurrency, SQL_CONCUR_LOCK, kChanged}},
       SQL_CURSOR_STATIC,
       SQL_CONCUR_READ_ONLY},
      {"row versions, then static",
       {{CursorCall::kSetStmtAttr, kConcurrency, SQL_CONCUR_ROWVER, SQL_SUCCESS},
        {CursorCall::kSetStmtAttr, kType, SQL_CURSOR_STATIC, kChanged}},
       SQL_CURSOR_STATIC,
       SQL_CONCUR_READ_ONLY},
      {"ODBC 2 option",
       {{CursorCall::kSetStmtOption, SQL_CONCURRENCY, SQL_CONCUR_VALUES, SQL_SUCCESS},
        {CursorCall::kSetStmtOption, SQL_CURSOR_TYPE, SQL_CURSOR_DYNAMIC, kChanged}},
       SQL_CURSOR_KEYSET_DRIVEN,
       SQL_CONCUR_VALUES},
      {"scroll options, static with locks",
       {{CursorCall::kSetScrollOptions, SQL_CONCUR_LOCK, SQL_SCROLL_STATIC, kChanged}},
       SQL_CURSOR_STATIC,
       SQL_CONCUR_READ_ONLY},
      {"scroll options, dynamic",
       {{CursorCall::kSetScrollOptions, SQL_CONCUR_READ_ONLY, SQL_SCROLL_DYNAMIC, kChanged}},
       SQL_CURSOR_KEYSET_DRIVEN,
       SQL_CONCUR_READ_ONLY},
      {"scroll options, keyset",
       {{CursorCall::kSetScrollOptions, SQL_CONCUR_READ_ONLY, SQL_SCROLL_KEYSET_DRIVEN,
         SQL_SUCCESS}},
       SQL_CURSOR_KEYSET_DRIVEN,
       SQL_CONCUR_READ_ONLY},
  };
  for (const CursorCase& cursor : cases) {
    SCOPED_TRACE(cursor.what);
    OdbcStatement statement(db_.connection());
    for (const CursorStep& step : cursor.steps) {
      EXPECT_EQ(Perform(statement.get(), step), step.expected);
      const std::vector<std::string> expected_states = step.expected == kChanged
                                                           ? std::vector<std::string>{"01S02"}
                                                           : std::vector<std::string>{};
      EXPECT_EQ(Sqlstates(statement.Diagnostics()), expected_states);
    }
    SQLULEN type = 0;
    SQLULEN concurrency = 0;
    ASSERT_EQ(SQLGetStmtAttr(statement.get(), kType, &type, 0, nullptr), SQL_SUCCESS);
    ASSERT_EQ(SQLGetStmtAttr(statement.get(), kConcurrency, &concurrency, 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(type, cursor.cursor_type);
    EXPECT_EQ(concurrency, cursor.concurrency);
    SQLULEN option = 0;
    ASSERT_EQ(SQLGetStmtOption(statement.get(), SQL_CURSOR_TYPE, &option), SQL_SUCCESS);
    EXPECT_EQ(option, cursor.cursor_type);
    // A scrollable cursor it is, whatever its name.
    ASSERT_EQ(statement.Execute("SELECT sKey FROM tblSettings"), SQL_SUCCESS);
    EXPECT_EQ(SQLFetchScroll(statement.get(), SQL_FETCH_LAST, 0), SQL_SUCCESS);
    EXPECT_EQ(statement.Text(1), "Version");
  }
}

}  // namespace
}  // namespace brivanto::standin::test
