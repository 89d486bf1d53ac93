// Repairing through SQLConfigDataSource, with the attribute bytes the program sends.
#include <gtest/gtest.h>
#include <odbcinst.h>
#include <sys/stat.h>

#include <array>
#include <fstream>

#include "StandInTestSupport.h"

namespace brivanto::standin::test {
namespace {

bool Configure(WORD request, const std::string& attributes) {
  return SQLConfigDataSource(nullptr, request, "Microsoft Access Driver (*.MDB)",
                             attributes.c_str()) != 0;
}

std::vector<std::string> Contents(const std::string& database) {
  SqliteFile db(database, false);
  std::vector<std::string> lines =
      db.Query("SELECT type, name, sql FROM sqlite_schema ORDER BY name");
  for (const std::string& table : db.Query("SELECT name FROM sqlite_schema WHERE type = 'table'")) {
    for (const std::string& row : db.Query("SELECT * FROM \"" + table + "\" ORDER BY rowid")) {
      lines.push_back(table);
      lines.back().append(": ").append(row);
    }
  }
  lines.push_back("user_version " + db.Query("PRAGMA user_version").at(0));
  return lines;
}

std::string Integrity(const std::string& database) {
  return SqliteFile(database, false).Query("PRAGMA integrity_check").at(0);
}

class StandInRepairTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(StandInRepairTest, RebuildsAHealthyDatabaseKeepingContentAndMode) {
  const std::string database = dir_.File("Brivanto data; 'ë' \"q\".mdb");
  CreateSettingsDatabase(database);
  {
    SqliteFile db(database);
    db.Execute(
        "CREATE TABLE tblLog(id INTEGER PRIMARY KEY AUTOINCREMENT, text TEXT);"
        "CREATE INDEX ixLog ON tblLog(text);"
        "CREATE VIEW vSettings AS SELECT sKey, Value FROM tblSettings;"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500)"
        "  INSERT INTO tblLog(text) SELECT printf('%0400d', i) FROM n;"
        "DELETE FROM tblLog WHERE id % 2 = 0;"
        "PRAGMA user_version = 7;");
  }
  ::chmod(database.c_str(), 0640);
  const std::vector<std::string> before = Contents(database);
  ASSERT_NE(SqliteFile(database, false).Query("PRAGMA freelist_count").at(0), "0");

  ASSERT_TRUE(Repair(InWindows1252(database))) << InstallerError().text;

  EXPECT_EQ(Contents(database), before);
  EXPECT_EQ(Integrity(database), "ok");
  EXPECT_EQ(SqliteFile(database, false).Query("PRAGMA freelist_count").at(0), "0");
  struct stat info {};
  ASSERT_EQ(::stat(database.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640U);
  EXPECT_EQ(ListTree(dir_.path()), std::set<std::string>{"Brivanto data; 'ë' \"q\".mdb"});
}

// Builds a table whose index b-trees, the one of a UNIQUE constraint among them, are then
// overwritten with garbage. A trigger shows whether copying rows fired it.
void CreateDamagedIndexes(const std::string& database) {
  {
    SqliteFile db(database);
    db.Execute(
        "CREATE TABLE tblOrders(id INTEGER PRIMARY KEY AUTOINCREMENT, code TEXT UNIQUE,"
        "  name TEXT, amount INT);"
        "CREATE INDEX ixOrderName ON tblOrders(name);"
        "CREATE TABLE tblAudit(n INT);"
        "CREATE TRIGGER trOrder AFTER INSERT ON tblOrders BEGIN INSERT INTO tblAudit VALUES (1); "
        "END;"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
        "  INSERT INTO tblOrders(code, name, amount) SELECT 'c' || i, 'name' || i, i * 3 FROM n;"
        "DELETE FROM tblAudit; UPDATE sqlite_sequence SET seq = 5000;");
  }
  SqliteFile db(database, false);
  const long page_size = std::stol(db.Query("PRAGMA page_size").at(0));
  std::fstream file(database, std::ios::in | std::ios::out | std::ios::binary);
  for (const std::string& root :
       db.Query("SELECT rootpage FROM sqlite_schema WHERE type = 'index'")) {
    file.seekp((std::stol(root) - 1) * page_size + 8);
    file << std::string(2000, '\x5A');
  }
}

TEST_F(StandInRepairTest, RebuildsADamagedIndexFromTheTableRows) {
  const std::string database = dir_.File("damaged.mdb");
  CreateDamagedIndexes(database);
  const std::vector<std::string> rows =
      SqliteFile(database, false).Query("SELECT * FROM tblOrders NOT INDEXED ORDER BY id");
  ASSERT_EQ(rows.size(), 3000U);
  ASSERT_NE(Integrity(database), "ok");

  ASSERT_TRUE(Repair(database)) << InstallerError().text;

  EXPECT_EQ(Integrity(database), "ok");
  SqliteFile db(database, false);
  EXPECT_EQ(db.Query("SELECT * FROM tblOrders NOT INDEXED ORDER BY id"), rows);
  EXPECT_EQ(db.Query("SELECT id FROM tblOrders INDEXED BY ixOrderName WHERE name = 'name1234'"),
            std::vector<std::string>{"1234"});
  EXPECT_EQ(db.Query("SELECT id FROM tblOrders WHERE code = 'c2345'"),
            std::vector<std::string>{"2345"});
  EXPECT_EQ(db.Query("SELECT count(*) FROM tblAudit"), std::vector<std::string>{"0"});
  EXPECT_EQ(db.Query("SELECT seq FROM sqlite_sequence"), std::vector<std::string>{"5000"});
  EXPECT_EQ(db.Query("SELECT name FROM sqlite_schema WHERE type = 'trigger'"),
            std::vector<std::string>{"trOrder"});
  EXPECT_EQ(ListTree(dir_.path()), std::set<std::string>{"damaged.mdb"});
}

struct Refusal {
  const char* what;
  std::string path;
  const char* reason;
};

TEST_F(StandInRepairTest, RefusesWhatItCannotRepairAndLeavesItAlone) {
  WriteBytes(dir_.File("text.mdb"), std::string(5000, 'x'));
  WriteBytes(dir_.File("empty.mdb"), "");
  const std::vector<Refusal> refusals = {
      {"not a database", dir_.File("text.mdb"), "not a database"},
      {"empty file", dir_.File("empty.mdb"), "not a database"},
      {"missing file", dir_.File("missing.mdb"), "does not exist"},
      {"folder", dir_.path().string(), "not a file"},
      {"no path", "", "no database file was given"},
  };
  const std::set<std::string> files = ListTree(dir_.path());

  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.what);
    EXPECT_FALSE(Repair(refusal.path));
    const InstallerMessage message = InstallerError();
    EXPECT_EQ(message.code, static_cast<DWORD>(ODBC_ERROR_REQUEST_FAILED));
    EXPECT_NE(message.text.find(refusal.path), std::string::npos) << message.text;
    EXPECT_NE(message.text.find(refusal.reason), std::string::npos) << message.text;
  }
  EXPECT_EQ(ListTree(dir_.path()), files);
  EXPECT_EQ(ReadBytes(dir_.File("text.mdb")), std::string(5000, 'x'));
}

