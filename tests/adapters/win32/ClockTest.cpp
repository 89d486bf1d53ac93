#include <gtest/gtest.h>
#include <windows.h>

#include "Win32Clock.h"

namespace brivanto::win32 {
namespace {

TEST(Win32ClockTest, LocalTimeAndTicksAreTheSystems) {
  Win32Clock clock;
  Win32TickCounter ticks;
  SYSTEMTIME before{};
  GetLocalTime(&before);
  const DWORD ticksBefore = GetTickCount();
  const auto now = clock.Now();
  const auto counted = ticks.GetTickCount();
  EXPECT_EQ(now.year, before.wYear);
  EXPECT_EQ(now.month, before.wMonth);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.hour, 23);
  EXPECT_LE(now.second, 59);
  EXPECT_GE(counted - ticksBefore, 0U);
  EXPECT_LT(counted - ticksBefore, 1000U);
}

}  // namespace
}  // namespace brivanto::win32
