#include <gtest/gtest.h>
#include <windows.h>
// <shlobj.h> needs <windows.h> before it.
#include <shlobj.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "Win32FileDialog.h"
#include "Win32Shell.h"
#include "Win32TestSupport.h"

namespace brivanto::win32 {
namespace {

using testing::DialogAnswerer;
using testing::ScratchFolder;

constexpr std::uint32_t kBufferLength = 260;

ports::OpenFileNameRecord Record(const std::string& title, const std::string& folder) {
  ports::OpenFileNameRecord record;
  record.lpstrFilter = std::string("Databases (*.mdb)\0*.mdb\0All files (*.*)\0*.*\0\0", 46);
  record.lpstrCustomFilter = std::string(kBufferLength, '\0');
  record.nMaxCustFilter = kBufferLength;
  record.nFilterIndex = 1;
  record.lpstrFile = std::string(kBufferLength, '\0');
  record.nMaxFile = kBufferLength;
  record.lpstrFileTitle = std::string(kBufferLength, '\0');
  record.nMaxFileTitle = kBufferLength;
  record.lpstrInitialDir = folder;
  record.lpstrTitle = title;
  record.Flags = ports::ofn_flags::kHideReadOnly | ports::ofn_flags::kNoChangeDir;
  return record;
}

// Types `name` into the dialog's file-name box (the explorer style's combo box and the old
// style's edit box) and presses Open.
void TypeNameAndOpen(HWND dialog, const std::string& name) {
  constexpr int kExplorerNameBox = 0x47C;  // cmb13
  constexpr int kOldNameBox = 0x480;       // edt1
  SetDlgItemTextA(dialog, kExplorerNameBox, name.c_str());
  SetDlgItemTextA(dialog, kOldNameBox, name.c_str());
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

TEST(Win32FileDialogTest, ChosenFileComesBackNulPaddedWithItsFlagsAndOffsets) {
  const ScratchFolder folder;
  const std::string name = "Belgi\xEB.mdb";  // ANSI, as typed into the dialog
  CloseHandle(
      CreateFileA((folder / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  const std::string title = testing::UniqueName("Kies database ");
  auto record = Record(title, folder.Path());
  Win32FileDialog dialog;
  DialogAnswerer answerer(title, [&](HWND window) { TypeNameAndOpen(window, folder / name); });

  ASSERT_TRUE(dialog.GetOpenFileNameA(record));
  ASSERT_TRUE(answerer.Found());

  const std::string chosen = folder.Path() + "\\Belgi\xC3\xAB.mdb";  // UTF-8
  EXPECT_EQ(record.lpstrFile, chosen + std::string(kBufferLength - chosen.size(), '\0'));
  EXPECT_EQ(record.lpstrFileTitle.substr(0, record.lpstrFileTitle.find('\0')), "Belgi\xC3\xAB.mdb");
  EXPECT_EQ(record.nFileOffset, folder.Path().size() + 1);
  EXPECT_EQ(record.nFileExtension, chosen.size() - 3);
  EXPECT_EQ(record.nFilterIndex, 1U);
  EXPECT_NE(record.Flags & ports::ofn_flags::kHideReadOnly, 0U);
}

TEST(Win32FileDialogTest, CancelledDialogReturnsFalseAndLeavesTheRecordAlone) {
  const ScratchFolder folder;
  for (const bool open : {true, false}) {
    const std::string title = testing::UniqueName("Annuleren ");
    auto record = Record(title, folder.Path());
    record.lpstrFile = "start.mdb" + std::string(kBufferLength - 9, '\0');
    const auto before = record.lpstrFile;
    Win32FileDialog dialog;
    DialogAnswerer answerer(title, [](HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); });
    EXPECT_FALSE(open ? dialog.GetOpenFileNameA(record) : dialog.GetSaveFileNameA(record));
    EXPECT_TRUE(answerer.Found());
    EXPECT_EQ(record.lpstrFile, before);
  }
}

// What the folder dialog's callback saw; the test's own data, reached through lParam.
struct BrowseSession {
  Win32Shell* shell = nullptr;
  std::string startFolder;
  std::string startFolderAnsi;
  std::vector<std::uint32_t> messages;
  std::intptr_t dialogWindow = 0;
};

// A dialog that never shows the folder is cancelled, so the test fails instead of hanging.
void CALLBACK GiveUp(HWND dialog, UINT /*message*/, UINT_PTR /*timer*/, DWORD /*time*/) {
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

// Answers OK only once the dialog shows the start folder: Wine fills the tree in its own time,
// so an early OK would choose a folder on the way, and a selection made before the tree is
// filled may never arrive; it is asked for again until it does.
int RecordingCallback(std::intptr_t dialogWindow, std::uint32_t message,
                      std::intptr_t messageParameter, std::intptr_t applicationData) {
  constexpr UINT_PTR kGiveUpTimer = 1;
  constexpr UINT kGiveUpAfterMilliseconds = 20'000;
  auto& session = *reinterpret_cast<BrowseSession*>(applicationData);
  const auto dialog = reinterpret_cast<HWND>(dialogWindow);
  session.messages.push_back(message);
  if (message == ports::browse_messages::kInitialized) {
    session.dialogWindow = dialogWindow;
    SetTimer(dialog, kGiveUpTimer, kGiveUpAfterMilliseconds, GiveUp);
    session.shell->SendMessageA(dialogWindow, ports::browse_messages::kSetSelection, 1,
                                session.startFolder.c_str());
  }
  std::string selected(MAX_PATH, '\0');
  if (message != ports::browse_messages::kSelectionChanged) {
    return 0;
  }
  if (session.shell->SHGetPathFromIDListA(messageParameter, selected) != 0 &&
      selected.substr(0, selected.find('\0')) == session.startFolder) {
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  } else {
    PostMessageA(dialog, BFFM_SETSELECTIONA, TRUE,
                 reinterpret_cast<LPARAM>(session.startFolderAnsi.c_str()));
  }
  return 0;
}

TEST(Win32ShellTest, CallbackGetsTheDialogAndLParamAndItsSelectionIsTheChoice) {
  const ScratchFolder folder;
  const std::string chosenAnsi = folder / "Scans Belgi\xEB";
  ASSERT_TRUE(CreateDirectoryA(chosenAnsi.c_str(), nullptr));
  const std::string chosen = folder.Path() + "\\Scans Belgi\xC3\xAB";  // UTF-8

  Win32Shell shell;
  BrowseSession session{&shell, chosen, chosenAnsi, {}, 0};
  char displayName[MAX_PATH] = {};
  ports::BrowseInfoRecord record;
  record.pszDisplayName = displayName;
  record.lpszTitle = "Kies de map";
  record.ulFlags =
      ports::browse_flags::kReturnOnlyFileSystemFolders | ports::browse_flags::kNewDialogStyle;
  record.lpfn = RecordingCallback;
  record.lParam = reinterpret_cast<std::intptr_t>(&session);

  const ports::ItemList item = shell.SHBrowseForFolderA(record);
  ASSERT_NE(item, 0);
  ASSERT_FALSE(session.messages.empty());
  EXPECT_EQ(session.messages.front(), ports::browse_messages::kInitialized);
  EXPECT_NE(session.dialogWindow, 0);
  // Windows gives the folder's display name, Wine its whole path: either ends in the name.
  const std::string shown = displayName;
  EXPECT_EQ(shown.substr(shown.size() - 13), "Scans Belgi\xC3\xAB") << shown;

  std::string buffer(kBufferLength, ' ');
  ASSERT_EQ(shell.SHGetPathFromIDListA(item, buffer), 1);
  EXPECT_EQ(buffer.substr(0, buffer.find('\0')), chosen);
  EXPECT_EQ(buffer.size(), kBufferLength);
  // A buffer too small for the UTF-8 path, and the null list, give 0 and stay as they were.
  std::string small(chosen.size(), ' ');
  EXPECT_EQ(shell.SHGetPathFromIDListA(item, small), 0);
  EXPECT_EQ(small, std::string(chosen.size(), ' '));
  EXPECT_EQ(shell.SHGetPathFromIDListA(0, buffer), 0);
  shell.CoTaskMemFree(item);
}

TEST(Win32ShellTest, CancelledFolderDialogGivesTheNullList) {
  Win32Shell shell;
  ports::BrowseInfoRecord record;
  const std::string title = testing::UniqueName("Map kiezen ");
  record.lpszTitle = title;
  // The dialog's caption is the system's own; the record's title is a text inside it.
  std::thread closer([] {
    for (int attempt = 0; attempt < 500; ++attempt) {
      HWND dialog = FindWindowA("#32770", nullptr);
      if (dialog != nullptr && IsWindowVisible(dialog)) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      Sleep(20);
    }
  });
  EXPECT_EQ(shell.SHBrowseForFolderA(record), 0);
  closer.join();
}

}  // namespace
}  // namespace brivanto::win32
