// The real Win32 window with the core behind it and fakes behind the core: placement, tabbing,
// the maintenance panel, typing, clicking, the console, the clipboard, dropping and closing.

#include <gtest/gtest.h>

// The other system headers need <windows.h> before them.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
// clang-format on

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Dpi.h"
#include "Win32Clipboard.h"
#include "Win32FileDialog.h"
#include "Win32FormWindow.h"
#include "Win32Shell.h"
#include "WindowTestSupport.h"
#include "layout/Layout.h"

namespace brivanto::win32test {
namespace {

using win32ui::Win32FormWindow;
using Strings = std::vector<std::string>;

constexpr UINT kDesignDpi = 96;

RECT RectInParent(HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string Text(HWND window) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)), '\0');
  ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()) + 1);
  return text;
}

std::string Ansi(const wchar_t* text) {
  char buffer[MAX_PATH] = {};
  ::WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof(buffer), nullptr, nullptr);
  return buffer;
}

// What the shell hands a window when files are dropped on it; the receiver frees it.
HGLOBAL DropOf(const Strings& files) {
  std::string names;
  for (const auto& file : files) {
    names += file + '\0';
  }
  names += '\0';
  const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  std::copy(names.begin(), names.end(), reinterpret_cast<char*>(drop + 1));
  ::GlobalUnlock(memory);
  return memory;
}

// The colour the list box paints at the right end of line `index`, past its text.
COLORREF ColourAtEndOfLine(HWND list, int index) {
  RECT client{};
  RECT line{};
  ::GetClientRect(list, &client);
  ::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&line));
  const win32ui::WindowDc screen(nullptr);
  const win32ui::UniqueMemoryDc memory(::CreateCompatibleDC(screen.Get()));
  const win32ui::UniqueBitmap picture(
      ::CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
  const win32ui::Selection drawn(memory.get(), picture.get());
  ::SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()),
                 PRF_CLIENT | PRF_ERASEBKGND);
  return ::GetPixel(memory.get(), line.right - 4, (line.top + line.bottom) / 2);
}

void SetModifierKeys(bool shift, bool ctrl) {
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  ::SetKeyboardState(keys);
}

// The system's own dialogs and clipboard, where the other services stay fakes.
struct RealParts {
  win32::Win32FileDialog fileDialog;
  win32::Win32Shell shell;
  win32::Win32Clipboard clipboard;
};

app::Services WithRealParts(testing::FakeServices& fakes, RealParts& real) {
  return app::Services{fakes.messageBox, fakes.settings,  fakes.registry, fakes.database,
                       fakes.fileSystem, real.fileDialog, real.clipboard, fakes.clock,
                       fakes.ticks,      fakes.installer, real.shell,     fakes.repairLogPath};
}

// What the timer saw of the modal dialog it closed.
struct ClosedDialog {
  int count = 0;
  HWND owner = nullptr;
} closedDialog;

BOOL CALLBACK CloseIfDialog(HWND window, LPARAM /*unused*/) {
  char className[16] = {};
  ::GetClassNameA(window, className, sizeof(className));
  if (std::string(className) != "#32770" || !::IsWindowVisible(window)) {
    return TRUE;
  }
  ++closedDialog.count;
  closedDialog.owner = ::GetWindow(window, GW_OWNER);
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  return FALSE;
}

// Runs inside the dialog's own message loop.
void CALLBACK CloseDialogs(HWND /*window*/, UINT /*message*/, UINT_PTR /*timer*/, DWORD /*time*/) {
  ::EnumThreadWindows(::GetCurrentThreadId(), &CloseIfDialog, 0);
}

