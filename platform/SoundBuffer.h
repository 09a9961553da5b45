#pragma once
#include <cstdint>

#include "platform/SoundTypes.h"

namespace platform {

// A sound buffer in the shape the engine's output logic expects: the primary buffer only carries the
// device format; a secondary buffer is a ring of PCM that loops while it plays.
class SoundBuffer {
 public:
  virtual ~SoundBuffer() = default;

  // Byte offsets of the next byte to be played and of the first byte that is safe to write.
  virtual SoundResult getCurrentPosition(std::uint32_t* play, std::uint32_t* write) = 0;
  virtual SoundResult setCurrentPosition(std::uint32_t play) = 0;
  // Primary buffer only: the output format, which the backend must be able to play.
  virtual SoundResult setFormat(const WaveFormat& format) = 0;
  // Gives the range [offset, offset + bytes) as one or two parts (the second when it wraps). The caller
  // writes them and hands them back with unlock; until then the buffer is not played from.
  virtual SoundResult lock(std::uint32_t offset, std::uint32_t bytes, void** part1, std::uint32_t* bytes1,
                           void** part2, std::uint32_t* bytes2) = 0;
  virtual SoundResult unlock(void* part1, std::uint32_t bytes1, void* part2, std::uint32_t bytes2) = 0;
  virtual SoundResult play(std::uint32_t flags) = 0;
  // A stopped buffer holds its play position.
  virtual SoundResult stop() = 0;
  // After kSoundBufferLost: makes the buffer usable again (its contents must be written anew).
  virtual SoundResult restore() = 0;
  virtual SoundResult setFrequency(std::uint32_t samplesPerSec) = 0;
  virtual SoundResult setVolume(std::int32_t millibels) = 0;
  virtual SoundResult getVolume(std::int32_t* millibels) = 0;
  virtual SoundResult setNotificationPositions(const SoundPositionNotify* positions, std::uint32_t count) = 0;
  // Bytes already past the play position that are not yet heard: taken by the device and queued on
  // the way to the speaker. What is heard now is that much behind the play position.
  virtual SoundResult getOutputLatency(std::uint32_t* bytes) = 0;
};

}  // namespace platform
