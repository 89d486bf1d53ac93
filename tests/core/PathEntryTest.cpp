#include <gtest/gtest.h>

#include "app/frmRepairDb.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

constexpr const char* kImageFolderQuery =
    "Select * from tblSettings where [Section] = 'Storage' and [sKey] = 'DocumentPath'";
constexpr const char* kWrongFile =
    "Bestand is geen juist databasebestand. Selecteer een ander bestand";

FakeTable ImageFolderRow(ports::FieldValue value) {
  return FakeTable{{"Section", "sKey", "Value"}, {{"Storage", "DocumentPath", std::move(value)}}};
}

class PathEntryTest : public ::testing::Test {
 protected:
  PathEntryTest() { fakes.fileSystem.allFilesExist = true; }

  void Type(const std::string& text) {
    view.path = text;
    form.txtPath_Change();
  }
  void TypeCharacterByCharacter(const std::string& text) {
    for (std::size_t length = 1; length <= text.size(); ++length) {
      Type(text.substr(0, length));
    }
  }

  FakeServices fakes;
  FakeView view;
  app::frmRepairDb form{view, fakes.Bundle()};
};

TEST_F(PathEntryTest, EveryKeystrokeSavesAndReopens) {
  TypeCharacterByCharacter("C:\\a");

  EXPECT_EQ(fakes.settings.saves, (std::vector<std::string>{"C", "C:", "C:\\", "C:\\a"}));
  ASSERT_EQ(fakes.database.state.opened.size(), 4U);
  EXPECT_EQ(fakes.database.state.opened.back(),
            "driver={Microsoft Access Driver (*.mdb)};DBQ=C:\\a; pwd=Gk58w2n7;");
  // Each change replaces the connection, so only the last one is still alive.
  EXPECT_EQ(fakes.database.state.alive, 1);
}

TEST_F(PathEntryTest, ShowsTheImageFolderOfTheOpenedDatabase) {
  fakes.database.state.results[kImageFolderQuery] = ImageFolderRow("\\\\server\\images");
  Type("C:\\a b\\BrivantoDb.mdb");

  EXPECT_EQ(view.dir, "\\\\server\\images");
  EXPECT_EQ(fakes.database.state.opened.back(),
            "driver={Microsoft Access Driver (*.mdb)};DBQ=C:\\a b\\BrivantoDb.mdb; pwd=Gk58w2n7;");
}

TEST_F(PathEntryTest, MissingRowNullValueOrUnopenableFileLeaveTheImageFolderEmpty) {
  view.dir = "old";
  fakes.database.state.results[kImageFolderQuery] = FakeTable{{"Section", "sKey", "Value"}, {}};
  Type("C:\\norow.mdb");
  EXPECT_EQ(view.dir, "");

  view.dir = "old";
  fakes.database.state.results[kImageFolderQuery] = ImageFolderRow(std::nullopt);
  Type("C:\\null.mdb");
  EXPECT_EQ(view.dir, "");

  view.dir = "old";
  fakes.database.state.openFailure = Failure(failure_codes::kProviderError, "Not a database");
  Type("C:\\broken.mdb");
  EXPECT_EQ(view.dir, "");
}

TEST_F(PathEntryTest, ClearingTheBoxSavesEmptyAndLeavesTheImageFolder) {
  fakes.database.state.results[kImageFolderQuery] = ImageFolderRow("D:\\images");
  Type("C:\\a.mdb");
  Type("");

  EXPECT_EQ(fakes.settings.saves.back(), "");
  EXPECT_EQ(view.dir, "D:\\images");
  EXPECT_EQ(fakes.database.state.opened.size(), 1U);
}

TEST_F(PathEntryTest, PathNamingNoFileGetsAFreshUnopenedConnectionWithoutADriverCall) {
  fakes.fileSystem.allFilesExist = false;
  fakes.fileSystem.files["C:\\real.mdb"] = "";
  fakes.database.state.results[kImageFolderQuery] = ImageFolderRow("D:\\images");
  Type("C:\\real.mdb");
  ASSERT_TRUE(form.Connection().Get().IsOpen());

  Type("C:\\real.mdb2");

  EXPECT_EQ(fakes.database.state.opened.size(), 1U);
  EXPECT_FALSE(form.Connection().IsEmpty());
  EXPECT_FALSE(form.Connection().Get().IsOpen());
  EXPECT_EQ(view.dir, "");
}

TEST_F(PathEntryTest, EachStepRunsWhenAnEarlierOneFails) {
  fakes.settings.failSaves = true;
  fakes.database.state.results[kImageFolderQuery] = ImageFolderRow("D:\\images");
  Type("C:\\a.mdb");
  EXPECT_EQ(view.dir, "D:\\images");

  fakes.database.state.failures.emplace(kImageFolderQuery, Failure(-2147217865, "no table"));
  Type("C:\\b.mdb");
  EXPECT_EQ(view.dir, "");

  fakes.database.state.createFailure = Failure(429, "cannot create object");
  view.dir = "kept?";
  Type("C:\\c.mdb");
  EXPECT_TRUE(form.Connection().IsEmpty());
  EXPECT_EQ(view.dir, "");
}

