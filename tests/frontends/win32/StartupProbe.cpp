// Starts BrivantoRepairDb.exe and prints how many milliseconds passed until its window was
// shown, then closes it. A measurement, not a test.
//
//   win32_startup_probe.exe PATH\BrivantoRepairDb.exe

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr const char* kWindowClass = "BrivantoRepairDb.frmRepairDb";
constexpr DWORD kGiveUpMs = 30000;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: win32_startup_probe PROGRAM\n");
    return 2;
  }
  std::string commandLine = std::string("\"") + argv[1] + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  const DWORD start = ::GetTickCount();
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    std::fprintf(stderr, "cannot start %s (%lu)\n", argv[1], ::GetLastError());
    return 1;
  }
  // The program waits for input once its window is shown and its message loop runs; polling
  // for the window instead would slow the start it measures.
  const DWORD idle = ::WaitForInputIdle(process.hProcess, kGiveUpMs);
  const DWORD shown = ::GetTickCount() - start;
  HWND window = ::FindWindowA(kWindowClass, nullptr);
  if (idle != 0 || !::IsWindowVisible(window)) {
    window = nullptr;
  }
  int status = 1;
  if (window != nullptr) {
    std::printf("window_shown_ms=%lu\n", shown);
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    status = ::WaitForSingleObject(process.hProcess, kGiveUpMs) == WAIT_OBJECT_0 ? 0 : 1;
  } else {
    std::fprintf(stderr, "no window after %lu ms\n", shown);
    ::TerminateProcess(process.hProcess, 1);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return status;
}
