// Connecting through unixODBC with the text the program uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <iterator>

#include "StandInTestSupport.h"

namespace brivanto::standin::test {
namespace {

constexpr char kVersionQuery[] =
    "SELECT Value FROM tblSettings WHERE Section = 'Main' AND sKey = 'Version'";

class StandInConnectTest : public ::testing::Test {
 protected:
  TempDir dir_;
  OdbcEnvironment environment_;
};

TEST_F(StandInConnectTest, ReadsASettingWithTheProgramsConnectionText) {
  const std::string database = dir_.File("Brivanto.mdb");
  CreateSettingsDatabase(database);
  OdbcConnection connection(environment_);
  std::string completed;

  ASSERT_TRUE(SQL_SUCCEEDED(connection.Connect(AccessConnectionText(database), &completed)))
      << connection.Diagnostic().value_or(DiagnosticRecord{}).message;

  EXPECT_EQ(connection.Query(kVersionQuery), std::vector<std::string>{"42"});
  EXPECT_EQ(completed, AccessConnectionText(database));
}

TEST_F(StandInConnectTest, FindsTheFileThroughADataSourceName) {
  std::filesystem::remove(DataSourceDatabase());
  CreateSettingsDatabase(DataSourceDatabase());
  std::string name = kDataSourceName;

  OdbcConnection by_name(environment_);
  ASSERT_TRUE(SQL_SUCCEEDED(SQLConnect(by_name.get(), reinterpret_cast<SQLCHAR*>(name.data()),
                                       SQL_NTS, nullptr, 0, nullptr, 0)));
  EXPECT_EQ(by_name.Query(kVersionQuery), std::vector<std::string>{"42"});
  SQLDisconnect(by_name.get());

  OdbcConnection by_text(environment_);
  ASSERT_TRUE(SQL_SUCCEEDED(by_text.Connect("DSN=" + name + ";PWD=Gk58w2n7")));
  EXPECT_EQ(by_text.Query(kVersionQuery), std::vector<std::string>{"42"});
}

struct AwkwardName {
  const char* label;
  const char* file;
};

// Names the tests after the label instead of dumping the bytes.
void PrintTo(const AwkwardName& name, std::ostream* out) {
  *out << name.label;
}

class StandInAwkwardPathTest : public StandInConnectTest,
                               public ::testing::WithParamInterface<AwkwardName> {};

// Reads and writes must reach exactly the named file: journals beside it, nothing elsewhere.
TEST_P(StandInAwkwardPathTest, ReadsAndWritesTheNamedFile) {
  const std::string database = dir_.File(GetParam().file);
  CreateSettingsDatabase(database);
  OdbcConnection connection(environment_);

  // The program names the file in the ANSI code page.
  ASSERT_TRUE(SQL_SUCCEEDED(connection.Connect(AccessConnectionText(InWindows1252(database)))))
      << connection.Diagnostic().value_or(DiagnosticRecord{}).message;
  EXPECT_EQ(connection.Query(kVersionQuery), std::vector<std::string>{"42"});
  EXPECT_TRUE(connection.Query("INSERT INTO tblSettings VALUES ('Main', 'Added', 'yes')").empty());

  EXPECT_EQ(SqliteFile(database, false).Query("SELECT Value FROM tblSettings WHERE sKey = 'Added'"),
            std::vector<std::string>{"yes"});
  EXPECT_EQ(ListTree(dir_.path()), std::set<std::string>{GetParam().file});
}

INSTANTIATE_TEST_SUITE_P(
    Names, StandInAwkwardPathTest,
    ::testing::Values(AwkwardName{"Blanks", "with blanks.mdb"},
                      AwkwardName{"BlanksAtBothEnds", " blank at both ends .mdb"},
                      AwkwardName{"Apostrophe", "it's.mdb"},
                      AwkwardName{"DoubleQuotes", "say \"hi\".mdb"},
                      AwkwardName{"Semicolon", "semi;colon.mdb"},
                      AwkwardName{"SemicolonBlankAndEquals", "semi; colon=1.mdb"},
                      AwkwardName{"TrailingSemicolon", "ends with a semicolon;"},
                      AwkwardName{"Braces", "{braced}.mdb"},
                      AwkwardName{"NonAscii", "naïve Ünïcødé – ß.mdb"},
                      AwkwardName{"UriCharacters", "percent %41 ?query #frag.mdb"},
                      AwkwardName{"UriScheme", "file:looks-like-a-uri.mdb"}),
    [](const ::testing::TestParamInfo<AwkwardName>& info) { return info.param.label; });

struct Refusal {
  const char* what;
  std::string dbq;
  SQLINTEGER native_error;
};

// Each refusal must reach the caller as a diagnostic naming the file, and create nothing.
TEST_F(StandInConnectTest, RefusesWhatIsNotAnExistingDatabase) {
  WriteBytes(dir_.File("empty.mdb"), "");
  WriteBytes(dir_.File("text.mdb"), "Not a database, just a few words of text.\n");
  const std::string text_bytes = ReadBytes(dir_.File("text.mdb"));
  const std::vector<Refusal> refusals = {
      {"no path", "", 1001},
      {"missing file", dir_.File("missing.mdb"), 1002},
      {"below a file", dir_.File("text.mdb/inner.mdb"), 1002},
      {"folder", dir_.path().string(), 1003},
      {"empty file", dir_.File("empty.mdb"), 1004},
      {"text file", dir_.File("text.mdb"), 1004},
  };
  const std::set<std::string> before = ListTree(dir_.path());

  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.what);
    OdbcConnection connection(environment_);
    EXPECT_EQ(connection.Connect(AccessConnectionText(refusal.dbq)), SQL_ERROR);
    const auto diagnostic = connection.Diagnostic();
    ASSERT_TRUE(diagnostic.has_value());
    EXPECT_EQ(diagnostic->sqlstate, "HY000");
    EXPECT_EQ(diagnostic->native_error, refusal.native_error);
    EXPECT_NE(diagnostic->message.find("[Brivanto Access stand-in]"), std::string::npos);
    EXPECT_NE(diagnostic->message.find(refusal.dbq), std::string::npos) << diagnostic->message;
  }
  EXPECT_EQ(ListTree(dir_.path()), before);
  EXPECT_EQ(ReadBytes(dir_.File("text.mdb")), text_bytes);
}

