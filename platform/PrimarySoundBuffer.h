#pragma once
#include "platform/SoundBuffer.h"

namespace platform {

// The primary buffer of a device: it holds the output format, which it checks; nothing is written to
// or played from it directly.
class PrimarySoundBuffer : public SoundBuffer {
 public:
  // True for linear PCM of 1 or 2 channels, 8 or 16 bits, whose block align and byte rate agree.
  static bool isPlayableFormat(const WaveFormat& format);

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

  const WaveFormat& format() const { return m_format; }

 private:
  WaveFormat m_format;
};

}  // namespace platform
