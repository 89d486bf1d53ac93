#pragma once

#include <cstdint>

#include "ports/Clock.h"

namespace brivanto::qt {

class QtClock : public ports::Clock {
 public:
  ports::LocalDateTime Now() override;
};

class QtTickCounter : public ports::TickCounter {
 public:
  std::uint32_t GetTickCount() override;
};

}  // namespace brivanto::qt
