#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "AnsiText.h"
#include "ports/Failure.h"

namespace brivanto::win32 {
namespace {

// The tests run in the code page of a Dutch Windows, 1252, as the harness sets it up.
class AnsiTextTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetACP(), 1252U) << "the harness runs in code page 1252"; }
};

TEST_F(AnsiTextTest, TextsTheCodePageCarriesRoundTripAndOthersAreRefused) {
  const struct {
    std::string utf8;
    std::optional<std::string> ansi;  // nullopt: refused
  } cases[] = {
      {"C:\\Data\\BrivantoDb.mdb", "C:\\Data\\BrivantoDb.mdb"},
      {"D:\\Scans Belgi\xC3\xAB\\\xE2\x82\xAC 5", "D:\\Scans Belgi\xEB\\\x80 5"},  // ë, €
      {std::string("a\0b\0\0", 5), std::string("a\0b\0\0", 5)},                    // NULs stay
      {"", ""},
      {"C:\\\xE6\xBC\xA2\xE5\xAD\x97.mdb", std::nullopt},  // 漢字: not in the code page
      {"\xC5\x82\xC3\xB3"
       "d\xC5\xBA",
       std::nullopt},  // łódź: no best-fit "lodz"
      {"bad \xFF utf-8", std::nullopt},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.utf8);
    EXPECT_EQ(TryToAnsi(test.utf8), test.ansi);
    if (test.ansi) {
      EXPECT_EQ(FromAnsi(*test.ansi), test.utf8);
      EXPECT_EQ(PathToAnsi(test.utf8), *test.ansi);
      EXPECT_EQ(ToAnsiForDisplay(test.utf8), *test.ansi);
    }
  }
}

TEST_F(AnsiTextTest, UncarriedPathOrTextIsRefusedByNameAndShownWithQuestionMarks) {
  const std::string path = "C:\\\xE6\xBC\xA2\\x.mdb";
  try {
    PathToAnsi(path);
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Number(), failure_codes::kFileAccess);
    EXPECT_EQ(failure.Description(),
              "Het pad bevat tekens die Windows hier niet kan doorgeven: " + path);
  }
  try {
    TextToAnsi("select '\xE6\xBC\xA2'", 3);
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Number(), 3);
    EXPECT_EQ(failure.Description(),
              "De tekst bevat tekens die Windows hier niet kan doorgeven: select '\xE6\xBC\xA2'");
  }
  EXPECT_EQ(ToAnsiForDisplay("x \xE6\xBC\xA2 y"), "x ? y");
}

TEST_F(AnsiTextTest, WideFormsRoundTrip) {
  const std::string utf8 = "Belgi\xC3\xAB \xE6\xBC\xA2";
  EXPECT_EQ(ToWide(utf8), L"Belgi\u00EB \u6F22");
  EXPECT_EQ(FromWide(ToWide(utf8)), utf8);
}

}  // namespace
}  // namespace brivanto::win32
