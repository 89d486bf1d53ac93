#include <gtest/gtest.h>

#include "dialogs/ComDlg.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

using namespace std::string_literals;

TEST(ComDlgText, BuildFilterJoinsDescriptionAndPatternWithNuls) {
  const auto filter = ComDlg::BuildFilter("*.*", "All files (*.*)");
  EXPECT_EQ(filter, "All files (*.*)\0*.*\0"s);
  EXPECT_EQ(filter.size(), 20U);
  EXPECT_EQ(ComDlg::BuildFilter("", ""), "\0\0"s);
}

TEST(ComDlgText, TrimAtNullCutsAtTheFirstNul) {
  const auto buffer = ("C:\\data\\a.mdb"s + std::string(242, '\0'));
  ASSERT_EQ(buffer.size(), 255U);
  EXPECT_EQ(ComDlg::TrimAtNull(buffer), "C:\\data\\a.mdb");
  EXPECT_EQ(ComDlg::TrimAtNull("no nul here"), "no nul here");
  EXPECT_EQ(ComDlg::TrimAtNull(""), "");
  EXPECT_EQ(ComDlg::TrimAtNull("\0tail"s), "");
}

TEST(ComDlgRecord, IsFilledWithFixedBuffersAndTheGivenArguments) {
  ComDlg::FileDialogArguments arguments;
  arguments.filter = ComDlg::BuildFilter("*.mdb", "Databases");
  arguments.filterIndex = 2;
  arguments.title = "Kies";
  arguments.owner = 77;
  arguments.flagsIn = 0x1000;
  arguments.defaultExtension = "mdb";
  arguments.initialFolder = "C:\\start";

  const auto record = ComDlg::BuildFileDialogRecord("a.mdb", arguments);

  EXPECT_EQ(record.lStructSize, 76U);
  EXPECT_EQ(record.hwndOwner, 77);
  EXPECT_EQ(record.lpstrFilter, "Databases\0*.mdb\0\0"s);
  EXPECT_EQ(record.lpstrCustomFilter, std::string(255, '\0'));
  EXPECT_EQ(record.nMaxCustFilter, 255U);
  EXPECT_EQ(record.nFilterIndex, 2U);
  EXPECT_EQ(record.lpstrFile, "a.mdb"s + std::string(250, '\0'));
  EXPECT_EQ(record.nMaxFile, 255U);
  EXPECT_EQ(record.lpstrFileTitle, std::string(255, '\0'));
  EXPECT_EQ(record.lpstrInitialDir, "C:\\start");
  EXPECT_EQ(record.lpstrTitle, "Kies");
  EXPECT_EQ(record.Flags, 0x1000U);
  EXPECT_EQ(record.lpstrDefExt, "mdb");
  EXPECT_FALSE(record.lpTemplateName.has_value());
}

TEST(ComDlgRecord, DefaultsAndOverlongInitialNames) {
  const auto record = ComDlg::BuildFileDialogRecord(std::string(300, 'x'), {});

  EXPECT_EQ(record.lpstrFile, std::string(255, 'x'));
  EXPECT_EQ(record.nFilterIndex, 1U);
  EXPECT_EQ(record.lpstrInitialDir, ComDlg::CurrentDirectory());
  EXPECT_EQ(record.lpstrTitle, "");
  EXPECT_EQ(record.Flags, 0U);
  EXPECT_EQ(record.hwndOwner, 0);
}

TEST(ComDlgDialog, ChosenFileComesBackWithItsFlags) {
  FakeFileDialog dialog;
  dialog.choice = "C:\\x\\BrivantoDb.mdb";
  dialog.flagsAfter = 0x100C | 0x200;
  std::uint32_t flags = 0;
  std::string name = "start.mdb";

  ComDlg::FileDialogArguments arguments;
  arguments.flags = &flags;
  arguments.open = false;
  EXPECT_EQ(ComDlg::ShowFileDialog(dialog, name, arguments), 0);

  EXPECT_EQ(name, "C:\\x\\BrivantoDb.mdb");
  EXPECT_EQ(flags, 0x120CU);
  EXPECT_EQ(dialog.openDialogs, std::vector<bool>{false});
  EXPECT_EQ(ComDlg::TrimAtNull(dialog.shown[0].lpstrFile), "start.mdb");
}

TEST(ComDlgDialog, CancelEmptiesTheNameAndLeavesTheFlags) {
  FakeFileDialog dialog;
  std::uint32_t flags = 5;
  std::string name = "start.mdb";
  ComDlg::FileDialogArguments arguments;
  arguments.flags = &flags;

  EXPECT_EQ(ComDlg::ShowFileDialog(dialog, name, arguments), -1);
  EXPECT_EQ(name, "");
  EXPECT_EQ(flags, 5U);

  std::string opened = "before";
  EXPECT_EQ(ComDlg::ShowOpen(dialog, opened, "", std::nullopt, "t"), -1);
  EXPECT_EQ(opened, "");
}

TEST(ComDlgDialog, ShowOpenExUsesItsFlagsAndReplacesABlankFilter) {
  FakeFileDialog dialog;
  dialog.choice = "C:\\a.mdb";
  std::string name;

  EXPECT_EQ(ComDlg::ShowOpenEx(dialog, name, "   ", "C:\\start", "Titel", 9), 0);
  EXPECT_EQ(name, "C:\\a.mdb");
  const auto& record = dialog.shown.at(0);
  EXPECT_EQ(record.Flags, 0x100CU);
  EXPECT_EQ(record.lpstrFilter, "All files (*.*)\0*.*\0\0"s);
  EXPECT_EQ(record.lpstrInitialDir, "C:\\start");
  EXPECT_EQ(record.lpstrTitle, "Titel");
  EXPECT_EQ(record.hwndOwner, 9);
  EXPECT_EQ(record.lpstrFile, std::string(255, '\0'));
  EXPECT_EQ(dialog.openDialogs, std::vector<bool>{true});

  const auto filter = ComDlg::BuildFilter("x*.mdb", " spaced ");
  EXPECT_EQ(ComDlg::ShowOpenEx(dialog, name, filter, std::nullopt, "", 0), 0);
  EXPECT_EQ(dialog.shown.at(1).lpstrFilter, filter + '\0');
}

}  // namespace
}  // namespace brivanto::testing
