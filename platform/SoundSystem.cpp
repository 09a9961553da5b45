#include "platform/SoundSystem.h"

#include <atomic>

#include "platform/SoundDevice.h"

namespace platform {
namespace {

// Plain pointers set without constructors, so the real backend may register from a static
// initialiser in any order.
std::atomic<SoundSystem*> g_installed{nullptr};
std::atomic<SoundSystem*> g_real{nullptr};

}  // namespace

SoundResult SoundSystem::createDevice(std::unique_ptr<SoundDevice>& device) {
  const SoundResult opened = openDevice();
  if (!soundSucceeded(opened)) return opened;
  device = std::make_unique<SoundDevice>(*this);
  return kSoundOk;
}

SoundSystem* SoundSystem::current() {
  SoundSystem* installed = g_installed.load();
  return installed != nullptr ? installed : g_real.load();
}

SoundSystem* SoundSystem::install(SoundSystem* system) { return g_installed.exchange(system); }

void SoundSystem::registerReal(SoundSystem* system) { g_real.store(system); }

}  // namespace platform
