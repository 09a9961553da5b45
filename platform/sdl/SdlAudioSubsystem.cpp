#include "platform/sdl/SdlAudioSubsystem.h"

#include <SDL.h>

#include <mutex>

#include "platform/DebugOutput.h"

namespace platform {
namespace {

std::mutex& subsystemMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

bool SdlAudioSubsystem::start() {
  std::lock_guard<std::mutex> guard(subsystemMutex());
  // Set each time: an embedding program may have changed SDL's hints in between.
  SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    debugOutputFormat("SDL audio: %s\n", SDL_GetError());
    return false;
  }
  return true;
}

void SdlAudioSubsystem::stop() {
  std::lock_guard<std::mutex> guard(subsystemMutex());
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace platform
