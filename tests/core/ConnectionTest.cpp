#include <gtest/gtest.h>

#include "database/ConnectionHolder.h"
#include "database/ConnectionText.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

TEST(ConnectionText, BracesOnlyPathsThatWouldNotReadBackAsOneValue) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\a b\\x.mdb", "C:\\a b\\x.mdb"},
      {"/srv/d'Art \"q\" = 1 \xC3\xA9.mdb", "/srv/d'Art \"q\" = 1 \xC3\xA9.mdb"},
      {"/x/a.mdb;uid=x", "{/x/a.mdb;uid=x}"},
      {"d.mdb;DBQ=/other/secret.mdb", "{d.mdb;DBQ=/other/secret.mdb}"},
      {"{a}b.mdb", "{{a}}b.mdb}"},
      {"/x/a}.mdb", "/x/a}.mdb"},
      {"  /srv/x.mdb ", "  /srv/x.mdb "},
      {"/x/{a}.mdb", "/x/{a}.mdb"},
      {"{a};b}.mdb", "{{a}};b}}.mdb}"},
  };
  for (const auto& [path, value] : cases) {
    EXPECT_EQ(database::ConnectionText(path),
              "driver={Microsoft Access Driver (*.mdb)};DBQ=" + value + "; pwd=Gk58w2n7;");
  }
}

TEST(ConnectionHolder, ReplacingReleasesThePreviousConnection) {
  FakeDatabase database;
  database::ConnectionHolder holder;
  EXPECT_TRUE(holder.IsEmpty());
  EXPECT_THROW(holder.Get(), Failure);

  holder.Replace(database.CreateConnection());
  holder.Replace(database.CreateConnection());
  EXPECT_EQ(database.state.alive, 1);
  EXPECT_EQ(static_cast<FakeConnection&>(holder.Get()).Id(), 2);

  holder.Release();
  EXPECT_EQ(database.state.alive, 0);
  holder.Release();
  EXPECT_TRUE(holder.IsEmpty());
}

}  // namespace
}  // namespace brivanto::testing
