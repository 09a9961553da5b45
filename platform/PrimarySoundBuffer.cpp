#include "platform/PrimarySoundBuffer.h"

namespace platform {

bool PrimarySoundBuffer::isPlayableFormat(const WaveFormat& format) {
  if (format.formatTag != 1) return false;
  if (format.channels != 1 && format.channels != 2) return false;
  if (format.bitsPerSample != 8 && format.bitsPerSample != 16) return false;
  if (format.samplesPerSec == 0 || format.samplesPerSec > 192000) return false;
  if (format.blockAlign != format.bitsPerSample / 8 * format.channels) return false;
  return format.avgBytesPerSec == format.blockAlign * format.samplesPerSec;
}

SoundResult PrimarySoundBuffer::setFormat(const WaveFormat& format) {
  if (!isPlayableFormat(format)) return kSoundBadFormat;
  m_format = format;
  return kSoundOk;
}

// The primary buffer is not a ring of its own here: the device mixes the secondary buffers.
SoundResult PrimarySoundBuffer::getCurrentPosition(std::uint32_t*, std::uint32_t*) { return kSoundInvalidCall; }
SoundResult PrimarySoundBuffer::setCurrentPosition(std::uint32_t) { return kSoundInvalidCall; }
SoundResult PrimarySoundBuffer::lock(std::uint32_t, std::uint32_t, void**, std::uint32_t*, void**, std::uint32_t*) {
  return kSoundInvalidCall;
}
SoundResult PrimarySoundBuffer::unlock(void*, std::uint32_t, void*, std::uint32_t) { return kSoundInvalidCall; }
SoundResult PrimarySoundBuffer::play(std::uint32_t) { return kSoundOk; }
SoundResult PrimarySoundBuffer::stop() { return kSoundOk; }
SoundResult PrimarySoundBuffer::restore() { return kSoundOk; }
SoundResult PrimarySoundBuffer::setFrequency(std::uint32_t) { return kSoundInvalidCall; }
SoundResult PrimarySoundBuffer::setVolume(std::int32_t) { return kSoundInvalidCall; }
SoundResult PrimarySoundBuffer::getVolume(std::int32_t*) { return kSoundInvalidCall; }
SoundResult PrimarySoundBuffer::setNotificationPositions(const SoundPositionNotify*, std::uint32_t) {
  return kSoundInvalidCall;
}

SoundResult PrimarySoundBuffer::getOutputLatency(std::uint32_t*) { return kSoundInvalidCall; }

}  // namespace platform