// Relative names resolve against the working directory, so the test lends it its own folder.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::filesystem::path& path)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;
  ~WorkingDirectory() {
    std::error_code ignored;  // the previous directory cannot vanish during a test
    std::filesystem::current_path(previous_, ignored);
  }

 private:
  std::filesystem::path previous_;
};

TEST_F(StandInConnectTest, TypingAPathCharacterByCharacterCreatesNothing) {
  std::filesystem::create_directory(dir_.path() / "sub folder");
  const std::string database = dir_.File("sub folder/Data base.mdb");
  CreateSettingsDatabase(database);
  const std::set<std::string> before = ListTree(dir_.path());
  const WorkingDirectory working_directory(dir_.path());
  std::vector<std::string> typed = {"C", "C:", "C:\\D"};
  for (size_t length = 1; length < database.size(); ++length) {
    typed.push_back(database.substr(0, length));
  }
  std::vector<std::string> absent;
  std::copy_if(typed.begin(), typed.end(), std::back_inserter(absent),
               [](const std::string& path) { return !std::filesystem::exists(path); });

  for (const std::string& path : typed) {
    OdbcConnection connection(environment_);
    EXPECT_FALSE(SQL_SUCCEEDED(connection.Connect(AccessConnectionText(path)))) << path;
  }
  OdbcConnection complete(environment_);
  EXPECT_TRUE(SQL_SUCCEEDED(complete.Connect(AccessConnectionText(database))));

  EXPECT_EQ(ListTree(dir_.path()), before);
  for (const std::string& path : absent) {
    EXPECT_FALSE(std::filesystem::exists(path)) << path;
  }
}

