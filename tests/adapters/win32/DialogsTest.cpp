#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "Win32Clipboard.h"
#include "Win32MessageBox.h"
#include "Win32TestSupport.h"

namespace brivanto::win32 {
namespace {

using testing::DialogAnswerer;

std::string ClipboardText(UINT format) {
  std::string text;
  if (!OpenClipboard(nullptr)) {
    return "<not opened>";
  }
  if (HANDLE data = GetClipboardData(format)) {
    if (format == CF_UNICODETEXT) {
      const auto* wide = static_cast<const wchar_t*>(GlobalLock(data));
      const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
      text.resize(static_cast<std::size_t>(size));
      WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
      text.pop_back();
    } else {
      text = static_cast<const char*>(GlobalLock(data));
    }
    GlobalUnlock(data);
  } else {
    text = "<no data>";
  }
  CloseClipboard();
  return text;
}

TEST(Win32ClipboardTest, PlainTextArrivesWithItsLineBreaksInBothTextForms) {
  Win32Clipboard clipboard;
  const std::string text = "1\tBakkerij Belgi\xC3\xAB\r\n2\t\xE6\xBC\xA2\r\n";
  ASSERT_TRUE(clipboard.SetText(text));
  EXPECT_EQ(ClipboardText(CF_TEXT), "1\tBakkerij Belgi\xEB\r\n2\t?\r\n");
  EXPECT_EQ(ClipboardText(CF_UNICODETEXT), "1\tBakkerij Belgi\xC3\xAB\r\n2\t?\r\n");

  ASSERT_TRUE(clipboard.SetText(""));
  EXPECT_EQ(ClipboardText(CF_TEXT), "");
}

TEST(Win32ClipboardTest, ClipboardHeldElsewhereGivesFalseQuicklyAndWorksOnceReleased) {
  Win32Clipboard clipboard;
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  std::thread holder([&] {
    if (OpenClipboard(nullptr)) {
      held = true;
      while (!release) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      CloseClipboard();
    }
  });
  while (!held && holder.joinable()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // Returning at all is the point: a clipboard that never comes free must not hang the tool.
  const bool set = clipboard.SetText("x");
  release = true;
  holder.join();

  EXPECT_FALSE(set);
  EXPECT_TRUE(clipboard.SetText("y"));
  EXPECT_EQ(ClipboardText(CF_TEXT), "y");
}

// The box's text, from its static control.
std::string BoxText(HWND box) {
  char text[256] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

TEST(Win32MessageBoxTest, ShowsTheTextAndTitleAndReturnsTheButtonsNumber) {
  const struct {
    int style;
    UINT message;
    WPARAM button;
    int expected;
    int alsoAccepted;
  } cases[] = {
      {0, WM_COMMAND, IDOK, 1, 1},
      {16, WM_COMMAND, IDOK, 1, 1},
      {36, WM_COMMAND, IDYES, 6, 6},
      {36, WM_COMMAND, IDNO, 7, 7},
      // Closing an OK box: Windows answers OK, Wine Cancel; either way the box is gone.
      {0, WM_CLOSE, 0, 1, 2},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(std::to_string(test.style) + " " + std::to_string(test.button));
    const std::string suffix = testing::UniqueName("");
    const std::string title = "Brivanto test Belgi\xC3\xAB " + suffix;
    std::string shownText;
    HWND owner = nullptr;
    DialogAnswerer answerer("Brivanto test Belgi\xEB " + suffix, [&](HWND box) {
      shownText = BoxText(box);
      owner = GetWindow(box, GW_OWNER);
      PostMessageA(box, test.message, test.button, 0);
    });
    Win32MessageBox messageBox;
    const int answer = messageBox.Show("Pad: D:\\Belgi\xC3\xAB", test.style, title);
    ASSERT_TRUE(answerer.Found());
    EXPECT_TRUE(answer == test.expected || answer == test.alsoAccepted) << answer;
    EXPECT_EQ(shownText, "Pad: D:\\Belgi\xEB");
    EXPECT_EQ(owner, nullptr);
  }
}

TEST(Win32MessageBoxTest, BoxBelongsToTheParentWindowOnceSet) {
  HWND window = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  Win32MessageBox messageBox;
  messageBox.SetParentWindow(reinterpret_cast<std::intptr_t>(window));
  HWND owner = nullptr;
  const std::string title = testing::UniqueName("owned box ");
  DialogAnswerer answerer(title, [&](HWND box) {
    owner = GetWindow(box, GW_OWNER);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(messageBox.Show("text", 0, title), 1);
  ASSERT_TRUE(answerer.Found());
  EXPECT_EQ(owner, window);
  DestroyWindow(window);

  // A closed owner no longer owns: the box still shows.
  DialogAnswerer second(title, [](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); });
  EXPECT_EQ(messageBox.Show("text", 0, title), 1);
  EXPECT_TRUE(second.Found());
}

}  // namespace
}  // namespace brivanto::win32
