// The Access driver speaks the ANSI code page, Windows-1252 on a Dutch Windows; SQLite and the
// file system keep UTF-8.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "StandInTestSupport.h"

namespace brivanto::standin::test {
namespace {

struct CodePage {
  const char* label;
  std::optional<std::string> setting;                     // BRIVANTO_STANDIN_CODE_PAGE
  std::function<std::string(const std::string&)> encode;  // UTF-8 to what the program sends
};

void PrintTo(const CodePage& code_page, std::ostream* out) {
  *out << code_page.label;
}

std::string Unchanged(const std::string& text) {
  return text;
}

SQLRETURN InsertWithParameter(const OdbcConnection& connection, const std::string& value) {
  OdbcStatement statement(connection);
  std::string bound = value;
  SQLLEN indicator = SQL_NTS;
  const SQLRETURN bind = SQLBindParameter(statement.get(), 1, SQL_PARAM_INPUT, SQL_C_CHAR,
                                          SQL_VARCHAR, 255, 0, bound.data(), 0, &indicator);
  return SQL_SUCCEEDED(bind) ? statement.Execute("INSERT INTO tblPrice VALUES (?, 'bound')") : bind;
}

std::string ColumnName(const OdbcConnection& connection, const std::string& sql) {
  OdbcStatement statement(connection);
  std::array<SQLCHAR, 64> name{};
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(statement.Execute(sql)) ||
      !SQL_SUCCEEDED(SQLDescribeCol(statement.get(), 1, name.data(), name.size(), &length, nullptr,
                                    nullptr, nullptr, nullptr))) {
    return "<error>";
  }
  return reinterpret_cast<const char*>(name.data());
}

class StandInCodePageTest : public ::testing::TestWithParam<CodePage> {
 protected:
  std::string Sent(const std::string& utf8) const { return GetParam().encode(utf8); }

  TempDir dir_;
  const ScopedEnvironment setting_{"BRIVANTO_STANDIN_CODE_PAGE", GetParam().setting};
};

// What goes in, in the program's code page, is kept in UTF-8, and comes back as it went in:
// file name, SQL text, bound parameters, data, column names and SQLite's messages.
TEST_P(StandInCodePageTest, ConvertsEverythingThatCrossesTheDriver) {
  const std::string database = dir_.File("Prüfung é – ß.mdb");
  CreateSettingsDatabase(database);
  SqliteFile(database, false).Execute("CREATE TABLE tblPrice(\"prijs€\" text, Note text)");
  const OdbcEnvironment environment;
  OdbcConnection connection(environment);
  ASSERT_TRUE(SQL_SUCCEEDED(connection.Connect(AccessConnectionText(Sent(database)))));

  EXPECT_TRUE(connection.Query(Sent("INSERT INTO tblPrice VALUES ('één', 'naïef')")).empty());
  EXPECT_TRUE(SQL_SUCCEEDED(InsertWithParameter(connection, Sent("café – 5 €"))));

  EXPECT_EQ(SqliteFile(database, false).Query("SELECT * FROM tblPrice ORDER BY rowid"),
            (std::vector<std::string>{"één|naïef", "café – 5 €|bound"}));
  EXPECT_EQ(connection.Query("SELECT * FROM tblPrice ORDER BY rowid"),
            (std::vector<std::string>{Sent("één|naïef"), Sent("café – 5 €|bound")}));
  EXPECT_EQ(ColumnName(connection, "SELECT * FROM tblPrice"), Sent("prijs€"));
  const std::vector<std::string> failed = connection.Query(Sent("SELECT * FROM tëst"));
  ASSERT_EQ(failed.size(), 1U);
  EXPECT_NE(failed[0].find("error: "), std::string::npos);
  EXPECT_NE(failed[0].find(Sent("tëst")), std::string::npos) << failed[0];
  EXPECT_TRUE(Repair(Sent(database))) << InstallerError().text;
}

INSTANTIATE_TEST_SUITE_P(CodePages, StandInCodePageTest,
                         ::testing::Values(CodePage{"Windows1252", std::nullopt, InWindows1252},
                                           CodePage{"Windows1252WhenAsked", "1252", InWindows1252},
                                           CodePage{"Utf8WhenAsked", "utf-8", Unchanged}),
                         [](const ::testing::TestParamInfo<CodePage>& info) {
                           return info.param.label;
                         });

// Bytes Windows-1252 leaves undefined still stand for characters, so no byte string is lost on
// its way through; a character the code page lacks comes back as '?'.
TEST(StandInWindows1252Test, KeepsEveryByteAndMarksWhatItCannotCarry) {
  const TempDir dir;
  ConnectedDatabase db(dir.File("Brivanto.mdb"));
  SqliteFile(db.path(), false).Execute("CREATE TABLE tblPrice(Price text, Note text)");
  const std::string undefined = "\x81\x8D\x8F\x90\x9D";

  ASSERT_TRUE(SQL_SUCCEEDED(InsertWithParameter(db.connection(), undefined)));
  SqliteFile(db.path(), false).Execute("INSERT INTO tblPrice VALUES ('Ω ≠ €', 'sqlite')");

  EXPECT_EQ(SqliteFile(db.path(), false).Query("SELECT hex(Price) FROM tblPrice ORDER BY rowid"),
            (std::vector<std::string>{"C281C28DC28FC290C29D", "CEA920E289A020E282AC"}));
  EXPECT_EQ(db.connection().Query("SELECT Price FROM tblPrice ORDER BY rowid"),
            (std::vector<std::string>{undefined, "? ? \x80"}));
}

}  // namespace
}  // namespace brivanto::standin::test
