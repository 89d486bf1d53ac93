#include <gtest/gtest.h>

#include "app/frmRepairDb.h"
#include "dialogs/ComDlgFolder.h"
#include "imagefolder/DocumentPath.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

using imagefolder::kDocumentPathQuery;
using imagefolder::kInsertDocumentPath;
namespace style = ports::message_box;

constexpr const char* kConfirmation =
    "Indien u dit pad wijzigt kunnen oude documenten verloren gaan.\r\n"
    "Weet u zeker dat u dit pad wilt aanpassen?";
constexpr const char* kNotSaved =
    "Het pad voor images is niet gewijzigd, omdat de database niet kon worden bijgewerkt.\r\n"
    "Reden: ";

FakeTable SettingsRows(std::vector<std::vector<ports::FieldValue>> rows) {
  return FakeTable{{"Section", "sKey", "Value"}, std::move(rows)};
}

class ImageFolderTest : public ::testing::Test {
 protected:
  ImageFolderTest() { fakes.fileSystem.allFilesExist = true; }

  void OpenDatabase() {
    view.path = "C:\\BrivantoDb.mdb";
    form.txtPath_Change();
  }
  void SetStoredRows(std::vector<std::vector<ports::FieldValue>> rows) {
    fakes.database.state.results[kDocumentPathQuery] = SettingsRows(std::move(rows));
  }
  const FakeTable& StoredRows() { return fakes.database.state.results.at(kDocumentPathQuery); }

  // Answers the confirmation with `answer` and the folder dialog with `choice`.
  void Click(std::optional<std::string> choice, int answer = style::kAnswerYes) {
    fakes.messageBox.answers = {answer};
    fakes.shell = FakeShell{};
    fakes.shell.choice = std::move(choice);
    form.btnSelectImagePath_Click();
  }
  std::vector<ExecutedStatement> Inserts() const {
    std::vector<ExecutedStatement> inserts;
    for (const auto& statement : fakes.database.state.executed) {
      if (statement.sql == kInsertDocumentPath) {
        inserts.push_back(statement);
      }
    }
    return inserts;
  }

  FakeServices fakes;
  FakeView view;
  app::frmRepairDb form{view, fakes.Bundle()};
};

TEST_F(ImageFolderTest, AnythingButYesInTheConfirmationChangesNothing) {
  SetStoredRows({{"Storage", "DocumentPath", "D:\\old"}});
  OpenDatabase();
  const auto statementsBefore = fakes.database.state.executed.size();

  Click("E:\\new", style::kAnswerNo);

  ASSERT_EQ(fakes.messageBox.shown.size(), 1U);
  EXPECT_EQ(fakes.messageBox.shown[0].text, kConfirmation);
  EXPECT_EQ(fakes.messageBox.shown[0].style, 36);
  EXPECT_EQ(fakes.messageBox.shown[0].title, "Bevestigen wijzigen pad voor images");
  EXPECT_TRUE(fakes.shell.shown.empty());
  EXPECT_EQ(view.dir, "D:\\old");
  EXPECT_EQ(fakes.database.state.executed.size(), statementsBefore);
}

TEST_F(ImageFolderTest, CancelInTheFolderDialogChangesNothing) {
  SetStoredRows({{"Storage", "DocumentPath", "D:\\old"}});
  OpenDatabase();
  const auto statementsBefore = fakes.database.state.executed.size();

  Click(std::nullopt);

  EXPECT_EQ(view.dir, "D:\\old");
  EXPECT_EQ(fakes.database.state.executed.size(), statementsBefore);
  EXPECT_EQ(fakes.messageBox.shown.size(), 1U);
}

TEST_F(ImageFolderTest, TheDialogIsOwnedByTheWindowAndOpensOnTheShownFolderIfAny) {
  SetStoredRows({{"Storage", "DocumentPath", "D:\\old"}});
  OpenDatabase();
  Click(std::nullopt);

  const auto& record = fakes.shell.shown.at(0);
  EXPECT_EQ(record.hwndOwner, view.WindowHandle());
  EXPECT_EQ(record.lpszTitle, "Selecteer de map waarin de mappen met images zich bevinden");
  EXPECT_EQ(record.ulFlags, 0x45U);
  ASSERT_EQ(fakes.shell.sent.size(), 1U);
  EXPECT_EQ(fakes.shell.sent[0].text, "D:\\old");

  view.dir = "";
  Click("E:\\new");
  EXPECT_EQ(fakes.shell.shown.at(0).lpfn, nullptr);
  EXPECT_TRUE(fakes.shell.sent.empty());
  EXPECT_EQ(view.dir, "E:\\new");
}

