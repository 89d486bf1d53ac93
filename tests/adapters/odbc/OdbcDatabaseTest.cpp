#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "OdbcDatabase.h"
#include "OdbcTestEnvironment.h"

namespace brivanto::odbc {
namespace {

const ports::RowKey kSettingsKey{"tblSettings", {"Section", "sKey"}};

using testing::OdbcTestEnvironment;
using testing::SettingsRow;
using Rows = std::vector<std::vector<ports::FieldValue>>;

constexpr const char* kSelectAll = "SELECT Section, sKey, Value FROM tblSettings ORDER BY rowid";

template <typename Action>
std::int32_t FailureNumberOf(Action action) {
  try {
    action();
  } catch (const Failure& failure) {
    return failure.Number();
  }
  ADD_FAILURE() << "no Failure was thrown";
  return 0;
}

Rows ReadRemainingRows(ports::Recordset& recordset) {
  Rows rows;
  for (; !recordset.Eof(); recordset.MoveNext()) {
    std::vector<ports::FieldValue>& row = rows.emplace_back();
    for (std::size_t index = 0; index < recordset.FieldCount(); ++index) {
      row.push_back(recordset.Field(index));
    }
  }
  return rows;
}

class OdbcDatabaseTest : public ::testing::Test {
 protected:
  static std::vector<SettingsRow> SampleRows() {
    return {{"Storage", "DocumentPath", "C:\\Docs"},
            {"Users", "LoggedOn", std::nullopt},
            {"Users", "Empty", ""},
            {"  Padded ", "\tTabbed", "trailing  \n"}};
  }

  std::unique_ptr<ports::Connection> Connect() {
    auto connection = database_.CreateConnection();
    connection->Open(OdbcTestEnvironment::SqliteConnectionText(file_));
    return connection;
  }

  OdbcTestEnvironment environment_;
  OdbcDatabase database_;
  std::filesystem::path file_ = environment_.CreateSettingsDatabase("settings.db", SampleRows());
  std::unique_ptr<ports::Connection> connection_ = Connect();
};

// Reading rows

TEST_F(OdbcDatabaseTest, ExecuteOfASelectReadsEveryRowVerbatimByIndexOrName) {
  const auto recordset = connection_->Execute(kSelectAll);

  ASSERT_TRUE(recordset->IsOpen());
  EXPECT_EQ(recordset->FieldCount(), 3U);
  EXPECT_EQ(recordset->Field("SECTION"), "Storage");
  EXPECT_EQ(recordset->Field("skey"), "DocumentPath");
  const Rows expected = {{"Storage", "DocumentPath", "C:\\Docs"},
                         {"Users", "LoggedOn", std::nullopt},
                         {"Users", "Empty", ""},
                         {"  Padded ", "\tTabbed", "trailing  \n"}};
  EXPECT_EQ(ReadRemainingRows(*recordset), expected);
}

TEST_F(OdbcDatabaseTest, LongAndNonAsciiValuesArriveWhole) {
  const std::string longText = std::string(100000, 'x') + "end";
  const std::string dutch = "Coöperatie Zeeuws-Vlaanderen € 漢字";
  connection_->ExecuteWithParameters("INSERT INTO tblSettings VALUES('Long', ?, ?)",
                                     {dutch, longText});

  const auto recordset =
      connection_->Execute("SELECT sKey, Value FROM tblSettings WHERE Section = 'Long'");

  EXPECT_EQ(recordset->Field("sKey"), dutch);
  EXPECT_EQ(recordset->Field("Value"), longText);
}

TEST_F(OdbcDatabaseTest, MisreadsFailWithTheirOwnNumbers) {
  const auto recordset = connection_->Execute("SELECT Value FROM tblSettings WHERE 0");

  EXPECT_TRUE(recordset->Eof());
  EXPECT_EQ(recordset->RecordCount(), 0);
  EXPECT_EQ(FailureNumberOf([&] { recordset->Field(0); }), failure_codes::kNoCurrentRecord);
  EXPECT_EQ(FailureNumberOf([&] { recordset->MoveNext(); }), failure_codes::kNoCurrentRecord);

  const auto rows = connection_->Execute(kSelectAll);
  EXPECT_EQ(FailureNumberOf([&] { rows->Field("NoSuchField"); }), failure_codes::kItemNotFound);
  EXPECT_EQ(FailureNumberOf([&] { rows->Field(3); }), failure_codes::kItemNotFound);

  rows->Close();
  EXPECT_FALSE(rows->IsOpen());
  EXPECT_EQ(FailureNumberOf([&] { rows->Eof(); }), failure_codes::kObjectClosed);
  EXPECT_EQ(FailureNumberOf([&] { rows->Field(0); }), failure_codes::kObjectClosed);
}

// RecordCount

TEST_F(OdbcDatabaseTest, RecordCountAfterTheLastRowIsTheNumberOfRows) {
  const auto recordset = connection_->Execute(kSelectAll);
  ReadRemainingRows(*recordset);

  EXPECT_EQ(recordset->RecordCount(), 4);
}

TEST_F(OdbcDatabaseTest, RecordCountBeforeReadingLeavesEveryRowReadable) {
  const auto recordset = connection_->Execute(kSelectAll);
  recordset->MoveNext();

  EXPECT_EQ(recordset->RecordCount(), 4);
  EXPECT_EQ(recordset->Field("sKey"), "LoggedOn");
  EXPECT_EQ(ReadRemainingRows(*recordset).size(), 3U);
  EXPECT_EQ(recordset->RecordCount(), 4);
}

// Statements without rows

TEST_F(OdbcDatabaseTest, ChangingStatementsReportTheRowsTheyChanged) {
  std::int32_t affected = -5;
  const auto update =
      connection_->Execute("UPDATE tblSettings SET Value = 'x' WHERE Section = 'Users'", &affected);
  EXPECT_FALSE(update->IsOpen());
  EXPECT_EQ(affected, 2);

  connection_->Execute("UPDATE tblSettings SET Value = 'x' WHERE Section = 'None'", &affected);
  EXPECT_EQ(affected, 0);

  const auto copy = connection_->Execute("INSERT INTO tblSettings SELECT * FROM tblSettings");
  EXPECT_FALSE(copy->IsOpen());
  EXPECT_EQ(OdbcTestEnvironment::ReadSettings(file_).size(), 8U);
}

// Failures carry the driver's own text

TEST_F(OdbcDatabaseTest, SyntaxErrorCarriesTheDriversText) {
  try {
    connection_->Execute("selec * from tblSettings");
    FAIL() << "no Failure was thrown";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Number(), failure_codes::kProviderError);
    EXPECT_EQ(failure.Description(), "[SQLite]near \"selec\": syntax error (1)");
  }
}

TEST_F(OdbcDatabaseTest, BadConnectionTextFailsWithTheDriverManagersText) {
  const auto connection = database_.CreateConnection();
  try {
    connection->Open("no driver and no data source");
    FAIL() << "no Failure was thrown";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Number(), failure_codes::kProviderError);
    EXPECT_EQ(failure.Description(),
              "[unixODBC][Driver Manager]Data source name not found and no default driver "
              "specified");
  }

