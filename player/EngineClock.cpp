#include "player/EngineClock.h"

#include "platform/Clock.h"

int64_t getMicroSeconds() {
  // The frequency never changes while the program runs: read it once.
  static const int64_t frequency = platform::performanceFrequency();
  const int64_t count = platform::performanceCounter();
  return count / frequency * 1000000 + (count % frequency) * 1000000 / frequency;
}
