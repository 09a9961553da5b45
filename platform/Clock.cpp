#include "platform/Clock.h"

#include <mutex>
#include <sched.h>
#include <time.h>
#include <utility>

namespace platform {
namespace {

std::mutex& hookMutex() {
  static std::mutex* mutex = new std::mutex;  // never destroyed: threads may sleep during exit
  return *mutex;
}
TickSource& tickSource() {
  static TickSource* source = new TickSource;
  return *source;
}
SleepHook& sleepHook() {
  static SleepHook* hook = new SleepHook;
  return *hook;
}

std::int64_t monotonicMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

}  // namespace

std::uint32_t tickCount() {
  TickSource source;
  {
    std::lock_guard<std::mutex> lock(hookMutex());
    source = tickSource();
  }
  if (source) return source();
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::uint64_t milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                               static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(milliseconds);
}

std::int64_t performanceCounter() { return monotonicMicroseconds(); }

std::int64_t performanceFrequency() { return 1000000; }

void sleepMilliseconds(std::uint32_t milliseconds) {
  SleepHook hook;
  {
    std::lock_guard<std::mutex> lock(hookMutex());
    hook = sleepHook();
  }
  if (hook) {
    hook(milliseconds);
    return;
  }
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0) {
  }
}

TickSource setTickSource(TickSource source) {
  std::lock_guard<std::mutex> lock(hookMutex());
  return std::exchange(tickSource(), std::move(source));
}

SleepHook setSleepHook(SleepHook hook) {
  std::lock_guard<std::mutex> lock(hookMutex());
  return std::exchange(sleepHook(), std::move(hook));
}

}  // namespace platform
