#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace brivanto::platform::qt {

class QtClock : public platform::Clock {
 public:
  LocalDateTime Now() override;
};

class QtTickCounter : public platform::TickCounter {
 public:
  std::uint32_t GetTickCount() override;
};

}  // namespace brivanto::platform::qt