TEST_F(ImageFolderTest, AMissingRowIsInsertedAndThenUpdatedByTheNextClick) {
  SetStoredRows({});
  OpenDatabase();
  Click("E:\\first");

  ASSERT_EQ(Inserts().size(), 1U);
  EXPECT_EQ(Inserts()[0].parameters, std::vector<std::string>{"E:\\first"});
  EXPECT_EQ(view.dir, "E:\\first");
  EXPECT_EQ(fakes.database.state.recordsetOptions.back(),
            std::make_pair(ports::CursorType::Dynamic, ports::LockType::Optimistic));

  // What the database now holds after the insert.
  SetStoredRows({{"Storage", "DocumentPath", "E:\\first"}});
  Click("E:\\second");

  EXPECT_EQ(Inserts().size(), 1U);
  ASSERT_EQ(fakes.database.state.updates.size(), 1U);
  EXPECT_EQ(fakes.database.state.updates[0].value, "E:\\second");
  EXPECT_EQ(view.dir, "E:\\second");
}

TEST_F(ImageFolderTest, OnlyTheFirstMatchingRowIsUpdated) {
  SetStoredRows({{"Storage", "DocumentPath", "D:\\one"}, {"Storage", "DocumentPath", "D:\\two"}});
  OpenDatabase();
  Click("E:\\new");

  EXPECT_TRUE(Inserts().empty());
  EXPECT_EQ(StoredRows().rows[0][2], "E:\\new");
  EXPECT_EQ(StoredRows().rows[1][2], "D:\\two");
  EXPECT_EQ(StoredRows().rows[0][0], "Storage");
}

TEST_F(ImageFolderTest, ChoosingTheFolderThatIsAlreadySetStillWritesIt) {
  SetStoredRows({{"Storage", "DocumentPath", "D:\\same"}});
  OpenDatabase();
  Click("D:\\same");

  ASSERT_EQ(fakes.database.state.updates.size(), 1U);
  EXPECT_EQ(fakes.database.state.updates[0].field, "Value");
  EXPECT_EQ(fakes.database.state.updates[0].value, "D:\\same");
}

TEST_F(ImageFolderTest, FoldersWithQuotesAndSqlCharactersAreStoredVerbatim) {
  const std::vector<std::string> folders = {
      "/srv/d'Artagnan", "C:\\a \"b\"", "x'); drop table tblSettings; --",
      "a -- b",          "100%_klaar",  "C:\\Foto's Ærø café",
      "C:\\''"};
  for (const auto& folder : folders) {
    SetStoredRows({});
    OpenDatabase();
    Click(folder);
    ASSERT_FALSE(Inserts().empty());
    EXPECT_EQ(Inserts().back().parameters, std::vector<std::string>{folder});

    SetStoredRows({{"Storage", "DocumentPath", "old"}});
    Click(folder);
    EXPECT_EQ(StoredRows().rows[0][2], folder);
  }
  EXPECT_EQ(Inserts().size(), folders.size());
}

TEST_F(ImageFolderTest, EveryFailingDatabaseStepIsReportedAndUndoneOnScreen) {
  struct FailureCase {
    const char* name;
    std::function<void(FakeDatabaseState&)> arrange;
    std::string reason;
  };
  const std::vector<FailureCase> cases = {
      {"no connection at all",
       [](FakeDatabaseState& state) {
         state.createFailure = Failure(429, "ActiveX component can't create object");
       },
       "Er is geen database geopend (91)"},
      {"database never opened",
       [](FakeDatabaseState& state) {
         state.openFailure = Failure(failure_codes::kProviderError, "Not a database");
       },
       "Er is geen database geopend (3709)"},
      {"table missing",
       [](FakeDatabaseState& state) {
         state.failures.emplace(kDocumentPathQuery,
                                Failure(failure_codes::kProviderError, "no such table"));
       },
       "no such table (-2147467259)"},
      {"insert refused",
       [](FakeDatabaseState& state) {
         state.results[kDocumentPathQuery] = SettingsRows({});
         state.failures.emplace(kInsertDocumentPath, Failure(-1, "read-only"));
       },
       "read-only (-1)"},
      {"row cannot take the folder",
       [](FakeDatabaseState& state) {
         state.results[kDocumentPathQuery] = FakeTable{{"Section", "sKey"}, {{"Storage", "x"}}};
       },
       "De recordset heeft geen veld met de naam 'Value' (3265)"},
  };
  for (const auto& failureCase : cases) {
    SCOPED_TRACE(failureCase.name);
    fakes.database.state = FakeDatabaseState{};
    failureCase.arrange(fakes.database.state);
    OpenDatabase();
    view.dir = "D:\\shown";
    fakes.messageBox.shown.clear();

    Click("E:\\new");

    EXPECT_EQ(view.dir, "D:\\shown");
    ASSERT_EQ(fakes.messageBox.shown.size(), 2U);
    EXPECT_EQ(fakes.messageBox.shown[1].text, kNotSaved + failureCase.reason);
    EXPECT_EQ(fakes.messageBox.shown[1].style, 16);
    EXPECT_EQ(fakes.messageBox.shown[1].title, "BrivantoRepairDb");
    EXPECT_TRUE(fakes.database.state.updates.empty());
  }
}

}  // namespace
}  // namespace brivanto::testing
