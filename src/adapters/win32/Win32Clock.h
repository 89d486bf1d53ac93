#pragma once

#include <cstdint>

#include "ports/Clock.h"

namespace brivanto::win32 {

// The local time of the system (GetLocalTime).
class Win32Clock final : public ports::Clock {
 public:
  ports::LocalDateTime Now() override;
};

// Milliseconds since Windows started (GetTickCount), wrapping after 49.7 days.
class Win32TickCounter final : public ports::TickCounter {
 public:
  std::uint32_t GetTickCount() override;
};

}  // namespace brivanto::win32
