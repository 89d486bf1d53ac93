// Where values of the program's connection text begin and end.
#include <gtest/gtest.h>

#include "ConnectionString.h"
#include "JetSql.h"

namespace brivanto::standin {
namespace {

std::string DbqOf(std::string_view text) {
  const auto attributes = ParseConnectionString(text);
  return attributes ? attributes->Find("dbq").value_or("<none>") : "<malformed>";
}

TEST(StandInConnectionStringTest, EndsAPlainValueOnlyBeforeAKnownKeyword) {
  EXPECT_EQ(DbqOf("DBQ=/d/a.mdb; pwd=x;"), "/d/a.mdb");
  EXPECT_EQ(DbqOf("DBQ=/d/a;b.mdb; pwd=x;"), "/d/a;b.mdb");
  EXPECT_EQ(DbqOf("DBQ=/d/a; b=c.mdb;PWD=x"), "/d/a; b=c.mdb");
  EXPECT_EQ(DbqOf("DBQ=/d/ends;; pwd=x"), "/d/ends;");
  EXPECT_EQ(DbqOf("DBQ=/d/a.mdb;  "), "/d/a.mdb");
  EXPECT_EQ(DbqOf("DBQ=/d/a.mdb;Uid =me"), "/d/a.mdb");
}

TEST(StandInConnectionStringTest, KeepsBlanksAndQuotesThatBelongToTheValue) {
  EXPECT_EQ(DbqOf("DBQ= /d/x .mdb ; pwd=x"), " /d/x .mdb ");
  EXPECT_EQ(DbqOf("DBQ=/d/'a' \"b\".mdb;pwd=x"), "/d/'a' \"b\".mdb");
}

TEST(StandInConnectionStringTest, ReadsBracedValues) {
  EXPECT_EQ(DbqOf("driver={Microsoft Access Driver (*.mdb)};DBQ={/d/a;b}}c.mdb} ;pwd=x"),
            "/d/a;b}c.mdb");
  EXPECT_EQ(DbqOf("DBQ={d.mdb;DBQ=/other/secret.mdb}; pwd=x;"), "d.mdb;DBQ=/other/secret.mdb");
  EXPECT_EQ(DbqOf("DBQ={{a}}b.mdb}; pwd=x;"), "{a}b.mdb");
  EXPECT_EQ(DbqOf("DBQ={  /d/x.mdb }; pwd=x;"), "  /d/x.mdb ");
  EXPECT_EQ(DbqOf("DBQ={/d/unterminated"), "<malformed>");
  EXPECT_EQ(DbqOf("DBQ={/d/a}junk;pwd=x"), "<malformed>");
}

TEST(StandInConnectionStringTest, MatchesKeywordsIgnoringCaseAndKeepsTheFirst) {
  const auto attributes = ParseConnectionString("dRiVeR={X};dbq=/first;DBQ=/second");
  ASSERT_TRUE(attributes.has_value());
  EXPECT_EQ(attributes->Find("DRIVER"), "X");
  EXPECT_EQ(attributes->Find("Dbq"), "/first");
  EXPECT_EQ(DbqOf("pwd=x"), "<none>");
  EXPECT_EQ(DbqOf("just some text"), "<malformed>");
}

}  // namespace
}  // namespace brivanto::standin

namespace brivanto::standin {
namespace {

// What reaches MDB Tools for a Jet file, and which statements are refused as writes before it.
TEST(StandInJetSqlTest, WritesAreToldFromReads) {
  const struct {
    const char* sql;
    bool writes;
  } cases[] = {
      {"Select * from tblSettings", false},
      {"  (select [Value] from tblSettings)", false},
      {"selec x", false},
      {"select * from t where [Note] = ' into ' ", false},
      {"INSERT into tblSettings ([Section]) values ('x')", true},
      {"\n update tblSettings set [Value] = 'x'", true},
      {"Delete from t", true},
      {"create table t (a text)", true},
      {"drop table t", true},
      {"select *\n\tINTO copy from t", true},
  };
  for (const auto& [sql, writes] : cases) {
    EXPECT_EQ(WritesData(sql), writes) << sql;
  }
}

TEST(StandInJetSqlTest, DoubleQuotedLiteralsBecomeSingleQuotedWhereMdbToolsCanReadThem) {
  const struct {
    const char* given;
    const char* sent;
  } cases[] = {
      {R"(select * from t where [Section] = "Storage")",
       "select * from t where [Section] = 'Storage'"},
      {R"(select * from t where a = "x" or b = "y")", "select * from t where a = 'x' or b = 'y'"},
      {R"(select * from t where a = 'say "hi"')", R"(select * from t where a = 'say "hi"')"},
      {R"(select [a "b"] from t)", R"(select [a "b"] from t)"},
      {R"(select * from t where a = "it's")", R"(select * from t where a = "it's")"},
      {R"(select * from t where a = "open)", R"(select * from t where a = "open)"},
  };
  for (const auto& [given, sent] : cases) {
    EXPECT_EQ(ForMdbTools(given), sent) << given;
  }
}

}  // namespace
}  // namespace brivanto::standin
