// The connection and recordset ports as the core uses them, held against the fake and the real
// ODBC layer over the Access stand-in.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AccessDriver.h"
#include "ContractWorld.h"
#include "OdbcTestEnvironment.h"
#include "Windows1252.h"
#include "support/fakes/FakeDatabase.h"

namespace brivanto::testing {
namespace {

using ports::Connection;
using ports::Recordset;

constexpr const char* kLicenseRows =
    "SELECT Section, sKey, Value FROM tblSettings WHERE Section = 'License' ORDER BY sKey";
constexpr const char* kTouchLicenseRows =
    "UPDATE tblSettings SET Value = 'x' WHERE Section = 'License'";
constexpr const char* kInsertRow =
    "INSERT INTO tblSettings (Section, sKey, Value) VALUES (?, ?, ?)";
constexpr const char* kSyntaxError = "SELEC * FROM tblSettings";

const std::vector<SettingsRow> kRows = {{"License", "LoggedOn1", "PC-07 jan"},
                                        {"Storage", "DocumentPath", "D:\\Docs"},
                                        {"License", "LoggedOn2", std::nullopt}};

class DatabaseWorld {
 public:
  virtual ~DatabaseWorld() = default;
  virtual ports::Database& Database() = 0;
  virtual std::string ConnectionText() const = 0;
  // Section, key and value of the last row inserted with parameters, as the store keeps them.
  virtual std::vector<std::string> LastInserted() = 0;
};

class FakeWorld : public DatabaseWorld {
 public:
  FakeWorld() {
    auto& state = database_.state;
    state.results[kLicenseRows] =
        FakeTable{{"Section", "sKey", "Value"},
                  {{"License", "LoggedOn1", "PC-07 jan"}, {"License", "LoggedOn2", std::nullopt}}};
    state.affected[kTouchLicenseRows] = 2;
    state.affected[kInsertRow] = 1;
    state.failures.emplace(kSyntaxError, Failure(failure_codes::kProviderError,
                                                 "near \"SELEC\": syntax error", "HY000", 1));
  }
  ports::Database& Database() override { return database_; }
  std::string ConnectionText() const override { return "fake.mdb"; }
  std::vector<std::string> LastInserted() override {
    return database_.state.executed.back().parameters;
  }

 private:
  FakeDatabase database_;
};

class OdbcWorld : public DatabaseWorld {
 public:
  OdbcWorld() : file_(environment_.CreateSettingsDatabase("contract.mdb", kRows)) {}
  ports::Database& Database() override { return access_.database; }
  std::string ConnectionText() const override {
    return OdbcTestEnvironment::AccessConnectionText(file_);
  }
  std::vector<std::string> LastInserted() override {
    const auto row = OdbcTestEnvironment::ReadSettings(file_).back();
    return {row.section.value_or("NULL"), row.key.value_or("NULL"), row.value.value_or("NULL")};
  }

 private:
  OdbcTestEnvironment environment_;  // first: the private ODBC configuration
  std::filesystem::path file_;
  odbc::Windows1252 codePage_;
  odbc::AccessDriver access_{codePage_};
};

class ConnectionContract : public ::testing::TestWithParam<WorldMaker<DatabaseWorld>> {
 public:
  void SetUp() override {
    if (GetParam().name == "Odbc" && !OdbcTestEnvironment::AccessStandInBuilt()) {
      GTEST_FAIL() << "the Access stand-in driver (brivanto-access-odbc) is not built";
    }
    world = GetParam().make();
    connection = world->Database().CreateConnection();
  }
  void Open() { connection->Open(world->ConnectionText()); }
  std::unique_ptr<Recordset> LicenseRows() { return connection->Execute(kLicenseRows); }

