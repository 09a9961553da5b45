#pragma once

namespace platform {

// Starts and ends SDL's audio subsystem for the sound device and each of its buffers. SDL counts the
// starts, but its start and end are not thread-safe, so every call goes through one lock here. SDL
// would also install its own SIGINT and SIGTERM handlers (turning them into a quit event nobody reads);
// a library must leave its host's signal handling alone, so its hint that forbids this is set before
// every start.
class SdlAudioSubsystem {
 public:
  // False, with a debug line, when SDL has no audio driver.
  static bool start();
  // Ends one successful start.
  static void stop();
};

}  // namespace platform
