#include "platform/NullSoundBuffer.h"

namespace platform {

NullSoundBuffer::NullSoundBuffer(const SoundBufferDesc& desc, std::function<std::int64_t()> clock,
                                 std::uint32_t granularity, std::uint32_t latency)
    : LoopingSoundBuffer(desc),
      m_clock(std::move(clock)),
      m_granularity(granularity == 0 ? 1 : granularity),
      m_latency(latency) {}

std::vector<std::uint8_t> NullSoundBuffer::played() {
  std::lock_guard<std::mutex> guard(stateMutex());
  catchUpLocked();
  return m_played;
}

std::uint64_t NullSoundBuffer::playedCount() {
  std::lock_guard<std::mutex> guard(stateMutex());
  catchUpLocked();
  return m_played.size();
}

bool NullSoundBuffer::isPlaying() {
  std::lock_guard<std::mutex> guard(stateMutex());
  return isPlayingLocked();
}

void NullSoundBuffer::catchUpLocked() {
  if (!isPlayingLocked()) return;
  const std::int64_t elapsed = m_clock() - m_startMicros;
  if (elapsed <= 0) return;
  const std::uint64_t due = static_cast<std::uint64_t>(elapsed) * bytesPerSecondLocked() / 1000000u;
  const std::uint64_t reached = due / m_granularity * m_granularity;
  if (reached <= m_stepsBytesSinceStart) return;
  const std::uint64_t length = reached - m_stepsBytesSinceStart;
  const std::size_t at = m_played.size();
  m_played.resize(at + length);
  renderLocked(m_played.data() + at, static_cast<std::uint32_t>(length));
  m_stepsBytesSinceStart = reached;
}

void NullSoundBuffer::playingChangedLocked(bool) {
  m_startMicros = m_clock();
  m_stepsBytesSinceStart = 0;
}

SoundResult NullSoundBuffer::admitLockLocked() {
  if (m_refusals.consume()) return kSoundFailed;
  if (m_losses.consume()) {
    markLostLocked();
    return kSoundBufferLost;
  }
  return kSoundOk;
}

}  // namespace platform
