#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "maintenance/LineStore.h"
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

// Empty lines, lines that just fill a block or overflow it, and lines longer than any block come
// back whole and in order; a line read early stays readable while the store grows.
TEST(ConsoleLines, StoreGivesBackEveryLineUnchangedUntilCleared) {
  std::vector<std::string> expected;
  for (const std::size_t length : {5, 0, 1, 4095, 4096, 0, 8191, 3 << 20, 0, 17}) {
    expected.emplace_back(length, static_cast<char>('a' + expected.size()));
  }
  for (std::size_t index = 0; index < 200000; ++index) {
    expected.push_back(" Artikel " + std::to_string(index * 7919 % 100003));
  }
  LineStore store;
  store.Append(expected[0]);
  const std::string_view early = store.Line(0);
  for (std::size_t index = 1; index < expected.size(); ++index) {
    store.Append(expected[index]);
  }

  ASSERT_EQ(store.Count(), expected.size());
  EXPECT_EQ(early, expected[0]);
  for (std::size_t index = 0; index < expected.size(); ++index) {
    ASSERT_EQ(store.Line(index), expected[index]) << index;
  }
  EXPECT_THROW(static_cast<void>(store.Line(store.Count())), std::out_of_range);
  store.Clear();
  EXPECT_EQ(store.Count(), 0U);
  store.Append("x");
  EXPECT_EQ(store.Line(0), "x");
}

}  // namespace
}  // namespace brivanto::maintenance