std::string ClipboardText() {
  std::string text;
  if (!::OpenClipboard(nullptr)) {
    return "<clipboard busy>";
  }
  if (const HANDLE data = ::GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(::GlobalLock(data));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { DescribeSite(fakes_); }
  void TearDown() override { SetModifierKeys(false, false); }

  void Start() { StartWith(fakes_.Bundle()); }
  // As the program does: the real dialogs and clipboard belong to the window.
  void StartWithRealParts() {
    StartWith(WithRealParts(fakes_, real_));
    real_.fileDialog.SetParentWindow(window_->WindowHandle());
    real_.shell.SetParentWindow(window_->WindowHandle());
    real_.clipboard.SetOwnerWindow(window_->WindowHandle());
  }
  void StartWith(const app::Services& services) {
    window_ = std::make_unique<Win32FormWindow>(services);
    ASSERT_TRUE(window_->Load());
    window_->Show(SW_SHOWNORMAL);
    PumpMessages();
  }
  HWND Control(const char* name) const { return window_->Control(name); }
  void Click(const char* name) { ::SendMessageA(Control(name), BM_CLICK, 0, 0); }
  int Pixels(int twips) const { return win32ui::TwipsToPixels(twips, window_->Dpi()); }
  std::string NameOf(HWND control) const {
    for (const auto& entry : layout::kControls) {
      if (window_->Control(entry.name) == control) {
        return std::string(entry.name);
      }
    }
    return "?";
  }
  Strings TabStopsAfter(const char* name, std::size_t count) const {
    Strings stops;
    HWND current = Control(name);
    while (stops.size() < count) {
      current = ::GetNextDlgTabItem(window_->Handle(), current, FALSE);
      stops.push_back(NameOf(current));
    }
    return stops;
  }
  int OuterHeight() const {
    RECT rect{};
    ::GetWindowRect(window_->Handle(), &rect);
    return rect.bottom - rect.top;
  }

  testing::FakeServices fakes_;
  RealParts real_;
  std::unique_ptr<Win32FormWindow> window_;
};

TEST_F(WindowTest, PlacesEveryControlFromTheLayoutTableAtTheWindowsDpi) {
  Start();
  for (const auto& control : layout::kControls) {
    SCOPED_TRACE(std::string(control.name));
    const HWND handle = window_->Control(control.name);
    const HWND container = control.container == layout::kWindowName
                               ? window_->Handle()
                               : window_->Control(control.container);
    const RECT rect = RectInParent(handle);
    EXPECT_EQ(::GetParent(handle), container);
    EXPECT_EQ(rect.left, Pixels(control.left));
    EXPECT_EQ(rect.top, Pixels(control.top));
    EXPECT_EQ(rect.right - rect.left, Pixels(control.width));
    EXPECT_EQ(rect.bottom - rect.top, Pixels(control.height));
  }
  RECT client{};
  ::GetClientRect(window_->Handle(), &client);
  EXPECT_EQ(client.right, Pixels(layout::kClientWidth));
  EXPECT_EQ(client.bottom, Pixels(layout::kClientHeight));
}

TEST_F(WindowTest, PlacesControlsAtFifteenTwipsAPixelOnA96DpiScreen) {
  Start();
  // The Wine prefix's screen has 96 dpi; any other density is a fault of the run.
  ASSERT_EQ(window_->Dpi(), kDesignDpi) << "these rectangles are for a 96 dpi screen";
  const struct {
    const char* name;
    RECT expected;
  } cases[] = {
      {"txtPath", {16, 40, 537, 59}},      {"btnSelectPath", {560, 32, 593, 65}},
      {"cmdRepair", {168, 152, 281, 185}}, {"frmMaintenance", {8, 192, 601, 769}},
      {"cmdCopy", {263, 536, 352, 561}},   {"lstResult", {8, 144, 585, 525}},
  };
  for (const auto& [name, expected] : cases) {
    const RECT rect = RectInParent(Control(name));
    EXPECT_TRUE(::EqualRect(&rect, &expected))
        << name << ": " << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
  }
}

TEST_F(WindowTest, MaintenanceButtonShowsAndHidesTheFrameAndSetsTheOuterHeight) {
  Start();
  const HWND frame = Control("frmMaintenance");
  RECT before{};
  ::GetWindowRect(window_->Handle(), &before);
  EXPECT_FALSE(::IsWindowVisible(frame));

  Click("cmdMaintenance");
  EXPECT_TRUE(::IsWindowVisible(frame));
  EXPECT_EQ(OuterHeight(), Pixels(layout::kOuterHeightPanelShown));
  EXPECT_EQ(Text(Control("cmdMaintenance")), "Verbergen");
  RECT client{};
  ::GetClientRect(window_->Handle(), &client);
  EXPECT_LE(RectInParent(frame).bottom, client.bottom);

  Click("cmdMaintenance");
  EXPECT_FALSE(::IsWindowVisible(frame));
  EXPECT_EQ(OuterHeight(), Pixels(layout::kOuterHeightPanelHidden));
  EXPECT_EQ(Text(Control("cmdMaintenance")), "Onderhoud");
  RECT after{};
  ::GetWindowRect(window_->Handle(), &after);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
}

TEST_F(WindowTest, TabbingFollowsTheTabIndexIntoTheShownFrame) {
  Start();
  EXPECT_EQ(NameOf(::GetFocus()), "cmdRepair");
  EXPECT_EQ(TabStopsAfter("cmdRepair", 6),
            (Strings{"txtPath", "btnSelectPath", "txtDir", "btnSelectImagePath", "cmdMaintenance",
                     "cmdRepair"}));
  Click("cmdMaintenance");
  EXPECT_EQ(TabStopsAfter("cmdMaintenance", 6),
            (Strings{"lstResult", "cmdExecute", "cmdClear", "txtQuery", "cmdCopy", "cmdRepair"}));
}

TEST_F(WindowTest, BrowseButtonsShowTheFolderIconAndThePathButtonItsTooltip) {
  Start();
  for (const char* name : {"btnSelectPath", "btnSelectImagePath"}) {
    const auto icon =
        reinterpret_cast<HICON>(::SendMessageA(Control(name), BM_GETIMAGE, IMAGE_ICON, 0));
    ICONINFO info{};
    ASSERT_TRUE(icon != nullptr && ::GetIconInfo(icon, &info)) << name;
    BITMAP mask{};
    ::GetObjectA(info.hbmMask, sizeof(mask), &mask);
    EXPECT_EQ(mask.bmWidth, layout::kIconPixels) << name;
    ::DeleteObject(info.hbmMask);
    ::DeleteObject(info.hbmColor);
  }
  EXPECT_NE(::GetClassLongPtrA(window_->Handle(), GCLP_HICON), 0U);

  const HWND tooltip = window_->Tooltip();
  ASSERT_EQ(::SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
  char text[128] = {};
  TOOLINFOA tool{};
  tool.cbSize = sizeof(tool);
  tool.lpszText = text;
  ASSERT_TRUE(::SendMessageA(tooltip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_EQ(reinterpret_cast<HWND>(tool.uId), Control("btnSelectPath"));
  EXPECT_STREQ(text, "Selecteer de database om te repareren");
}

TEST_F(WindowTest, TextsTheLogicSetsRaiseNoChangeButTypedOnesDo) {
  Start();
  // Load sets the remembered path, then the data source's: one save each, no echo.
  EXPECT_EQ(fakes_.settings.saves, (Strings{"", kDatabase}));
  EXPECT_EQ(Text(Control("txtPath")), kDatabase);
  EXPECT_EQ(Text(Control("txtDir")), kImageFolder);
  EXPECT_EQ(Text(window_->Handle()), "Brivanto: Repareren database");

  const std::string typed = Ansi(L"C:\\Donn\u00e9es\\BrivantoDb.mdb");
  ::SetWindowTextA(Control("txtPath"), typed.c_str());
  EXPECT_EQ(fakes_.settings.saves, (Strings{"", kDatabase,
                                            "C:\\Donn\xC3\xA9"
                                            "es\\BrivantoDb.mdb"}));
  EXPECT_EQ(Text(Control("txtDir")), "");
}

TEST_F(WindowTest, ExecuteListsTheRowsAndCopyPutsTheSelectedOnesOnTheClipboard) {
  fakes_.database.state.results["select * from t"] =
      testing::FakeTable{{"a", "b"}, {{"1", "x"}, {"2", "y"}}};
  StartWithRealParts();
  Click("cmdMaintenance");
  ::SetWindowTextA(Control("txtQuery"), "select * from t");
  Click("cmdExecute");

  const Strings lines = ListBoxLines(*window_);
  ASSERT_EQ(lines.size(), window_->Count());
  for (std::size_t index = 0; index < lines.size(); ++index) {
    EXPECT_EQ(lines[index], window_->Line(index));
  }
  const auto first = std::find(lines.begin(), lines.end(), " 1 x");
  ASSERT_TRUE(first != lines.end() && first + 1 != lines.end() && first[1] == " 2 y");

  const auto row = static_cast<LPARAM>(first - lines.begin());
  ::SendMessageA(Control("lstResult"), LB_SELITEMRANGE, TRUE, MAKELPARAM(row, row + 1));
  EXPECT_EQ(ColourAtEndOfLine(Control("lstResult"), static_cast<int>(row)),
            ::GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(ColourAtEndOfLine(Control("lstResult"), 0), ::GetSysColor(COLOR_WINDOW));
  Click("cmdCopy");
  EXPECT_EQ(ClipboardText(), " 1 x\r\n 2 y\r\n");
  // A typed letter finds the next line that starts with it, as in a list box of texts.
  ::SendMessageW(Control("lstResult"), WM_CHAR, L'e', 0);
  EXPECT_EQ(::SendMessageA(Control("lstResult"), LB_GETCARETINDEX, 0, 0),
            static_cast<LRESULT>(lines.size() - 1));

  Click("cmdClear");
  EXPECT_EQ(::SendMessageA(Control("lstResult"), LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(Text(Control("txtQuery")), "");
}

// Another program holding the clipboard gets the user a message, and the window goes on.
TEST_F(WindowTest, CopyWhileAnotherProgramHoldsTheClipboardSaysSoAndTheWindowGoesOn) {
  fakes_.database.state.results["select * from t"] = testing::FakeTable{{"a"}, {{"1"}}};
  StartWithRealParts();
  Click("cmdMaintenance");
  ::SetWindowTextA(Control("txtQuery"), "select * from t");
  Click("cmdExecute");
  const Strings lines = ListBoxLines(*window_);
  const auto row = std::find(lines.begin(), lines.end(), " 1") - lines.begin();
  ::SendMessageA(Control("lstResult"), LB_SELITEMRANGE, TRUE, MAKELPARAM(row, row));
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  std::thread holder([&] {
    if (::OpenClipboard(nullptr)) {
      held = true;
      while (!release) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      ::CloseClipboard();
    }
  });
  while (!held) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  Click("cmdCopy");
  release = true;
  holder.join();

  ASSERT_EQ(fakes_.messageBox.shown.size(), 1U);
  EXPECT_EQ(fakes_.messageBox.shown[0].text.rfind("Het klembord is in gebruik", 0), 0U);
  Click("cmdCopy");
  EXPECT_EQ(ClipboardText(), " 1\r\n");
}

TEST_F(WindowTest, DroppedFilesReachTheLogicWithTheModifierKeysOfTheDrop) {
  Start();
  const struct {
    const char* file;
    bool shiftCtrl;
    const char* pathAfter;
    std::size_t messages;
  } cases[] = {
      {"D:\\kopie\\BrivantoDb.mdb", false, "D:\\kopie\\BrivantoDb.mdb", 0},
      {"D:\\kopie\\ander.mdb", false, "D:\\kopie\\BrivantoDb.mdb", 1},
      {"D:\\kopie\\ander.mdb", true, "D:\\kopie\\ander.mdb", 1},
  };
  for (const auto& [file, shiftCtrl, pathAfter, messages] : cases) {
    SCOPED_TRACE(file + std::string(shiftCtrl ? " with Shift+Ctrl" : ""));
    SetModifierKeys(shiftCtrl, shiftCtrl);
    ::SendMessageA(Control("txtPath"), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({file})), 0);
    EXPECT_EQ(Text(Control("txtPath")), pathAfter);
    EXPECT_EQ(fakes_.messageBox.shown.size(), messages);
  }
  EXPECT_EQ(fakes_.messageBox.shown.at(0).text,
            "Bestand is geen juist databasebestand. Selecteer een ander bestand");
}

TEST_F(WindowTest, BrowseButtonsOpenTheirDialogsAndTheFolderDialogIsOwnedByTheWindow) {
  fakes_.fileDialog.choice = "E:\\elders\\BrivantoDb.mdb";
  fakes_.messageBox.answers = {ports::message_box::kAnswerYes};
  Start();
  Click("btnSelectPath");
  EXPECT_EQ(fakes_.fileDialog.shown.size(), 1U);
  EXPECT_EQ(Text(Control("txtPath")), "E:\\elders\\BrivantoDb.mdb");

  Click("btnSelectImagePath");
  ASSERT_EQ(fakes_.shell.shown.size(), 1U);
  EXPECT_EQ(fakes_.shell.shown[0].hwndOwner, window_->WindowHandle());
}

TEST_F(WindowTest, RealDialogsAreModalToTheWindowAndACloseChangesNothing) {
  fakes_.messageBox.answers = {ports::message_box::kAnswerYes};
  StartWithRealParts();
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &CloseDialogs);
  const struct {
    const char* button;
    const char* box;
    const char* textAfter;
  } cases[] = {{"btnSelectPath", "txtPath", kDatabase},
               {"btnSelectImagePath", "txtDir", kImageFolder}};
  for (const auto& [button, box, textAfter] : cases) {
    SCOPED_TRACE(button);
    closedDialog = {};
    Click(button);
    EXPECT_EQ(closedDialog.count, 1);
    EXPECT_EQ(closedDialog.owner, window_->Handle());
    EXPECT_EQ(Text(Control(box)), textAfter);
  }
  ::KillTimer(nullptr, timer);
}

TEST_F(WindowTest, ClosingUnloadsAndReleasesTheConnection) {
  Start();
  bool closed = false;
  window_->OnClosed([&] { closed = true; });
  const HWND handle = window_->Handle();
  ASSERT_EQ(fakes_.database.state.alive, 1);

  ::SendMessageA(handle, WM_CLOSE, 0, 0);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(::IsWindow(handle));
  EXPECT_EQ(fakes_.database.state.alive, 0);
}

}  // namespace
}  // namespace brivanto::win32test
