#include "technic/TimeValue.h"

#include <cstdint>

#include "platform/Clock.h"

void TimeValue::set(int seconds, int microseconds) {
  m_seconds = seconds > 0 ? seconds : 0;
  m_microseconds = microseconds > 0 ? microseconds : 0;
}

TimeValue TimeValue::now() {
  std::uint32_t milliseconds = platform::tickCount();
  return TimeValue(static_cast<int>(milliseconds / 1000u), static_cast<int>((milliseconds % 1000u) * 1000u));
}

void sleepFor(const TimeValue& duration) {
  std::int64_t milliseconds =
      static_cast<std::int64_t>(duration.getSeconds()) * 1000 + duration.getMicroseconds() / 1000;
  const std::int64_t longest = 0xFFFFFFFE;  // 0xFFFFFFFF would mean "for ever"
  if (milliseconds > longest) milliseconds = longest;
  platform::sleepMilliseconds(static_cast<std::uint32_t>(milliseconds));
}