  EXPECT_FALSE(connection->IsOpen());
  EXPECT_EQ(FailureNumberOf([&] { connection->Execute(kSelectAll); }),
            failure_codes::kConnectionNotOpen);
  EXPECT_EQ(FailureNumberOf([&] { connection->ExecuteWithParameters(kSelectAll, {}); }),
            failure_codes::kConnectionNotOpen);
}

TEST_F(OdbcDatabaseTest, AFailedOpenCanBeRetriedButAnOpenConnectionCannotReopen) {
  const auto connection = database_.CreateConnection();
  EXPECT_THROW(connection->Open("Driver={No Such Driver}"), Failure);

  connection->Open(OdbcTestEnvironment::SqliteConnectionText(file_));
  EXPECT_TRUE(connection->IsOpen());
  EXPECT_EQ(
      FailureNumberOf([&] { connection->Open(OdbcTestEnvironment::SqliteConnectionText(file_)); }),
      failure_codes::kObjectAlreadyOpen);
}

// Lifetimes

TEST_F(OdbcDatabaseTest, ReleasingTheConnectionClosesTheDatabaseFile) {
  ASSERT_GT(OdbcTestEnvironment::OpenDescriptorCount(file_), 0);

  connection_.reset();

  EXPECT_EQ(OdbcTestEnvironment::OpenDescriptorCount(file_), 0);
}

TEST_F(OdbcDatabaseTest, ARecordsetOutlivingItsConnectionIsClosedNotDangling) {
  const auto recordset = connection_->Execute(kSelectAll);

  connection_.reset();

  EXPECT_EQ(OdbcTestEnvironment::OpenDescriptorCount(file_), 0);
  EXPECT_FALSE(recordset->IsOpen());
  EXPECT_EQ(FailureNumberOf([&] { recordset->MoveNext(); }), failure_codes::kObjectClosed);
  recordset->Close();
}

TEST_F(OdbcDatabaseTest, ConnectionsOutliveTheDatabaseObjectAndWorkSideBySide) {
  auto database = std::make_unique<OdbcDatabase>();
  const auto first = database->CreateConnection();
  const auto second = database->CreateConnection();
  database.reset();

  first->Open(OdbcTestEnvironment::SqliteConnectionText(file_));
  second->Open(OdbcTestEnvironment::SqliteConnectionText(file_));
  first->ExecuteWithParameters("INSERT INTO tblSettings VALUES('New', 'Key', ?)", {"seen"});

  EXPECT_EQ(second->Execute("SELECT Value FROM tblSettings WHERE Section = 'New'")->Field(0),
            "seen");
}

// Parameters

