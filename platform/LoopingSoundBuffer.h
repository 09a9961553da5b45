#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/SoundBuffer.h"

namespace platform {

// A secondary buffer: a ring of PCM that a backend plays from its play position onwards, looping, with
// the volume applied. The backends differ only in what moves the play position: the null backend's
// clock or the real device's callback, each through renderLocked.
//
// One lock guards the ring and its state; lock() keeps it until unlock(), so the backend never plays
// from bytes that are being written.
class LoopingSoundBuffer : public SoundBuffer {
 public:
  explicit LoopingSoundBuffer(const SoundBufferDesc& desc);
  ~LoopingSoundBuffer() override;

  SoundResult getCurrentPosition(std::uint32_t* play, std::uint32_t* write) override;
  SoundResult setCurrentPosition(std::uint32_t play) override;
  SoundResult setFormat(const WaveFormat& format) override;
  SoundResult lock(std::uint32_t offset, std::uint32_t bytes, void** part1, std::uint32_t* bytes1, void** part2,
                   std::uint32_t* bytes2) override;
  SoundResult unlock(void* part1, std::uint32_t bytes1, void* part2, std::uint32_t bytes2) override;
  SoundResult play(std::uint32_t flags) override;
  SoundResult stop() override;
  SoundResult restore() override;
  SoundResult setFrequency(std::uint32_t samplesPerSec) override;
  SoundResult setVolume(std::int32_t millibels) override;
  SoundResult getVolume(std::int32_t* millibels) override;
  SoundResult setNotificationPositions(const SoundPositionNotify* positions, std::uint32_t count) override;
  SoundResult getOutputLatency(std::uint32_t* bytes) override;

  std::uint32_t size() const { return static_cast<std::uint32_t>(m_ring.size()); }
  const WaveFormat& format() const { return m_format; }

 protected:
  // Brings the play position up to the present. Called with the state lock held before every
  // operation that looks at or changes the ring or the playing state.
  virtual void catchUpLocked() {}
  // Called with the state lock held when the buffer starts or stops playing.
  virtual void playingChangedLocked(bool playing) { (void)playing; }
  // Bytes rendered from the ring and not yet heard (state lock held): none unless the backend says.
  virtual std::uint32_t latencyLocked() { return 0; }
  // Lets a test backend refuse a lock or lose the buffer: kSoundOk to go on.
  virtual SoundResult admitLockLocked() { return kSoundOk; }

  // Fills out with the next `length` bytes from the play position, with the volume applied, and moves
  // the position on; a stopped buffer gives silence and keeps its position.
  void renderLocked(std::uint8_t* out, std::uint32_t length);
  void markLostLocked() { m_lost = true; }
  bool isPlayingLocked() const { return m_playing; }
  // Bytes played per second at the current frequency.
  std::uint32_t bytesPerSecondLocked() const { return m_frequency * m_format.blockAlign; }
  std::uint8_t silenceByte() const { return m_format.bitsPerSample == 8 ? 0x80 : 0x00; }
  std::mutex& stateMutex() { return m_mutex; }

 private:
  void applyGain(std::uint8_t* bytes, std::uint32_t length) const;

  std::mutex m_mutex;
  // The thread that holds a lock (a second lock from it would wait on itself for ever).
  std::atomic<std::thread::id> m_lockOwner{};
  std::vector<std::uint8_t> m_ring;
  const WaveFormat m_format;
  std::uint32_t m_frequency;
  std::uint32_t m_play = 0;
  bool m_playing = false;
  bool m_lost = false;
  std::int32_t m_volume = kSoundVolumeMax;
  double m_gain = 1.0;
};

}  // namespace platform
