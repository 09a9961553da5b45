#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/InjectedFailures.h"
#include "platform/LoopingSoundBuffer.h"

namespace platform {

// The test backend's secondary buffer: while it plays, its play position follows a clock at the
// buffer's byte rate, in steps of a fixed number of bytes, and every byte it passes is recorded as
// played (volume applied, silence included), so a test can check exactly what was heard.
class NullSoundBuffer : public LoopingSoundBuffer {
 public:
  // clock: microseconds. granularity: bytes per step of the play position (a multiple of the block).
  // latency: the bytes it reports as taken from the ring but not yet heard (a device's queue); what
  // it records is what passed the play position, so the byte heard now is that many before the end.
  NullSoundBuffer(const SoundBufferDesc& desc, std::function<std::int64_t()> clock, std::uint32_t granularity,
                  std::uint32_t latency = 0);

  // Everything played up to now.
  std::vector<std::uint8_t> played();
  std::uint64_t playedCount();
  bool isPlaying();

  // The next n locks each find the buffer lost (each loss needs a restore).
  void loseOnNextLocks(int n) { m_losses.arm(n); }
  // The next n locks fail outright.
  void refuseNextLocks(int n) { m_refusals.arm(n); }

 protected:
  void catchUpLocked() override;
  void playingChangedLocked(bool playing) override;
  SoundResult admitLockLocked() override;
  std::uint32_t latencyLocked() override { return m_latency; }

 private:
  const std::function<std::int64_t()> m_clock;
  const std::uint32_t m_granularity;
  const std::uint32_t m_latency;
  std::int64_t m_startMicros = 0;       // clock when playing last started or the rate changed
  std::uint64_t m_stepsBytesSinceStart = 0;
  std::vector<std::uint8_t> m_played;
  InjectedFailures m_losses;
  InjectedFailures m_refusals;
};

}  // namespace platform