TEST_F(OdbcDatabaseTest, ParametersRoundTripVerbatim) {
  const std::vector<std::string> texts = {
      "O'Brien",    "say \"hi\"", "a; DROP TABLE tblSettings; --", "100%_match",     "",
      "ëïü € 漢字", "  spaced  ", std::string(300, 'L'),           "?  not a marker"};
  for (const std::string& text : texts) {
    EXPECT_EQ(
        connection_->ExecuteWithParameters(
            "INSERT INTO tblSettings(Section, sKey, Value) VALUES('Param', ?, ?)", {text, text}),
        1);
  }

  const auto rows = OdbcTestEnvironment::ReadSettings(file_);
  ASSERT_EQ(rows.size(), SampleRows().size() + texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const SettingsRow& row = rows[SampleRows().size() + i];
    EXPECT_EQ(row.key, texts[i]);
    EXPECT_EQ(row.value, texts[i]);
  }
}

TEST_F(OdbcDatabaseTest, ParametersSelectAndCountMatchingRows) {
  EXPECT_EQ(connection_->ExecuteWithParameters("UPDATE tblSettings SET Value = ? WHERE Section = ?",
                                               {"it's", "Users"}),
            2);
  EXPECT_EQ(
      connection_->ExecuteWithParameters("DELETE FROM tblSettings WHERE Section = ?", {"None"}), 0);
  EXPECT_EQ(FailureNumberOf([&] {
              connection_->ExecuteWithParameters("UPDATE tblSettings SET Value = ?", {});
            }),
            failure_codes::kProviderError);
}

// Cursors and updates

TEST_F(OdbcDatabaseTest, EveryCursorAndLockTypeReadsTheSameRows) {
  const Rows expected = ReadRemainingRows(*connection_->Execute(kSelectAll));
  for (const ports::CursorType cursor : {ports::CursorType::ForwardOnly, ports::CursorType::Keyset,
                                         ports::CursorType::Dynamic, ports::CursorType::Static}) {
    for (const ports::LockType lock : {ports::LockType::ReadOnly, ports::LockType::Optimistic}) {
      SCOPED_TRACE(::testing::Message()
                   << "cursor " << static_cast<int>(cursor) << " lock " << static_cast<int>(lock));
      const auto recordset = connection_->OpenRecordset(kSelectAll, cursor, lock);
      EXPECT_EQ(recordset->RecordCount(), 4);
      EXPECT_EQ(ReadRemainingRows(*recordset), expected);
    }
  }
}

TEST_F(OdbcDatabaseTest, UpdateFieldWritesOnlyTheCurrentRow) {
  const auto recordset =
      connection_->OpenRecordset("SELECT * FROM tblSettings WHERE Section = 'Users'",
                                 ports::CursorType::Dynamic, ports::LockType::Optimistic);

  recordset->UpdateField("value", "D:\\O'Brien's \"map\" ë", kSettingsKey);

  EXPECT_EQ(recordset->Field("Value"), "D:\\O'Brien's \"map\" ë");
  std::vector<SettingsRow> expected = SampleRows();
  expected[1].value = "D:\\O'Brien's \"map\" ë";
  const auto rows = OdbcTestEnvironment::ReadSettings(file_);
  ASSERT_EQ(rows.size(), expected.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].section, expected[i].section);
    EXPECT_EQ(rows[i].key, expected[i].key);
    EXPECT_EQ(rows[i].value, expected[i].value);
  }
}

TEST_F(OdbcDatabaseTest, UpdateFieldRefusesResultsThatCannotBeWrittenBack) {
  const auto executed = connection_->Execute(kSelectAll);
  EXPECT_EQ(FailureNumberOf([&] { executed->UpdateField("Value", "x", kSettingsKey); }),
            failure_codes::kResultNotUpdatable);

  const auto readOnly =
      connection_->OpenRecordset(kSelectAll, ports::CursorType::Keyset, ports::LockType::ReadOnly);
  EXPECT_EQ(FailureNumberOf([&] { readOnly->UpdateField("Value", "x", kSettingsKey); }),
            failure_codes::kResultNotUpdatable);

  const auto computed =
      connection_->OpenRecordset("SELECT Value || '!' AS Shout FROM tblSettings",
                                 ports::CursorType::Keyset, ports::LockType::Optimistic);
  EXPECT_EQ(FailureNumberOf([&] { computed->UpdateField("Shout", "x", kSettingsKey); }),
            failure_codes::kResultNotUpdatable);

  const auto rows = connection_->OpenRecordset(kSelectAll, ports::CursorType::Keyset,
                                               ports::LockType::Optimistic);
  EXPECT_EQ(FailureNumberOf([&] { rows->UpdateField("NoSuchField", "x", kSettingsKey); }),
            failure_codes::kItemNotFound);
}

TEST_F(OdbcDatabaseTest, UpdateFieldOfARowChangedSinceReadingFails) {
  const auto recordset =
      connection_->OpenRecordset("SELECT * FROM tblSettings WHERE Section = 'Storage'",
                                 ports::CursorType::Dynamic, ports::LockType::Optimistic);
  connection_->Execute("UPDATE tblSettings SET Value = 'changed' WHERE Section = 'Storage'");

  EXPECT_EQ(FailureNumberOf([&] { recordset->UpdateField("Value", "mine", kSettingsKey); }),
            failure_codes::kRowNotFound);
  EXPECT_EQ(OdbcTestEnvironment::ReadSettings(file_)[0].value, "changed");
}

}  // namespace
}  // namespace brivanto::odbc
