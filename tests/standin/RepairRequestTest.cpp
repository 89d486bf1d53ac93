// How both stand-ins read the attribute list of a repair request.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "RepairRequest.h"

namespace brivanto::standin {
namespace {

TEST(RepairRequestTest, ReadsTheDatabaseAndRefusesAnyOtherKeyword) {
  const struct {
    std::vector<std::string> entries;
    std::optional<std::string> database;
    std::optional<std::string> unsupported;
  } cases[] = {
      {{"REPAIR_DB=/d/a.mdb", "PWD=x"}, "/d/a.mdb", std::nullopt},
      {{" repair_db\t=/d/a.mdb", " Uid =a", "dsn=BrivantoDb"}, "/d/a.mdb", std::nullopt},
      {{"REPAIR_DB="}, "", std::nullopt},
      {{"REPAIR_DB=\"/d/a b.mdb\""}, "/d/a b.mdb", std::nullopt},
      {{"REPAIR_DB= /d/a.mdb "}, " /d/a.mdb ", std::nullopt},
      {{"REPAIR_DB=/first", "REPAIR_DB=/second"}, "/first", std::nullopt},
      {{"PWD=x"}, std::nullopt, std::nullopt},
      {{}, std::nullopt, std::nullopt},
      {{"REPAIR_DB=/d/a.mdb", "DBQ=x"}, "/d/a.mdb", "DBQ"},
      {{" COMPACT_DB =/d/a.mdb /d/b.mdb"}, std::nullopt, " COMPACT_DB "},
      {{"REPAIR_DB=/d/a.mdb", "PWD"}, "/d/a.mdb", "PWD"},
  };
  for (const auto& test : cases) {
    const RepairRequest request = ReadRepairRequest(test.entries);
    const std::string shown = test.entries.empty() ? "(none)" : test.entries.front();
    EXPECT_EQ(request.database, test.database) << shown;
    EXPECT_EQ(request.unsupported, test.unsupported) << shown;
  }
}

TEST(RepairRequestTest, SplitsTheListAtItsNuls) {
  using namespace std::string_literals;
  EXPECT_EQ(AttributeEntries("REPAIR_DB=a\0PWD=\0\0"s.c_str()),
            (std::vector<std::string>{"REPAIR_DB=a", "PWD="}));
  EXPECT_TRUE(AttributeEntries("\0"s.c_str()).empty());
  EXPECT_TRUE(AttributeEntries(nullptr).empty());
}

}  // namespace
}  // namespace brivanto::standin
