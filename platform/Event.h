#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {

// Wait time without a limit.
constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
// waitForAny takes at most this many events.
constexpr std::size_t kMaximumWaitObjects = 64;
// Result of a wait that timed out (waitForAny otherwise gives the index of the signalled event).
constexpr int kWaitTimeout = -1;
// Result of waitForAny called with no events or more than kMaximumWaitObjects.
constexpr int kWaitFailed = -2;

// An event: signalled or not. A manual-reset event stays signalled until reset and releases every
// waiter; an auto-reset event releases one waiter and is reset by that release.
class Event {
 public:
  explicit Event(bool manualReset, bool initiallySignalled = false);
  ~Event();  // nobody may wait on it any more
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void set();
  void reset();
  // True when the event was signalled within timeoutMs milliseconds (kInfinite: no limit).
  bool wait(std::uint32_t timeoutMs);
  bool isManualReset() const { return m_manualReset; }

  // Waits until one of the events is signalled: the index of the first signalled one (an auto-reset
  // event among them is reset by this), kWaitTimeout after timeoutMs, kWaitFailed for a bad count.
  static int waitForAny(Event* const* events, std::size_t count, std::uint32_t timeoutMs);

 private:
  struct Waiters;
  const bool m_manualReset;
  bool m_signalled;
  Waiters* m_waiters;
};

}  // namespace platform
