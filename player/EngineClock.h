#pragma once
#include <cstdint>
#include <functional>

// The engine's microsecond clock: the performance counter in microseconds. Safe from any thread; two
// calls in a row never go backwards.
int64_t getMicroSeconds();

// Where the engine's pacing code reads the time: getMicroSeconds, or a clock a test drives.
using MicroClock = std::function<int64_t()>;
