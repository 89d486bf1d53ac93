#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "RealDatabaseWindow.h"

namespace brivanto::testing {
namespace {

namespace fs = std::filesystem;

std::vector<SettingsRow> DocumentPathRows(const fs::path& database) {
  std::vector<SettingsRow> rows;
  for (const auto& row : OdbcTestEnvironment::ReadSettings(database)) {
    if (row.section == "Storage" && row.key == "DocumentPath") {
      rows.push_back(row);
    }
  }
  return rows;
}

// The image folder over the real database; only the dialogs are scripted.
class ImageFolderEndToEndTest : public RealDatabaseWindow {
 protected:
  void Choose(const std::string& folder) {
    fakes.messageBox.answers = {ports::message_box::kAnswerYes};
    fakes.shell.choice = folder;
    form->btnSelectImagePath_Click();
  }
  fs::path CreateSqlite(const std::string& sql) {
    fs::path file = environment.WorkDirectory() / (OdbcTestEnvironment::UniqueName("Db") + ".mdb");
    sqlite3* raw = nullptr;
    EXPECT_EQ(sqlite3_open(file.string().c_str(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(raw);
    return file;
  }
  std::vector<ShownMessage> Errors() const {
    std::vector<ShownMessage> errors;
    for (const auto& message : fakes.messageBox.shown) {
      if (message.style == ports::message_box::kIconError) {
        errors.push_back(message);
      }
    }
    return errors;
  }
};

// A path is one value of the connection text whatever it holds: the file it names is the one
// opened, never a neighbour whose name a driver could read out of it.
TEST_F(ImageFolderEndToEndTest, ThePathBoxOpensExactlyTheFileItNames) {
  const std::pair<std::string, std::string> namedAndDecoy[] = {
      {"k.mdb;uid=x", "k.mdb"}, {"{a}b.mdb", "a"}, {"c}.mdb", "c"}, {"e.mdb ", "e.mdb"}};
  for (const auto& [named, decoy] : namedAndDecoy) {
    environment.CreateSettingsDatabase(decoy, {{"Storage", "DocumentPath", "/decoy"}});
    Open(environment.CreateSettingsDatabase(named, {{"Storage", "DocumentPath", "/right"}}));
    EXPECT_EQ(view.dir, "/right") << named;
  }
}

TEST_F(ImageFolderEndToEndTest, AMissingRowIsInsertedOnceAndThenUpdated) {
  const auto file = CreateDatabase({{"License", "LoggedOn1", "PC-07 jan"}});
  Open(file);
  ASSERT_EQ(view.dir, "");

  Choose("/srv/images");
  ASSERT_EQ(DocumentPathRows(file).size(), 1U);
  EXPECT_EQ(DocumentPathRows(file)[0].value, "/srv/images");

  Choose("/srv/images 2");
  ASSERT_EQ(DocumentPathRows(file).size(), 1U);
  EXPECT_EQ(DocumentPathRows(file)[0].value, "/srv/images 2");
  EXPECT_EQ(OdbcTestEnvironment::ReadSettings(file).size(), 2U);

  Open(file);
  EXPECT_EQ(view.dir, "/srv/images 2");
  EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors()[0].text);
}

TEST_F(ImageFolderEndToEndTest, OnlyTheFirstOfSeveralMatchingRowsChanges) {
  const auto file = CreateDatabase({{"Storage", "DocumentPath", "/old/one"},
                                    {"Storage", "Other", "/old/one"},
                                    {"Storage", "DocumentPath", "/old/two"}});
  Open(file);
  ASSERT_EQ(view.dir, "/old/one");

  Choose("/new");

  const auto rows = OdbcTestEnvironment::ReadSettings(file);
  ASSERT_EQ(rows.size(), 3U);
  EXPECT_EQ(rows[0].value, "/new");
  EXPECT_EQ(rows[1].value, "/old/one");
  EXPECT_EQ(rows[2].value, "/old/two");
  EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors()[0].text);
}

// The Access driver may name no base table or column, cannot search a Memo, and writes a float
// in the regional number format: the folder is still written, into the first matching row only,
// and rows it cannot tell apart are left alone.
TEST_F(ImageFolderEndToEndTest, TheFirstMatchingRowChangesWhateverTheDriverSaysOfItsColumns) {
  const char* const schema =
      "CREATE TABLE tblSettings(Id integer, Section text, sKey text, Value memo, Amount double, "
      "Scan blob);";
  const char* const rows =
      "INSERT INTO tblSettings VALUES(1, 'Storage', 'DocumentPath', '/old/one', 1.5, x'00ff');"
      "INSERT INTO tblSettings VALUES(2, 'Storage', 'Other', '/old/one', 1.5, x'00ff');"
      "INSERT INTO tblSettings VALUES(3, 'Storage', 'DocumentPath', '/old/two', 2.5, x'01');";
  for (const char* baseNames : {"empty", "given"}) {
    for (const char* memo : {"refuse", "compare"}) {
      for (const char* decimal : {"comma", "point"}) {
        SCOPED_TRACE(std::string(baseNames) + " " + memo + " " + decimal);
        const ScopedEnvironment names("BRIVANTO_STANDIN_BASE_NAMES", baseNames);
        const ScopedEnvironment memos("BRIVANTO_STANDIN_MEMO_COMPARE", memo);
        const ScopedEnvironment floats("BRIVANTO_STANDIN_DECIMAL_SEPARATOR", decimal);
        const auto file = CreateSqlite(std::string(schema) + rows);
        Open(file);
        Choose("/new");
        const auto written = OdbcTestEnvironment::ReadSettings(file);
        ASSERT_EQ(written.size(), 3U);
        EXPECT_EQ(written[0].value, "/new");
        EXPECT_EQ(written[1].value, "/old/one");
        EXPECT_EQ(written[2].value, "/old/two");
        EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors()[0].text);

        // Without the Id the two DocumentPath rows differ only where no match can look.
        const auto alike = CreateSqlite(
            "CREATE TABLE tblSettings(Section text, sKey text, Value memo);"
            "INSERT INTO tblSettings VALUES('Storage', 'DocumentPath', '/old/one');"
            "INSERT INTO tblSettings VALUES('Storage', 'DocumentPath', '/old/two');");
        Open(alike);
        Choose("/new");
        EXPECT_EQ(view.dir, "/old/one");
        EXPECT_EQ(DocumentPathRows(alike)[0].value, "/old/one");
        EXPECT_EQ(DocumentPathRows(alike)[1].value, "/old/two");
        ASSERT_EQ(Errors().size(), 1U);
        fakes.messageBox.shown.clear();
      }
    }
  }
}

TEST_F(ImageFolderEndToEndTest, TrickyFoldersAreReadBackUnchanged) {
  const std::vector<std::string> folders = {
      "/srv/d'Artagnan", "/srv/\"quoted\"", "/srv/a; drop table tblSettings",
      "/srv/a -- b",     "/srv/100%_klaar", "/srv/Foto's Ærø café",
      "/srv/'); --",     "C:\\Data\\"};
  const auto withoutRow = CreateDatabase({});
  const auto withRow = CreateDatabase({{"Storage", "DocumentPath", "/old"}});
  for (const auto& folder : folders) {
    SCOPED_TRACE(folder);
    for (const auto& file : {withoutRow, withRow}) {
      Open(file);
      Choose(folder);
      Open(file);
      EXPECT_EQ(view.dir, folder);
      EXPECT_EQ(DocumentPathRows(file).size(), 1U);
    }
  }
  EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors()[0].text);
}

TEST_F(ImageFolderEndToEndTest, AFileWithoutTheSettingsTableIsReportedAndNothingSticks) {
  const auto file = CreateSqlite("CREATE TABLE other(x text)");
  Open(file);
  view.dir = "/shown/before";

  Choose("/srv/new");

  EXPECT_EQ(view.dir, "/shown/before");
  ASSERT_EQ(Errors().size(), 1U);
  EXPECT_NE(Errors()[0].text.find("tblSettings"), std::string::npos) << Errors()[0].text;
}

}  // namespace
}  // namespace brivanto::testing
