// Where values of the program's connection text begin and end.
#include <gtest/gtest.h>

#include "ConnectionString.h"

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
