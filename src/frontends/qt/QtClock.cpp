#include "QtClock.h"

#include <QDateTime>
#include <chrono>

namespace brivanto::qt {

ports::LocalDateTime QtClock::Now() {
  const auto now = QDateTime::currentDateTime();
  const auto date = now.date();
  const auto time = now.time();
  return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

std::uint32_t QtTickCounter::GetTickCount() {
  // On Linux the steady clock counts from boot; the count wraps at 2^32 like its Windows model.
  const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
}

}  // namespace brivanto::qt
