#pragma once

// The clock and the tick counter, each from a script.

#include <cstdint>
#include <deque>

#include "ports/Clock.h"

namespace brivanto::testing {

class FakeClock : public ports::Clock {
 public:
  ports::LocalDateTime Now() override {
    if (!script.empty()) {
      now = script.front();
      script.pop_front();
    }
    return now;
  }
  ports::LocalDateTime now{2026, 12, 8, 14, 5, 9};
  std::deque<ports::LocalDateTime> script;
};

class FakeTickCounter : public ports::TickCounter {
 public:
  std::uint32_t GetTickCount() override {
    if (!script.empty()) {
      ticks = script.front();
      script.pop_front();
    }
    return ticks;
  }
  std::uint32_t ticks = 1000;
  std::deque<std::uint32_t> script;
};

}  // namespace brivanto::testing
