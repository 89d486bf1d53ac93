#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "IniSettingsStore.h"
#include "ports/Failure.h"
#include "support/TemporaryFolder.h"

namespace brivanto::testing {
namespace {

struct SettingsCase {
  const char* name;
  std::string section;
  std::string key;
  std::string value;
};

TEST(IniSettingsStore, EveryTextReadsBackExactlyInAFreshStore) {
  const std::vector<SettingsCase> cases{
      {"plain", "RepairDb", "DbPath", "/data/BrivantoDb.mdb"},
      {"empty value", "RepairDb", "DbPath", ""},
      {"non-ASCII", "Sectie \xC3\xA9", "Sleutel \xC3\xBC",
       "C:\\Mappen\\\xC3\x9C ber \xE6\x97\xA5.mdb"},
      {"INI syntax", "[Sectie]", "a=b;c", "x = \"y\"; 'z' # , = [x]"},
      {"blanks", " sectie ", " sleutel ", "  twee blanks  "},
      {"separators and escapes", "a/b\\c", "d/e%2F", "f/g\\h %41"},
      {"line breaks", "General", "@Variant", "regel 1\r\nregel 2\n"},
  };
  for (const auto& settingsCase : cases) {
    const TemporaryFolder base;
    posix::IniSettingsStore(base.Path())
        .SaveSetting("Brivanto", settingsCase.section, settingsCase.key, settingsCase.value);

    posix::IniSettingsStore reader(base.Path());
    EXPECT_EQ(reader.GetSetting("Brivanto", settingsCase.section, settingsCase.key, "standaard"),
              settingsCase.value)
        << settingsCase.name;
    EXPECT_EQ(reader.GetSetting("Brivanto", settingsCase.section, "Anders", "standaard"),
              "standaard")
        << settingsCase.name;
    EXPECT_TRUE(std::filesystem::exists(base.Path() / "Brivanto" / "Brivanto.ini"));
  }
}

TEST(IniSettingsStore, ApplicationsSectionsAndKeysStayApart) {
  const TemporaryFolder base;
  posix::IniSettingsStore store(base.Path());
  store.SaveSetting("App", "a/b", "c", "1");
  store.SaveSetting("App", "a", "b/c", "2");
  store.SaveSetting("Other/App", "a", "b", "3");
  store.SaveSetting("App", "a/b", "c", "4");

  EXPECT_EQ(store.GetSetting("App", "a/b", "c", ""), "4");
  EXPECT_EQ(store.GetSetting("App", "a", "b/c", ""), "2");
  EXPECT_EQ(store.GetSetting("Other/App", "a", "b", ""), "3");
  EXPECT_EQ(store.GetSetting("App", "a", "b", "geen"), "geen");
}

TEST(IniSettingsStore, DamagedLinesAreSkippedAndTheRestStillReads) {
  const TemporaryFolder base;
  posix::IniSettingsStore store(base.Path());
  std::filesystem::create_directories(store.FilePath("Brivanto").parent_path());
  std::ofstream(store.FilePath("Brivanto"), std::ios::binary)
      << "garbage without equals\r\n[RepairDb\r\n[RepairDb]\r\nDbPath=/x.mdb\r\n\x01\x02\n";

  EXPECT_EQ(store.GetSetting("Brivanto", "RepairDb", "DbPath", ""), "/x.mdb");
  store.SaveSetting("Brivanto", "RepairDb", "Other", "y");
  EXPECT_EQ(store.GetSetting("Brivanto", "RepairDb", "DbPath", ""), "/x.mdb");
}

TEST(IniSettingsStore, AnUnwritableFolderFailsAndLeavesTheDefault) {
  const TemporaryFolder temporary;
  const auto notAFolder = temporary.Path() / "bestand";
  std::ofstream(notAFolder) << "x";
  posix::IniSettingsStore store(notAFolder);

  try {
    store.SaveSetting("Brivanto", "RepairDb", "DbPath", "x");
    FAIL() << "saving under a file must fail";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Number(), failure_codes::kFileAccess);
  }
  EXPECT_EQ(store.GetSetting("Brivanto", "RepairDb", "DbPath", "standaard"), "standaard");
}

}  // namespace
}  // namespace brivanto::testing
