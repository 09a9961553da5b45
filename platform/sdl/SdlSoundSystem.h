#pragma once
#include <mutex>

#include "platform/SoundSystem.h"

namespace platform {

// The real sound backend: SDL2 audio. It registers itself as the process's real sound system when its
// library loads. SDL_AUDIODRIVER chooses SDL's driver ("disk" writes the output to SDL_DISKAUDIOFILE).
class SdlSoundSystem : public SoundSystem {
 protected:
  SoundResult openDevice() override;
  void closeDevice() override;
  SoundResult createSecondaryBuffer(const SoundBufferDesc& desc, std::shared_ptr<SoundBuffer>& buffer) override;

 private:
  std::mutex m_mutex;  // SDL's subsystem start and end are not thread-safe
};

}  // namespace platform
