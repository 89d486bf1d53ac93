#pragma once

#include <cstdint>

namespace brivanto::ports {

struct LocalDateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The system clock in local time.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() = 0;
};

// Milliseconds since the system started, wrapping at 2^32.
class TickCounter {
 public:
  virtual ~TickCounter() = default;
  virtual std::uint32_t GetTickCount() = 0;
};

}  // namespace brivanto::ports