  std::unique_ptr<DatabaseWorld> world;
  std::unique_ptr<Connection> connection;
};

TEST_P(ConnectionContract, RowsReadWithFieldNamesInAnyCaseAndNullAsNothing) {
  Open();
  const auto rows = connection->OpenRecordset(kLicenseRows, ports::CursorType::Static,
                                              ports::LockType::Optimistic);
  ASSERT_TRUE(rows->IsOpen());
  EXPECT_EQ(rows->FieldCount(), 3U);
  EXPECT_EQ(rows->RecordCount(), 2);
  for (const char* name : {"Value", "value", "VALUE", "vAlUe"}) {
    EXPECT_EQ(rows->Field(name), "PC-07 jan") << name;
  }
  EXPECT_EQ(rows->Field(std::size_t{1}), "LoggedOn1");
  rows->MoveNext();
  EXPECT_FALSE(rows->Eof());
  EXPECT_EQ(rows->Field("value"), std::nullopt);
  rows->MoveNext();
  EXPECT_TRUE(rows->Eof());
  EXPECT_EQ(rows->RecordCount(), 2);
}

TEST_P(ConnectionContract, ExecuteCountsChangedRowsAndParametersAreStoredVerbatim) {
  Open();
  std::int32_t affected = -7;
  const auto result = connection->Execute(kTouchLicenseRows, &affected);
  EXPECT_EQ(affected, 2);
  EXPECT_FALSE(result->IsOpen());

  const std::vector<std::string> texts = {"It's \"quoted\"", "  %s ?;--  ", "C:\\a b\\é"};
  EXPECT_EQ(connection->ExecuteWithParameters(kInsertRow, texts), 1);
  EXPECT_EQ(world->LastInserted(), texts);
}

struct Misuse {
  const char* name;
  std::function<void(ConnectionContract&)> act;
  std::int32_t number;
  std::string description;
};

TEST_P(ConnectionContract, MisuseThrowsTheNumbersAndTextsOfTheRealLayer) {
  const auto closedRows = [](ConnectionContract& test) {
    test.Open();
    auto rows = test.LicenseRows();
    rows->Close();
    return rows;
  };
  const auto rowsAtEnd = [](ConnectionContract& test) {
    test.Open();
    auto rows = test.LicenseRows();
    rows->MoveNext();
    rows->MoveNext();
    return rows;
  };
  const std::string notOpen = "De verbinding met de database is niet geopend";
  const std::string closed = "De recordset is gesloten";
  const std::string noRecord = "Er is geen huidig record: het einde van de recordset is bereikt";
  const std::vector<Misuse> cases = {
      {"execute before open", [](auto& t) { t.connection->Execute(kLicenseRows); },
       failure_codes::kConnectionNotOpen, notOpen},
      {"parameters before open",
       [](auto& t) {
         t.connection->ExecuteWithParameters(kInsertRow, {"a", "b", "c"});
       },
       failure_codes::kConnectionNotOpen, notOpen},
      {"recordset before open",
       [](auto& t) {
         t.connection->OpenRecordset(kLicenseRows, ports::CursorType::Static,
                                     ports::LockType::Optimistic);
       },
       failure_codes::kConnectionNotOpen, notOpen},
      {"opened twice", [](auto& t) { t.Open(), t.Open(); }, failure_codes::kObjectAlreadyOpen,
       "De verbinding met de database is al geopend"},
      {"eof when closed", [&](auto& t) { closedRows(t)->Eof(); }, failure_codes::kObjectClosed,
       closed},
      {"field when closed", [&](auto& t) { closedRows(t)->Field("Value"); },
       failure_codes::kObjectClosed, closed},
      {"count when closed", [&](auto& t) { closedRows(t)->RecordCount(); },
       failure_codes::kObjectClosed, closed},
      {"field at end", [&](auto& t) { rowsAtEnd(t)->Field("Value"); },
       failure_codes::kNoCurrentRecord, noRecord},
      {"move past end", [&](auto& t) { rowsAtEnd(t)->MoveNext(); }, failure_codes::kNoCurrentRecord,
       noRecord},
      {"unknown name",
       [](auto& t) {
         t.Open();
         t.LicenseRows()->Field("Waarde");
       },
       failure_codes::kItemNotFound, "De recordset heeft geen veld met de naam 'Waarde'"},
      {"number out of range",
       [](auto& t) {
         t.Open();
         t.LicenseRows()->Field(std::size_t{3});
       },
       failure_codes::kItemNotFound, "De recordset heeft geen veld met nummer 3"},
  };
  for (const auto& misuse : cases) {
    SCOPED_TRACE(misuse.name);
    connection = world->Database().CreateConnection();
    const Failure failure = FailureOf([&] { misuse.act(*this); });
    EXPECT_EQ(failure.Number(), misuse.number);
    EXPECT_EQ(failure.Description(), misuse.description);
  }
}

TEST_P(ConnectionContract, DriverFailuresCarryTheProviderNumberAndTheDriversState) {
  Open();
  const Failure failure = FailureOf([&] { connection->Execute(kSyntaxError); });
  EXPECT_EQ(failure.Number(), failure_codes::kProviderError);
  EXPECT_EQ(failure.Sqlstate(), "HY000");
  EXPECT_EQ(failure.NativeError(), 1);
  EXPECT_NE(failure.Description().find("syntax error"), std::string::npos) << failure.Description();
}

INSTANTIATE_TEST_SUITE_P(
    Adapters, ConnectionContract,
    ::testing::Values(
        WorldMaker<DatabaseWorld>{"Fake", [] { return std::make_unique<FakeWorld>(); }},
        WorldMaker<DatabaseWorld>{"Odbc", [] { return std::make_unique<OdbcWorld>(); }}),
    WorldName<DatabaseWorld>);

}  // namespace
}  // namespace brivanto::testing
