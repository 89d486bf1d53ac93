#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "CodePageOdbc.h"
#include "Windows1252.h"
#include "ports/Failure.h"
#include "support/fakes/FakeDatabase.h"

namespace brivanto::odbc {
namespace {

using brivanto::testing::FakeDatabase;

TEST(Windows1252Test, CarriesItsOwnCharactersOnlyAndEveryByteBothWays) {
  const Windows1252 codePage;
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"D:\\Scans Belgi\xC3\xAB \xE2\x82\xAC 5", "D:\\Scans Belgi\xEB \x80 5"},  // ë, €
      {"co\xC3\xB6p \xE2\x80\x93 \xC5\xA0", "co\xF6p \x96 \x8A"},                // ö, –, Š
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"\xE6\xBC\xA2", std::nullopt},  // 漢: not in the code page
      {"\xC5\x82\xC3\xB3"
       "d\xC5\xBA",
       std::nullopt},                  // łódź: no look-alike "lodz"
      {"\xC3", std::nullopt},          // cut short
      {"\xC0\xAB", std::nullopt},      // overlong
      {"\xED\xA0\x80", std::nullopt},  // a surrogate
  };
  for (const auto& [utf8, expected] : cases) {
    EXPECT_EQ(codePage.TryFromUtf8(utf8), expected) << utf8;
    if (expected) {
      EXPECT_EQ(codePage.ToUtf8(*expected), utf8);
    }
  }
  EXPECT_EQ(codePage.ForDisplay("\xE6\xBC\xA2 Belgi\xC3\xAB"), "? Belgi\xEB");
  for (int byte = 0; byte < 256; ++byte) {
    const std::string text(1, static_cast<char>(byte));
    EXPECT_EQ(codePage.TryFromUtf8(codePage.ToUtf8(text)), text) << byte;
  }
}

// The driver describes a failure in its code page; the adapter's own texts are UTF-8 already.
TEST(CodePageDatabaseTest, DriverFailuresComeBackInUtf8AndOwnTextsUnchanged) {
  const Windows1252 codePage;
  FakeDatabase fake;
  fake.state.failures.emplace(
      "select 1", Failure(failure_codes::kProviderError,
                          "Het bestand is in gebruik bij \xE9\xE9n gebruiker", "HY000", -1032));
  fake.state.failures.emplace(
      "select 2",
      Failure(failure_codes::kConnectionNotOpen, "Er is geen database geopend: \xC3\xA9\xC3\xA9n"));
  CodePageDatabase database(fake, codePage);
  auto connection = database.CreateConnection();
  connection->Open("DBQ=/d/a.mdb;");
  const std::pair<std::string, std::string> cases[] = {
      {"select 1", "Het bestand is in gebruik bij \xC3\xA9\xC3\xA9n gebruiker"},
      {"select 2", "Er is geen database geopend: \xC3\xA9\xC3\xA9n"},
  };
  for (const auto& [sql, description] : cases) {
    try {
      connection->Execute(sql, nullptr);
      ADD_FAILURE() << "no failure for " << sql;
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.Description(), description);
    }
  }
}

}  // namespace
}  // namespace brivanto::odbc
