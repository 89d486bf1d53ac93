#include <gtest/gtest.h>

#include "database/ConnectionHolder.h"
#include "database/ConnectionText.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

TEST(ConnectionText, KeepsThePathExactlyAsTyped) {
  EXPECT_EQ(database::ConnectionText("C:\\a b\\x.mdb"),
            "driver={Microsoft Access Driver (*.mdb)};DBQ=C:\\a b\\x.mdb; pwd=Gk58w2n7;");
  EXPECT_EQ(database::ConnectionText("  /srv/d'Art \"q\".mdb "),
            "driver={Microsoft Access Driver (*.mdb)};DBQ=  /srv/d'Art \"q\".mdb ; pwd=Gk58w2n7;");
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
