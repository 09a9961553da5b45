#pragma once
#include <cstdint>
#include <memory>

#include "platform/SoundBuffer.h"

namespace platform {

class SoundSystem;

// One opened sound device of a backend: makes the primary buffer (the output format) and looping
// secondary buffers. Buffers may outlive the device.
class SoundDevice {
 public:
  explicit SoundDevice(SoundSystem& system);
  ~SoundDevice();  // tells the backend the device is closed
  SoundDevice(const SoundDevice&) = delete;
  SoundDevice& operator=(const SoundDevice&) = delete;

  // Accepted for any window and level; sound here does not depend on focus.
  SoundResult setCooperativeLevel(std::uint32_t window, std::uint32_t level);
  // A primary buffer when desc.flags holds kSoundBufferPrimary, else a secondary buffer of
  // desc.bufferBytes bytes in desc.format.
  SoundResult createSoundBuffer(const SoundBufferDesc& desc, std::shared_ptr<SoundBuffer>& buffer);

 private:
  SoundSystem& m_system;
};

}  // namespace platform