// Another connection in the middle of a write transaction, as the program's own would be.
TEST_F(StandInRepairTest, RefusesADatabaseThatIsInUse) {
  const std::string database = dir_.File("busy.mdb");
  CreateSettingsDatabase(database);
  const std::string bytes = ReadBytes(database);
  {
    SqliteFile other(database, false);
    other.Execute("BEGIN EXCLUSIVE");

    EXPECT_FALSE(Repair(database));
    const InstallerMessage message = InstallerError();
    // In Dutch, as Windows speaks it here, and in its code page.
    EXPECT_NE(message.text.find(InWindows1252("in gebruik door een ander programma")),
              std::string::npos)
        << message.text;
    EXPECT_NE(message.text.find("Be\xEBindig"), std::string::npos) << message.text;
    EXPECT_NE(message.text.find(database), std::string::npos) << message.text;
    EXPECT_TRUE(ReadBytes(database) == bytes) << "the file changed";
    EXPECT_EQ(ListTree(dir_.path()), std::set<std::string>{"busy.mdb"});
  }
  EXPECT_TRUE(Repair(database)) << InstallerError().text;
}

TEST_F(StandInRepairTest, RefusesRequestsOtherThanRepair) {
  using namespace std::string_literals;
  const std::string database = dir_.File("data.mdb");
  CreateSettingsDatabase(database);
  const std::string bytes = ReadBytes(database);

  EXPECT_FALSE(Configure(ODBC_CONFIG_DSN,
                         "COMPACT_DB=\""s + database + "\" \"" + dir_.File("out.mdb") + "\"\0\0"s));
  EXPECT_EQ(InstallerError().code, static_cast<DWORD>(ODBC_ERROR_INVALID_KEYWORD_VALUE));
  EXPECT_FALSE(Configure(ODBC_CONFIG_DSN, "CREATE_DB=\""s + dir_.File("new.mdb") + "\"\0\0"s));
  EXPECT_NE(InstallerError().text.find("not supported"), std::string::npos);
  EXPECT_FALSE(Configure(ODBC_REMOVE_DSN, RepairAttributes(database)));
  EXPECT_EQ(InstallerError().code, static_cast<DWORD>(ODBC_ERROR_INVALID_REQUEST_TYPE));

  EXPECT_TRUE(ReadBytes(database) == bytes) << "the file changed";
  EXPECT_EQ(ListTree(dir_.path()), std::set<std::string>{"data.mdb"});
}

}  // namespace
}  // namespace brivanto::standin::test
