#include "platform/sdl/SdlSoundBuffer.h"

#include <SDL.h>

#include "platform/DebugOutput.h"
#include "platform/sdl/SdlAudioSubsystem.h"

namespace platform {

SoundResult SdlSoundBuffer::create(const SoundBufferDesc& desc, std::shared_ptr<SoundBuffer>& buffer) {
  auto made = std::make_shared<SdlSoundBuffer>(desc);
  if (!made->openDevice()) return kSoundFailed;
  buffer = made;
  return kSoundOk;
}

SdlSoundBuffer::SdlSoundBuffer(const SoundBufferDesc& desc) : LoopingSoundBuffer(desc) {}

SdlSoundBuffer::~SdlSoundBuffer() {
  // Closing waits for a running callback, so the ring outlives every use of it.
  if (m_device != 0) SDL_CloseAudioDevice(m_device);
  if (m_audioInitialised) SdlAudioSubsystem::stop();
}

bool SdlSoundBuffer::openDevice() {
  if (!SdlAudioSubsystem::start()) return false;
  m_audioInitialised = true;
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(format().samplesPerSec);
  wanted.format = format().bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16SYS;
  wanted.channels = static_cast<Uint8>(format().channels);
  wanted.samples = 256;  // 32 ms at 8000 Hz: well inside the engine's lead
  wanted.callback = &SdlSoundBuffer::callback;
  wanted.userdata = this;
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL converts to what the hardware plays.
  m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (m_device == 0) {
    debugOutputFormat("SDL_OpenAudioDevice: %s\n", SDL_GetError());
    return false;
  }
  SDL_PauseAudioDevice(m_device, 0);
  return true;
}

void SdlSoundBuffer::callback(void* self, unsigned char* stream, int length) {
  auto* buffer = static_cast<SdlSoundBuffer*>(self);
  std::lock_guard<std::mutex> guard(buffer->stateMutex());
  buffer->renderLocked(stream, static_cast<std::uint32_t>(length));
}

}  // namespace platform
