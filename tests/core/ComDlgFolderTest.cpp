#include <gtest/gtest.h>

#include "dialogs/ComDlgFolder.h"
#include "support/Fakes.h"

namespace brivanto::testing {
namespace {

using namespace std::string_literals;
namespace messages = ports::browse_messages;

constexpr std::intptr_t kOwner = 0x77;

struct FlagCase {
  bool includeFiles;
  bool newStyle;
  std::uint32_t expected;
};

TEST(BrowseForFolderRecord, CarriesOwnerTitleAndTheFlagsOfBothSwitches) {
  for (const auto& flagCase : {FlagCase{false, false, 0x5}, FlagCase{false, true, 0x45},
                               FlagCase{true, false, 0x4005}, FlagCase{true, true, 0x4045}}) {
    FakeShell shell;
    ComDlg::BrowseForFolder(shell, kOwner, "", "Kies", flagCase.includeFiles, flagCase.newStyle);

    ASSERT_EQ(shell.shown.size(), 1U);
    const auto& record = shell.shown.front();
    EXPECT_EQ(record.ulFlags, flagCase.expected);
    EXPECT_EQ(record.hwndOwner, kOwner);
    EXPECT_EQ(record.lpszTitle, "Kies");
    EXPECT_EQ(record.pidlRoot, 0);
    EXPECT_EQ(record.pszDisplayName, nullptr);
    EXPECT_EQ(record.lParam, 0);
  }
}

TEST(BrowseForFolderRecord, ACallerWithoutTitleGetsTheDefault) {
  FakeShell shell;
  ComDlg::BrowseForFolder(shell, kOwner, "");
  EXPECT_EQ(shell.shown.front().lpszTitle, "Please select a folder:");
  EXPECT_EQ(shell.shown.front().ulFlags, 0x5U);
}

TEST(BrowseForFolderStart, AStartFolderIsKeptWithOneNulAndSelectedWhenTheDialogOpens) {
  FakeShell shell;
  shell.choice = "C:\\Data\\sub";
  EXPECT_EQ(ComDlg::BrowseForFolder(shell, kOwner, "C:\\Data", "Kies"), "C:\\Data\\sub");

  EXPECT_EQ(ComDlg::BrowseStartFolder(), "C:\\Data\0"s);
  EXPECT_EQ(shell.shown.front().lpfn, &ComDlg::BrowseCallbackProc);
  ASSERT_EQ(shell.sent.size(), 1U);
  EXPECT_EQ(shell.sent[0].window, FakeShell::kDialogWindow);
  EXPECT_EQ(shell.sent[0].message, messages::kSetSelection);
  EXPECT_EQ(shell.sent[0].wParam, 1U);
  EXPECT_EQ(shell.sent[0].text, "C:\\Data");
}

TEST(BrowseForFolderStart, WithoutStartFolderNoCallbackRunsAndTheSlotKeepsItsText) {
  FakeShell first;
  ComDlg::BrowseForFolder(first, kOwner, "D:\\earlier");

  FakeShell shell;
  shell.passedOver = {"C:\\a"};
  shell.choice = "C:\\b";
  EXPECT_EQ(ComDlg::BrowseForFolder(shell, kOwner, ""), "C:\\b");

  EXPECT_EQ(shell.shown.front().lpfn, nullptr);
  EXPECT_TRUE(shell.sent.empty());
  EXPECT_EQ(ComDlg::BrowseStartFolder(), "D:\\earlier\0"s);
}

TEST(BrowseForFolderStatus, EachSelectionShowsItsPathWhenTheLookupGivesExactlyOne) {
  FakeShell shell;
  shell.passedOver = {"C:\\a", "C:\\b c"};
  shell.choice = "C:\\b c";
  ComDlg::BrowseForFolder(shell, kOwner, "C:\\", "Kies");

  ASSERT_EQ(shell.sent.size(), 3U);
  for (std::size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(shell.sent[i].window, FakeShell::kDialogWindow);
    EXPECT_EQ(shell.sent[i].message, messages::kSetStatusText);
    EXPECT_EQ(shell.sent[i].wParam, 0U);
  }
  EXPECT_EQ(shell.sent[1].text, "C:\\a");
  EXPECT_EQ(shell.sent[2].text, "C:\\b c");
  EXPECT_EQ(shell.lookupBuffers.front(), std::string(260, ' '));
}

TEST(BrowseForFolderStatus, OtherLookupResultsShowNothingButAnyNonzeroStillChooses) {
  FakeShell shell;
  shell.passedOver = {"C:\\a"};
  shell.choice = "C:\\a";
  shell.lookupResult = 2;
  EXPECT_EQ(ComDlg::BrowseForFolder(shell, kOwner, "C:\\", "Kies"), "C:\\a");
  ASSERT_EQ(shell.sent.size(), 1U);
  EXPECT_EQ(shell.sent[0].message, messages::kSetSelection);
}

TEST(BrowseForFolderResult, IsCutAtTheFirstNulOfTheSpaceFilledBuffer) {
  FakeShell shell;
  shell.choice = "C:\\ends in spaces  ";
  EXPECT_EQ(ComDlg::BrowseForFolder(shell, kOwner, "", "Kies"), "C:\\ends in spaces  ");
  EXPECT_EQ(shell.lookupBuffers.back(), std::string(512, ' '));

  shell.choice = "E:\\";
  EXPECT_EQ(ComDlg::BrowseForFolder(shell, kOwner, "", "Kies"), "E:\\");
}

TEST(BrowseForFolderResult, TheChosenItemListIsReleasedOnceAndACancelReleasesNothing) {
  FakeShell shell;
  shell.choice = "C:\\x";
  ComDlg::BrowseForFolder(shell, kOwner, "", "Kies");
  EXPECT_EQ(shell.freed, shell.handedOut);

  FakeShell cancelling;
  cancelling.passedOver = {"C:\\a"};
  EXPECT_EQ(ComDlg::BrowseForFolder(cancelling, kOwner, "C:\\", "Kies"), "");
  EXPECT_TRUE(cancelling.freed.empty());
}

TEST(BrowseForFolderResult, AnItemWithoutFileSystemPathGivesEmptyTextAndIsStillReleased) {
  FakeShell shell;
  shell.choice = "::{network}";
  shell.lookupResult = 0;
  EXPECT_EQ(ComDlg::BrowseForFolder(shell, kOwner, "", "Kies"), "");
  EXPECT_EQ(shell.freed, shell.handedOut);
}

}  // namespace
}  // namespace brivanto::testing
