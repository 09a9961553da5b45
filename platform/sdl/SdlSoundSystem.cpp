#include "platform/sdl/SdlSoundSystem.h"

#include "platform/sdl/SdlAudioSubsystem.h"
#include "platform/sdl/SdlSoundBuffer.h"

namespace platform {

SoundResult SdlSoundSystem::openDevice() {
  std::lock_guard<std::mutex> guard(m_mutex);
  return SdlAudioSubsystem::start() ? kSoundOk : kSoundNoDriver;
}

void SdlSoundSystem::closeDevice() {
  std::lock_guard<std::mutex> guard(m_mutex);
  SdlAudioSubsystem::stop();
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
