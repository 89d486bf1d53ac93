// Times the SQL console listing "select * from console_rows" under Wine, in process, as
// bench/ConsoleBench.cpp does on Linux: through the program's own ODBC stack (the ANSI layer
// over odbc32, reaching the Linux stand-in), once into a plain list and once into the real
// window's list box. Usage: win32_console_bench DATABASE ROWS (a Linux path; the table filled
// from Linux like bench_console's). Prints the best of three runs of each, and the process's
// peak working set (under Wine: its peak resident memory).

// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

#include "Win32FormWindow.h"
#include "Win32Services.h"
#include "database/ConnectionHolder.h"
#include "database/ConnectionText.h"
#include "maintenance/LineStore.h"
#include "maintenance/SqlConsole.h"

namespace {

using namespace brivanto;
using Stopwatch = std::chrono::steady_clock;

constexpr const char* kQuery = "select * from console_rows";
constexpr int kRepetitions = 3;
// Lines of a run besides its rows, as bench_console counts them.
constexpr std::size_t kFrameLines = 8;

class PlainList final : public ports::ResultList {
 public:
  void Clear() override { lines_.Clear(); }
  void Append(std::string_view line) override { lines_.Append(line); }
  std::size_t Count() const override { return lines_.Count(); }
  std::string_view Line(std::size_t index) const override { return lines_.Line(index); }
  bool IsSelected(std::size_t) const override { return false; }

 private:
  maintenance::LineStore lines_;
};

double MillisecondsSince(Stopwatch::time_point start) {
  return std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
}

void PumpMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

long PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters))) {
    throw std::runtime_error("GetProcessMemoryInfo failed");
  }
  return static_cast<long>((counters.PeakWorkingSetSize + (1 << 20) - 1) >> 20);
}

void RequireComplete(const ports::ResultList& list, std::size_t rows) {
  if (list.Count() != rows + kFrameLines ||
      list.Line(list.Count() - 1).rfind("Einde Query ", 0) != 0) {
    throw std::runtime_error("listed " + std::to_string(list.Count()) + " lines");
  }
}

double TimePlainList(win32ui::Win32Services& services, const std::string& database,
                     std::size_t rows) {
  PlainList list;
  const auto start = Stopwatch::now();
  {
    database::ConnectionHolder connection;
    connection.Replace(services.access.database.CreateConnection());
    connection.Get().Open(database::ConnectionText(database));
    maintenance::SqlConsole(list, connection, services.clock, services.ticks).Run(kQuery);
  }
  const double elapsed = MillisecondsSince(start);
  RequireComplete(list, rows);
  return elapsed;
}

double TimeWindow(win32ui::Win32FormWindow& window, std::size_t rows) {
  ::SendMessageA(window.Control("cmdClear"), BM_CLICK, 0, 0);
  ::SetWindowTextA(window.Control("txtQuery"), kQuery);
  PumpMessages();
  const auto start = Stopwatch::now();
  ::SendMessageA(window.Control("cmdExecute"), BM_CLICK, 0, 0);
  PumpMessages();
  const double elapsed = MillisecondsSince(start);
  RequireComplete(window, rows);
  return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: win32_console_bench DATABASE ROWS\n");
    return 2;
  }
  try {
    const std::string database = argv[1];
    const std::size_t rows = std::stoul(argv[2]);
    win32ui::Win32Services services;
    double plainMs = 1e300;
    for (int repetition = 0; repetition < kRepetitions; ++repetition) {
      plainMs = std::min(plainMs, TimePlainList(services, database, rows));
    }
    win32ui::Win32FormWindow window(services.Bundle());
    services.SetOwnerWindow(window.WindowHandle());
    window.Load();
    window.Show(SW_SHOWNORMAL);
    ::SetWindowTextA(window.Control("txtPath"), database.c_str());
    ::SendMessageA(window.Control("cmdMaintenance"), BM_CLICK, 0, 0);
    PumpMessages();
    double windowMs = 1e300;
    for (int repetition = 0; repetition < kRepetitions; ++repetition) {
      windowMs = std::min(windowMs, TimeWindow(window, rows));
    }
    std::printf("rows=%zu plain_list_ms=%.0f window_list_ms=%.0f peak_mb=%ld\n", rows, plainMs,
                windowMs, PeakMegabytes());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "win32_console_bench: %s\n", error.what());
  }
  return 1;
}
