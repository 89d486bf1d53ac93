#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "Win32Registry.h"
#include "Win32TestSupport.h"
#include "ports/Failure.h"

namespace brivanto::win32 {
namespace {

using testing::ScratchKey;

TEST(Win32RegistryReaderTest, ReadsTheDataSourceAndLeavesAbsentOrNonTextValuesAlone) {
  // Where the real data sources live, under a name of this run's own.
  const ScratchKey dataSource(HKEY_LOCAL_MACHINE, "SOFTWARE\\ODBC\\ODBC.INI");
  dataSource.SetText("", "driver", "Microsoft Access Driver (*.mdb)");
  dataSource.SetText("", "DBQ", "D:\\Belgi\xEB\\BrivantoDb.mdb");
  const DWORD number = 7;
  dataSource.Set("", "Number", REG_DWORD, &number, sizeof number);
  // Stored without its final NUL, as some tools write it.
  dataSource.Set("", "NoNul", REG_SZ, "abc", 3);
  const ScratchKey userKey;
  userKey.SetText("", "Name", "user value");

  const struct {
    std::uint32_t root;
    std::string key;
    std::string value;
    std::string expected;  // "unchanged": the value was left alone
  } cases[] = {
      {ports::kHkeyLocalMachine, dataSource.Path(), "driver", "Microsoft Access Driver (*.mdb)"},
      {ports::kHkeyLocalMachine, dataSource.Path(), "dbq", "D:\\Belgi\xC3\xAB\\BrivantoDb.mdb"},
      {ports::kHkeyLocalMachine, dataSource.Path(), "NoNul", "abc"},
      {ports::kHkeyLocalMachine, dataSource.Path(), "Missing", "unchanged"},
      {ports::kHkeyLocalMachine, dataSource.Path(), "Number", "unchanged"},
      {ports::kHkeyLocalMachine, dataSource.Path() + "\\Missing", "driver", "unchanged"},
      {0x80000001U, userKey.Path(), "Name", "user value"},
      {0x12345678U, dataSource.Path(), "driver", "unchanged"},
  };
  Win32RegistryReaderFactory factory;
  const auto reader = factory.Create();
  for (const auto& test : cases) {
    SCOPED_TRACE(test.key + " " + test.value);
    std::string value = "unchanged";
    reader->ReadString(test.root, test.key, test.value, value);
    EXPECT_EQ(value, test.expected);
  }
}

class Win32SettingsStoreTest : public ::testing::Test {
 protected:
  // The raw REG_SZ bytes of a value below the scratch key, or nullopt.
  std::optional<std::string> Stored(const std::string& subkey, const std::string& name) {
    char data[512] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, (scratch.Path() + "\\" + subkey).c_str(), name.c_str(),
                     RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    return std::string(data);
  }

  ScratchKey scratch;
  Win32SettingsStore store{scratch.Path()};
};

TEST_F(Win32SettingsStoreTest, SavedValuesReadBackAndLandWhereTheClassicCallsKeepThem) {
  EXPECT_EQ(store.GetSetting("Brivanto", "RepairDb", "DbPath", "default"), "default");

  const struct {
    std::string value;
    std::string stored;  // the ANSI bytes in the registry
  } cases[] = {
      {"C:\\Data\\BrivantoDb.mdb", "C:\\Data\\BrivantoDb.mdb"},
      {"D:\\Scans Belgi\xC3\xAB\\x.mdb", "D:\\Scans Belgi\xEB\\x.mdb"},
      {"", ""},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.value);
    store.SaveSetting("Brivanto", "RepairDb", "DbPath", test.value);
    EXPECT_EQ(store.GetSetting("Brivanto", "RepairDb", "DbPath", "default"), test.value);
    EXPECT_EQ(Stored("Brivanto\\RepairDb", "DbPath"), test.stored);
  }
  EXPECT_EQ(store.GetSetting("Brivanto", "RepairDb", "Other", "default"), "default");
  EXPECT_EQ(Win32SettingsStore().KeyPath("Brivanto", "RepairDb"), "Software\\Brivanto\\RepairDb");
}

TEST_F(Win32SettingsStoreTest, ValueTheCodePageCannotCarryIsRefusedAndTheOldOneKept) {
  store.SaveSetting("Brivanto", "RepairDb", "DbPath", "C:\\old.mdb");
  try {
    store.SaveSetting("Brivanto", "RepairDb", "DbPath", "C:\\\xE6\xBC\xA2.mdb");
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Number(), failure_codes::kFileAccess);
    EXPECT_EQ(failure.Description(),
              "Instelling kan niet worden opgeslagen in HKEY_CURRENT_USER\\" + scratch.Path() +
                  "\\Brivanto\\RepairDb: de waarde bevat tekens die "
                  "Windows hier niet kan doorgeven: C:\\\xE6\xBC\xA2.mdb");
  }
  EXPECT_EQ(store.GetSetting("Brivanto", "RepairDb", "DbPath", ""), "C:\\old.mdb");
}

TEST_F(Win32SettingsStoreTest, KeyThatCannotBeWrittenThrowsWithTheSystemsReason) {
  const ScratchKey locked;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, locked.Path().c_str(), 0, nullptr,
                            REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  // A volatile key cannot hold a lasting subkey.
  Win32SettingsStore volatileStore{locked.Path()};
  try {
    volatileStore.SaveSetting("Brivanto", "RepairDb", "DbPath", "x");
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Number(), failure_codes::kFileAccess);
    EXPECT_EQ(failure.Description().rfind("Instelling kan niet worden opgeslagen in "
                                          "HKEY_CURRENT_USER\\" +
                                              locked.Path() + "\\Brivanto\\RepairDb: ",
                                          0),
              0U)
        << failure.Description();
  }
}

}  // namespace
}  // namespace brivanto::win32
