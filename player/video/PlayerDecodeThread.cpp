#include "player/video/PlayerDecodeThread.h"

#include "platform/Clock.h"
#include "player/PlayerDebugLog.h"
#include "player/video/IDecodeThreadPlayer.h"

PlayerDecodeThread::~PlayerDecodeThread() { stopDecoding(); }

void PlayerDecodeThread::stopDecoding() {
  m_bStop.store(true);
  if (isRunning()) stop();
}

int PlayerDecodeThread::run() {
  notifyStarted();
  // (The COM apartment the renderer once needed has no counterpart here.)
  while (!m_bStop.load()) decodeStep();
  m_bStop.store(false);
  return 0;
}

void PlayerDecodeThread::decodeStep() {
  if (m_player.isPaused()) {
    m_player.redrawPausedPicture();
    platform::sleepMilliseconds(kPausedSleepMs);
    return;
  }
  if (m_player.isInputQueueEmpty() && !m_player.inputEvent()->wait(kInputWaitMs)) {
    m_player.debugLog().printMessage(2, "decoder input queue empty, wait more than 200 ms");
    return;
  }
  const int sleep = m_player.getNextSleepTime();
  platform::sleepMilliseconds(sleep < 0 ? kNoClockSleepMs : static_cast<unsigned>(sleep));
  m_player.decodeAndShowFrame();
}