TEST_F(PathEntryTest, BrowseOffersTheVariantsPatternAndTakesTheChosenFile) {
  fakes.fileDialog.choice = "D:\\data\\BrivantoDb.mdb";
  form.Form_Load();

  form.btnSelectPath_Click();

  ASSERT_EQ(fakes.fileDialog.shown.size(), 1U);
  const auto& record = fakes.fileDialog.shown[0];
  EXPECT_EQ(record.lpstrFilter, std::string("Brivanto database\0kestrin*.mdb\0\0", 32));
  EXPECT_EQ(record.lpstrTitle, "Selecteer de database");
  EXPECT_FALSE(record.lpstrInitialDir.has_value());
  EXPECT_EQ(record.Flags, 0x100CU);
  EXPECT_EQ(record.hwndOwner, 0);
  EXPECT_EQ(view.path, "D:\\data\\BrivantoDb.mdb");
  EXPECT_EQ(fakes.settings.saves.back(), "D:\\data\\BrivantoDb.mdb");
}

TEST_F(PathEntryTest, CancelledBrowseChangesNothing) {
  view.path = "C:\\keep.mdb";
  form.btnSelectPath_Click();

  EXPECT_EQ(view.path, "C:\\keep.mdb");
  EXPECT_TRUE(fakes.settings.saves.empty());
}

class DropTest : public PathEntryTest {
 protected:
  void Drop(std::vector<std::string> files, app::KeyModifiers modifiers = {}) {
    form.txtPath_OLEDragDrop(std::move(files), modifiers);
  }
  void LoadStandardVariant() {
    fakes.registry.SetDataSource("DBQ", "C:\\start\\BrivantoDb.mdb");
    form.Form_Load();
  }
};

TEST_F(DropTest, AcceptsAPathHoldingTheVariantsNameAnywhereInAnyCase) {
  LoadStandardVariant();
  Drop({"D:\\BRIVANTO\\old.mdb"});

  EXPECT_EQ(view.path, "D:\\BRIVANTO\\old.mdb");
  EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(DropTest, RejectsOtherFilesUnlessExactlyShiftAndCtrlAreHeld) {
  LoadStandardVariant();
  Drop({"D:\\data\\x.mdb"});
  ASSERT_EQ(fakes.messageBox.shown.size(), 1U);
  EXPECT_EQ(fakes.messageBox.shown[0].text, kWrongFile);
  EXPECT_EQ(fakes.messageBox.shown[0].style, 0);
  EXPECT_EQ(fakes.messageBox.shown[0].title, "BrivantoRepairDb");
  EXPECT_EQ(view.path, "C:\\start\\BrivantoDb.mdb");

  Drop({"D:\\data\\x.mdb"}, {.shift = true, .ctrl = true, .alt = true});
  EXPECT_EQ(fakes.messageBox.shown.size(), 2U);

  Drop({"D:\\data\\x.mdb"}, {.shift = true, .ctrl = true, .alt = false});
  EXPECT_EQ(fakes.messageBox.shown.size(), 2U);
  EXPECT_EQ(view.path, "D:\\data\\x.mdb");
}

TEST_F(DropTest, EachFileIsJudgedInOrderAndTheLastAcceptedOneStays) {
  LoadStandardVariant();
  const auto savesBefore = fakes.settings.saves.size();
  Drop({"D:\\data\\x.mdb", "E:\\brivanto2\\y.mdb"});

  EXPECT_EQ(fakes.messageBox.shown.size(), 1U);
  EXPECT_EQ(view.path, "E:\\brivanto2\\y.mdb");
  EXPECT_EQ(fakes.settings.saves.size(), savesBefore + 1);
}

TEST_F(DropTest, ZelvorantaVariantLooksForItsOwnName) {
  form.Form_Load();  // no data source: the other variant
  Drop({"D:\\data\\Kestrin7.mdb", "D:\\data\\BrivantoDb.mdb"});

  EXPECT_EQ(view.path, "D:\\data\\Kestrin7.mdb");
  EXPECT_EQ(fakes.messageBox.shown.size(), 1U);
}

TEST_F(DropTest, DataWithoutAFileListIsIgnored) {
  LoadStandardVariant();
  form.txtPath_OLEDragDrop(std::nullopt, {});
  EXPECT_TRUE(fakes.messageBox.shown.empty());
  EXPECT_EQ(view.path, "C:\\start\\BrivantoDb.mdb");
}

}  // namespace
}  // namespace brivanto::testing
