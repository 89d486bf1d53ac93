#include "Win32Clock.h"

#include <windows.h>

namespace brivanto::win32 {

ports::LocalDateTime Win32Clock::Now() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::uint32_t Win32TickCounter::GetTickCount() {
  return ::GetTickCount();
}

}  // namespace brivanto::win32
