#include "platform/sdl/SdlSoundSystem.h"

#include <SDL.h>

#include "platform/DebugOutput.h"
#include "platform/sdl/SdlSoundBuffer.h"

namespace platform {

SoundResult SdlSoundSystem::openDevice() {
  std::lock_guard<std::mutex> guard(m_mutex);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    debugOutputFormat("SDL audio: %s\n", SDL_GetError());
    return kSoundNoDriver;
  }
  return kSoundOk;
}

void SdlSoundSystem::closeDevice() {
  std::lock_guard<std::mutex> guard(m_mutex);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

SoundResult SdlSoundSystem::createSecondaryBuffer(const SoundBufferDesc& desc, std::shared_ptr<SoundBuffer>& buffer) {
  std::lock_guard<std::mutex> guard(m_mutex);
  return SdlSoundBuffer::create(desc, buffer);
}

namespace {

SdlSoundSystem g_sdlSoundSystem;
const bool g_registered = (SoundSystem::registerReal(&g_sdlSoundSystem), true);

}  // namespace

}  // namespace platform
