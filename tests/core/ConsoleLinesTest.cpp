#include <gtest/gtest.h>

#include "maintenance/ResultLines.h"
#include "maintenance/Statement.h"

namespace brivanto::maintenance {
namespace {

TEST(ConsoleLines, TimesHaveTwoDigitsAndNumbersArePlainSignedDecimal) {
  EXPECT_EQ(StartLine({2026, 1, 2, 0, 0, 0}), "Start Query 00:00:00");
  EXPECT_EQ(EndLine({2026, 1, 2, 23, 59, 59}, 4294967295U),
            "Einde Query 23:59:59 (4294967295 milliseconden)");
  EXPECT_EQ(CountLine(-1), "-1 records gevonden");
  EXPECT_EQ(AffectedLine(1000000), "Aantal rijen bewerkt: 1000000");
  EXPECT_EQ(FailureLine(-2147467259, ""), "-2147467259 ");
}

TEST(ConsoleStatement, SelectAnywhereInAnyCaseReturnsRows) {
  for (const char* query : {"SeLeCt 1", "update t set a = 'deselected'", "\n\tSELECT\n",
                            "delete from t where id in (select id from u)"}) {
    EXPECT_TRUE(ReturnsRows(query)) << query;
  }
  for (const char* query : {"", "   ", "sel ect", "selec", "update [sel] set a = 1"}) {
    EXPECT_FALSE(ReturnsRows(query)) << query;
  }
}

}  // namespace
}  // namespace brivanto::maintenance
