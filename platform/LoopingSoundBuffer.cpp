#include "platform/LoopingSoundBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

LoopingSoundBuffer::LoopingSoundBuffer(const SoundBufferDesc& desc)
    : m_format(desc.format), m_frequency(desc.format.samplesPerSec) {
  m_ring.assign(desc.bufferBytes, silenceByte());
}

LoopingSoundBuffer::~LoopingSoundBuffer() = default;

SoundResult LoopingSoundBuffer::getCurrentPosition(std::uint32_t* play, std::uint32_t* write) {
  std::lock_guard<std::mutex> guard(m_mutex);
  catchUpLocked();
  // Bytes are taken from the ring only as they are played, so writing may start at the play position.
  if (play != nullptr) *play = m_play;
  if (write != nullptr) *write = m_play;
  return kSoundOk;
}

SoundResult LoopingSoundBuffer::setCurrentPosition(std::uint32_t play) {
  std::lock_guard<std::mutex> guard(m_mutex);
  if (play >= m_ring.size()) return kSoundInvalidParam;
  catchUpLocked();
  m_play = play;
  return kSoundOk;
}

SoundResult LoopingSoundBuffer::setFormat(const WaveFormat&) { return kSoundInvalidCall; }

SoundResult LoopingSoundBuffer::lock(std::uint32_t offset, std::uint32_t bytes, void** part1, std::uint32_t* bytes1,
                                     void** part2, std::uint32_t* bytes2) {
  if (part1 == nullptr || bytes1 == nullptr) return kSoundInvalidParam;
  const std::uint32_t total = size();
  if (bytes == 0 || bytes > total || offset >= total) return kSoundInvalidParam;
  const std::uint32_t first = std::min(bytes, total - offset);
  if (first < bytes && (part2 == nullptr || bytes2 == nullptr)) return kSoundInvalidParam;
  if (m_lockOwner.load() == std::this_thread::get_id()) return kSoundInvalidCall;
  m_mutex.lock();
  SoundResult refused = admitLockLocked();
  if (refused == kSoundOk && m_lost) refused = kSoundBufferLost;
  if (refused != kSoundOk) {
    m_mutex.unlock();
    return refused;
  }
  catchUpLocked();
  *part1 = m_ring.data() + offset;
  *bytes1 = first;
  const std::uint32_t second = bytes - first;
  if (part2 != nullptr) *part2 = second > 0 ? m_ring.data() : nullptr;
  if (bytes2 != nullptr) *bytes2 = second;
  m_lockOwner.store(std::this_thread::get_id());
  return kSoundOk;  // the state lock stays held until unlock
}

SoundResult LoopingSoundBuffer::unlock(void* part1, std::uint32_t, void*, std::uint32_t) {
  const auto* begin = m_ring.data();
  const auto* p = static_cast<const std::uint8_t*>(part1);
  if (p == nullptr || p < begin || p >= begin + m_ring.size()) return kSoundInvalidParam;
  if (m_lockOwner.load() != std::this_thread::get_id()) return kSoundInvalidCall;
  m_lockOwner.store(std::thread::id());
  m_mutex.unlock();
  return kSoundOk;
}

SoundResult LoopingSoundBuffer::play(std::uint32_t flags) {
  (void)flags;  // the ring always loops
  std::lock_guard<std::mutex> guard(m_mutex);
  if (m_lost) return kSoundBufferLost;
  catchUpLocked();
  if (!m_playing) {
    m_playing = true;
    playingChangedLocked(true);
  }
  return kSoundOk;
}

SoundResult LoopingSoundBuffer::stop() {
  std::lock_guard<std::mutex> guard(m_mutex);
  catchUpLocked();
  if (m_playing) {
    m_playing = false;
    playingChangedLocked(false);
  }
  return kSoundOk;
}

SoundResult LoopingSoundBuffer::restore() {
  std::lock_guard<std::mutex> guard(m_mutex);
  m_lost = false;
  return kSoundOk;
}

SoundResult LoopingSoundBuffer::setFrequency(std::uint32_t samplesPerSec) {
  if (samplesPerSec < 100 || samplesPerSec > 200000) return kSoundInvalidParam;
  std::lock_guard<std::mutex> guard(m_mutex);
  catchUpLocked();
  m_frequency = samplesPerSec;
  playingChangedLocked(m_playing);  // the rate changes from here on
  return kSoundOk;
}

SoundResult LoopingSoundBuffer::setVolume(std::int32_t millibels) {
  if (millibels < kSoundVolumeMin || millibels > kSoundVolumeMax) return kSoundInvalidParam;
  std::lock_guard<std::mutex> guard(m_mutex);
  catchUpLocked();
  m_volume = millibels;
  m_gain = std::pow(10.0, millibels / 2000.0);
  return kSoundOk;
}

SoundResult LoopingSoundBuffer::getVolume(std::int32_t* millibels) {
  if (millibels == nullptr) return kSoundInvalidParam;
  std::lock_guard<std::mutex> guard(m_mutex);
  *millibels = m_volume;
  return kSoundOk;
}

SoundResult LoopingSoundBuffer::setNotificationPositions(const SoundPositionNotify* positions, std::uint32_t count) {
  if (count > 0 && positions == nullptr) return kSoundInvalidParam;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (positions[i].offset >= size()) return kSoundInvalidParam;
  }
  return kSoundOk;  // accepted; the engine polls the play position instead
}

SoundResult LoopingSoundBuffer::getOutputLatency(std::uint32_t* bytes) {
  if (bytes == nullptr) return kSoundInvalidParam;
  std::lock_guard<std::mutex> guard(m_mutex);
  catchUpLocked();
  *bytes = latencyLocked();
  return kSoundOk;
}

void LoopingSoundBuffer::renderLocked(std::uint8_t* out, std::uint32_t length) {
  if (!m_playing || m_ring.empty()) {
    std::memset(out, silenceByte(), length);
    return;
  }
  const std::uint32_t total = size();
  std::uint32_t done = 0;
  while (done < length) {
    const std::uint32_t run = std::min(length - done, total - m_play);
    std::memcpy(out + done, m_ring.data() + m_play, run);
    done += run;
    m_play = (m_play + run) % total;
  }
  applyGain(out, length);
}

void LoopingSoundBuffer::applyGain(std::uint8_t* bytes, std::uint32_t length) const {
  if (m_volume == kSoundVolumeMax) return;
  if (m_format.bitsPerSample == 8) {
    for (std::uint32_t i = 0; i < length; ++i) {
      bytes[i] = static_cast<std::uint8_t>(std::lround((bytes[i] - 128) * m_gain) + 128);
    }
    return;
  }
  for (std::uint32_t i = 0; i + 1 < length; i += 2) {
    std::int16_t sample;
    std::memcpy(&sample, bytes + i, 2);
    sample = static_cast<std::int16_t>(std::lround(sample * m_gain));
    std::memcpy(bytes + i, &sample, 2);
  }
}

}  // namespace platform
