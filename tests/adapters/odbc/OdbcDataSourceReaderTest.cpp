#include <gtest/gtest.h>
#include <odbcinst.h>

#include <string>

#include "OdbcDataSourceReader.h"
#include "OdbcTestEnvironment.h"
#include "ports/Failure.h"

namespace brivanto::odbc {
namespace {

using testing::OdbcTestEnvironment;

constexpr std::uint32_t kHkeyCurrentUser = 0x80000001U;

std::string DataSourceKey(const std::string& dataSource) {
  return "SOFTWARE\\ODBC\\ODBC.INI\\" + dataSource;
}

// Each test reads data sources of its own: unixODBC remembers answers for 20 seconds.
class OdbcDataSourceReaderTest : public ::testing::Test {
 protected:
  std::string Read(const std::string& keyPath, const std::string& valueName,
                   std::uint32_t root = ports::kHkeyLocalMachine) {
    std::string value = "unchanged";
    reader_->ReadString(root, keyPath, valueName, value);
    return value;
  }

  OdbcTestEnvironment environment_;
  std::string dataSource_ = OdbcTestEnvironment::UniqueName("Brivanto Db ");
  std::unique_ptr<ports::RegistryReader> reader_ = OdbcDataSourceReaderFactory().Create();
};

TEST_F(OdbcDataSourceReaderTest, ReadsValuesOfASystemDataSourceIgnoringCase) {
  OdbcTestEnvironment::WriteOdbcIni("[" + dataSource_ +
                                    "]\nDriver=Microsoft Access Driver (*.mdb)\n"
                                    "DBQ=/data/Repair Me.mdb\nEmpty=\n");

  EXPECT_EQ(Read(DataSourceKey(dataSource_), "DBQ"), "/data/Repair Me.mdb");
  EXPECT_EQ(Read("software\\odbc\\Odbc.Ini\\" + dataSource_, "dbq"), "/data/Repair Me.mdb");
  EXPECT_EQ(Read(DataSourceKey(dataSource_), "Driver"), "Microsoft Access Driver (*.mdb)");
  EXPECT_EQ(Read(DataSourceKey(dataSource_), "Empty"), "");
}

TEST_F(OdbcDataSourceReaderTest, AbsentSectionsAndKeysLeaveTheValueAlone) {
  OdbcTestEnvironment::WriteOdbcIni("[" + dataSource_ + "]\nDBQ=/data/a.mdb\n");

  EXPECT_EQ(Read(DataSourceKey(dataSource_), "NoSuchKey"), "unchanged");
  EXPECT_EQ(Read(DataSourceKey(dataSource_ + " Missing"), "DBQ"), "unchanged");
}

TEST_F(OdbcDataSourceReaderTest, OnlySystemDataSourceKeysAreRead) {
  OdbcTestEnvironment::WriteOdbcIni("[" + dataSource_ + "]\nDBQ=/data/a.mdb\n");
  const std::string user = OdbcTestEnvironment::UniqueName("User Db ");
  OdbcTestEnvironment::WriteUserOdbcIni("[" + user + "]\nDBQ=/home/user.mdb\n");

  EXPECT_EQ(Read(DataSourceKey(dataSource_), "DBQ", kHkeyCurrentUser), "unchanged");
  EXPECT_EQ(Read("SOFTWARE\\ODBC\\ODBCINST.INI\\" + dataSource_, "DBQ"), "unchanged");
  EXPECT_EQ(Read(DataSourceKey(dataSource_) + "\\Sub", "DBQ"), "unchanged");
  EXPECT_EQ(Read(DataSourceKey(""), "DBQ"), "unchanged");
  EXPECT_EQ(Read(DataSourceKey(user), "DBQ"), "unchanged");
}

TEST_F(OdbcDataSourceReaderTest, MissingEmptyOrMalformedOdbcIniGivesNothing) {
  const struct {
    const char* name;
    std::optional<std::string> content;
  } cases[] = {
      {"missing", std::nullopt},
      {"empty", ""},
      {"no sections", "DBQ=/data/a.mdb\nDriver=x\n"},
      {"garbage", std::string("[unclosed\n=\n==x\n[]\n\x01\xff\xfe\n;DBQ=commented\n") +
                      std::string(5000, '[') + "\n" + std::string(3, '\0') + "DBQ=/x\n"},
  };
  for (const auto& file : cases) {
    SCOPED_TRACE(file.name);
    const std::string dataSource = OdbcTestEnvironment::UniqueName("Malformed ");
    if (file.content) {
      OdbcTestEnvironment::WriteOdbcIni(*file.content);
    } else {
      OdbcTestEnvironment::RemoveOdbcIni();
    }
    EXPECT_EQ(Read(DataSourceKey(dataSource), "DBQ"), "unchanged");
  }
}

TEST_F(OdbcDataSourceReaderTest, LongValuesAreReadWhole) {
  // unixODBC's ini parser keeps lines of up to 1000 bytes, key included.
  const std::string path = "/data/" + std::string(900, 'p') + ".mdb";
  OdbcTestEnvironment::WriteOdbcIni("[" + dataSource_ + "]\nDBQ=" + path + "\n");

  EXPECT_EQ(Read(DataSourceKey(dataSource_), "DBQ"), path);
}

TEST_F(OdbcDataSourceReaderTest, TheCallersConfigModeIsRestored) {
  OdbcTestEnvironment::WriteOdbcIni("[" + dataSource_ + "]\nDBQ=/data/a.mdb\n");
  ASSERT_TRUE(SQLSetConfigMode(ODBC_USER_DSN));

  EXPECT_EQ(Read(DataSourceKey(dataSource_), "DBQ"), "/data/a.mdb");

  UWORD mode = 0;
  ASSERT_TRUE(SQLGetConfigMode(&mode));
  EXPECT_EQ(mode, ODBC_USER_DSN);
  SQLSetConfigMode(ODBC_BOTH_DSN);
}

// Either the library or one of its functions can be missing.
TEST(OdbcDataSourceReaderFactoryTest, AnUnusableInstallerLibraryIsModuleNotFound) {
  const struct {
    const char* library;
    const char* named;
  } cases[] = {{"libbrivanto-no-such-odbcinst.so.9", "libbrivanto-no-such-odbcinst.so.9"},
               {"libodbc.so.2", "SQLGetConfigMode"}};
  for (const auto& unusable : cases) {
    SCOPED_TRACE(unusable.library);
    try {
      OdbcDataSourceReaderFactory(unusable.library).Create();
      ADD_FAILURE() << "no Failure was thrown";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.Number(), failure_codes::kModuleNotFound);
      EXPECT_NE(failure.Description().find(unusable.named), std::string::npos)
          << failure.Description();
    }
  }
}

}  // namespace
}  // namespace brivanto::odbc
