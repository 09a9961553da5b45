#include "player/audio/AudioFeedThread.h"

#include "platform/Clock.h"
#include "player/KXPlayerResult.h"
#include "player/audio/ISoundFeed.h"

AudioFeedThread::AudioFeedThread(ISoundFeed* owner) : m_pOwner(owner) { setName("AudioFeedThread"); }

AudioFeedThread::~AudioFeedThread() {
  setStopFlag();
  if (isRunning()) stop();
}

int AudioFeedThread::start() {
  if (isRunning()) return kAlreadyRunning;
  m_bStop.store(false);
  if (WorkerThread::start() != 0) {
    m_bStop.store(true);
    return KXPLAYER_START_FAILED;
  }
  return KXPLAYER_OK;
}

int AudioFeedThread::run() {
  notifyStarted();
  while (!m_bStop.load()) {
    if (m_pOwner != nullptr) m_pOwner->feedSound();
    platform::sleepMilliseconds(kStepMilliseconds);
  }
  return 0;
}
