// Shows the window over fakes that hold a site's texts, with the maintenance panel open after a
// query, and saves its picture: the documentation's picture of the Windows program.
//
//   win32_window_picture.exe FILE.png [--console]

#include <windows.h>

#include <cstring>
#include <string>

#include "Screenshot.h"
#include "Win32FormWindow.h"
#include "WindowTestSupport.h"

using namespace brivanto;

namespace {

void ShowQueryResult(win32ui::Win32FormWindow& window) {
  ::SendMessageA(window.Control("cmdMaintenance"), BM_CLICK, 0, 0);
  ::SetWindowTextA(window.Control("txtQuery"), "select Setting, Value from tblSettings");
  ::SendMessageA(window.Control("cmdExecute"), BM_CLICK, 0, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
  if (__argc < 2) {
    return 2;
  }
  testing::FakeServices fakes;
  win32test::DescribeSite(fakes);
  fakes.database.state.results["select Setting, Value from tblSettings"] = testing::FakeTable{
      {"Setting", "Value"},
      {{"DocumentPath", win32test::kImageFolder}, {"License", "5"}, {"LoggedOn1", "BALIE-PC"}}};
  win32ui::Win32FormWindow window(fakes.Bundle());
  if (!window.Load()) {
    return 1;
  }
  window.Show(SW_SHOWNORMAL);
  if (__argc > 2 && std::strcmp(__argv[2], "--console") == 0) {
    ShowQueryResult(window);
  }
  win32test::PumpMessages();
  ::Sleep(200);
  win32test::PumpMessages();
  return win32ui::SaveWindowPicture(window.Handle(), __argv[1]) ? 0 : 1;
}
