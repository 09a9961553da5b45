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
  {
    std::lock_guard<std::mutex> guard(stateMutex());
    m_callbackBytes = obtained.size;
  }
  SDL_PauseAudioDevice(m_device, 0);
  return true;
}

std::uint32_t SdlSoundBuffer::latencyLocked() {
  // The device plays one callback's bytes while the next one waits behind them: what the last
  // callback took starts to be heard about one buffer later, and is heard out another buffer on.
  if (m_callbackBytes == 0 || m_lastCallback == std::chrono::steady_clock::time_point()) return 0;
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_lastCallback).count();
  const std::int64_t heard = static_cast<std::int64_t>(elapsed) * bytesPerSecondLocked() / 1000000;
  const std::int64_t unheard = 2 * static_cast<std::int64_t>(m_callbackBytes) - heard;
  if (unheard <= 0) return 0;
  const std::uint32_t block = format().blockAlign > 0 ? format().blockAlign : 1;
  return static_cast<std::uint32_t>(unheard) / block * block;
}

void SdlSoundBuffer::callback(void* self, unsigned char* stream, int length) {
  auto* buffer = static_cast<SdlSoundBuffer*>(self);
  std::lock_guard<std::mutex> guard(buffer->stateMutex());
  buffer->renderLocked(stream, static_cast<std::uint32_t>(length));
  buffer->m_lastCallback = std::chrono::steady_clock::now();
}

}  // namespace platform
