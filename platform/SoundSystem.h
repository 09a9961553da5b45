#pragma once
#include <memory>

#include "platform/SoundBuffer.h"
#include "platform/SoundTypes.h"

namespace platform {

class SoundDevice;

// A sound backend. The engine opens the default device through it and sees only the device and its
// buffers. The real backend registers itself when its library is loaded; tests use the null backend,
// either given to a player directly or installed for the whole process.
class SoundSystem {
 public:
  virtual ~SoundSystem() = default;

  // Opens the default device: kSoundOk with the device, or kSoundNoDriver when there is none.
  SoundResult createDevice(std::unique_ptr<SoundDevice>& device);

  // The backend that players made without one use: the installed one, else the real one; null when
  // neither exists.
  static SoundSystem* current();
  // For tests: a backend in place of the real one (null removes it). Returns the previous one.
  static SoundSystem* install(SoundSystem* system);
  // Called once by the real backend's library as it loads.
  static void registerReal(SoundSystem* system);

 protected:
  friend class SoundDevice;
  virtual SoundResult openDevice() = 0;
  virtual void closeDevice() = 0;
  virtual SoundResult createSecondaryBuffer(const SoundBufferDesc& desc, std::shared_ptr<SoundBuffer>& buffer) = 0;
};

}  // namespace platform
