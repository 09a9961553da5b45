#pragma once
#include <cstdint>
#include <functional>

namespace platform {

// Milliseconds since the system started, as 32 bits: wraps every 2^32 ms (about 49.7 days).
std::uint32_t tickCount();
// A high-resolution counter and its ticks per second (microseconds: 1,000,000).
std::int64_t performanceCounter();
std::int64_t performanceFrequency();
// Suspends the calling thread for at least `milliseconds` (0 yields the processor).
void sleepMilliseconds(std::uint32_t milliseconds);

// For tests: replace the tick counter, or the sleep (a replacement sleep is called in place of the real
// one, on the sleeping thread). An empty function restores the real one. Return the previous replacement.
using TickSource = std::function<std::uint32_t()>;
using SleepHook = std::function<void(std::uint32_t milliseconds)>;
TickSource setTickSource(TickSource source);
SleepHook setSleepHook(SleepHook hook);

}  // namespace platform