// The driver manager may read a driver's diagnostics through either API.
TEST(StandInDiagnosticsTest, ReachOdbc2ApplicationsThroughSQLError) {
  const TempDir dir;
  const OdbcEnvironment environment(SQL_OV_ODBC2);
  OdbcConnection connection(environment);
  ASSERT_EQ(connection.Connect(AccessConnectionText(dir.File("gone.mdb"))), SQL_ERROR);

  std::array<SQLCHAR, 6> sqlstate{};
  std::array<SQLCHAR, 512> message{};
  SQLINTEGER native_error = 0;
  SQLSMALLINT length = 0;
  ASSERT_EQ(SQLError(environment.get(), connection.get(), SQL_NULL_HSTMT, sqlstate.data(),
                     &native_error, message.data(), message.size(), &length),
            SQL_SUCCESS);
  EXPECT_EQ(native_error, 1002);
  EXPECT_NE(std::string(reinterpret_cast<char*>(message.data())).find(dir.File("gone.mdb")),
            std::string::npos);
}

// A database another program holds exclusively is refused at once, as the Access driver does,
// instead of waiting out the SQLite driver's 100 s busy timeout; once free, it opens again.
TEST_F(StandInConnectTest, RefusesAFileLockedByAnotherProgramAndOpensItOnceFree) {
  const std::string database = dir_.File("Brivanto.mdb");
  CreateSettingsDatabase(database);
  {
    SqliteFile holder(database, false);
    holder.Execute("BEGIN EXCLUSIVE");
    OdbcConnection connection(environment_);
    ASSERT_EQ(connection.Connect(AccessConnectionText(database)), SQL_ERROR);
    const auto diagnostic = connection.Diagnostic().value_or(DiagnosticRecord{});
    EXPECT_EQ(diagnostic.native_error, 1007);
    // In Dutch, as Windows speaks it here, and in its code page.
    EXPECT_NE(diagnostic.message.find(InWindows1252("al in gebruik door een ander programma")),
              std::string::npos)
        << diagnostic.message;
    EXPECT_NE(diagnostic.message.find("Be\xEBindig"), std::string::npos) << diagnostic.message;
  }
  OdbcConnection connection(environment_);
  ASSERT_TRUE(SQL_SUCCEEDED(connection.Connect(AccessConnectionText(database))));
  EXPECT_EQ(connection.Query(kVersionQuery), std::vector<std::string>{"42"});
}

// The driver behind the stand-in takes file URIs of at most 511 bytes: a path just inside that
// opens, a longer one is refused with a reason instead of SQLite's bare "connect failed".
TEST_F(StandInConnectTest, NamesThePathLengthLimitOfTheDriver) {
  std::filesystem::path folder = dir_.path();
  while (folder.string().size() < 400) {
    folder /= std::string(60, 'd');
  }
  std::filesystem::create_directories(folder);
  const std::string fitting = (folder / "f.mdb").string();
  const std::string tooLong = (folder / (std::string(495 - folder.string().size(), 'x') + ".mdb"));
  for (const auto& file : {fitting, tooLong}) {
    CreateSettingsDatabase(file);
    OdbcConnection connection(environment_);
    const bool fits = file.size() + 13 <= 511;
    EXPECT_EQ(SQL_SUCCEEDED(connection.Connect(AccessConnectionText(file))), fits);
    if (!fits) {
      const auto diagnostic = connection.Diagnostic().value_or(DiagnosticRecord{});
      EXPECT_EQ(diagnostic.native_error, 1008);
      EXPECT_NE(diagnostic.message.find("too long"), std::string::npos) << diagnostic.message;
    }
  }
}

TEST_F(StandInConnectTest, OffersNoWayAroundTheFileChecks) {
  const std::string database = dir_.File("Brivanto.mdb");
  CreateSettingsDatabase(database);
  OdbcConnection connection(environment_);
  ASSERT_TRUE(SQL_SUCCEEDED(connection.Connect(AccessConnectionText(database))));

  SQLUSMALLINT supported = SQL_TRUE;
  ASSERT_TRUE(
      SQL_SUCCEEDED(SQLGetFunctions(connection.get(), SQL_API_SQLBROWSECONNECT, &supported)));
  EXPECT_EQ(supported, SQL_FALSE);
  ASSERT_TRUE(SQL_SUCCEEDED(SQLGetFunctions(connection.get(), SQL_API_SQLFETCHSCROLL, &supported)));
  EXPECT_EQ(supported, SQL_TRUE);
}

}  // namespace
}  // namespace brivanto::standin::test
