#pragma once
#include <chrono>
#include <cstdint>
#include <memory>

#include "platform/LoopingSoundBuffer.h"

namespace platform {

// The real backend's secondary buffer: an SDL audio device opened in the buffer's format whose
// callback plays the ring from the play position. The device runs from creation to destruction; a
// stopped buffer feeds it silence and keeps its position.
class SdlSoundBuffer : public LoopingSoundBuffer {
 public:
  static SoundResult create(const SoundBufferDesc& desc, std::shared_ptr<SoundBuffer>& buffer);
  explicit SdlSoundBuffer(const SoundBufferDesc& desc);
  ~SdlSoundBuffer() override;

 protected:
  std::uint32_t latencyLocked() override;

 private:
  bool openDevice();
  static void callback(void* self, unsigned char* stream, int length);

  bool m_audioInitialised = false;
  unsigned m_device = 0;
  // Bytes the device takes at each callback, and when it last took them (state lock).
  std::uint32_t m_callbackBytes = 0;
  std::chrono::steady_clock::time_point m_lastCallback;
};

}  // namespace platform
