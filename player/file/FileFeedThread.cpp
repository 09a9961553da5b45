#include "player/file/FileFeedThread.h"

#include <chrono>

#include "media/AVData.h"
#include "media/FrameKind.h"
#include "platform/WindowSystem.h"
#include "player/AVPlayer.h"
#include "player/KXPlayerResult.h"
#include "player/OwnedFrameCopy.h"
#include "player/file/IFrameReader.h"
#include "technic/KXMutexLocker.h"

namespace {

// How long a full queue or a pause holds the feed before it looks again.
constexpr auto kRetryInterval = std::chrono::milliseconds(10);
// The longest the end report waits for a last picture that does not appear.
constexpr auto kPlayOutLimit = std::chrono::seconds(1);
// The longest it then waits for the sound pushed to be heard: the audio player holds 750 ms of PCM
// and its output 375 ms more; a sound device that stops playing must not hold the report for ever.
constexpr auto kSoundPlayOutLimit = std::chrono::seconds(3);
// Audio read with sound off is kept for sound switched on this soon after the feed started (the
// engine's callers switch it on right after play); switched on later, the kept sound would trail
// the picture, and it is given up.
constexpr auto kKeepAudioWindow = std::chrono::milliseconds(500);

}  // namespace

FileFeedThread::FileFeedThread() {
  m_stateLock.init();
  m_audioLock.init();
  m_notifyLock.init();
  setName("FileFeedThread");
}

FileFeedThread::~FileFeedThread() {
  m_stopRequested = true;
  m_wake.notify_all();
  if (!isCurrentThread()) join();
}

void FileFeedThread::setSources(AVPlayer* player, IFrameReader* reader) {
  KXMutexLocker lock(m_stateLock, __FILE__, __LINE__);
  m_player = player;
  m_reader = reader;
}

void FileFeedThread::setAudioEnabled(bool enabled) {
  KXMutexLocker lock(m_audioLock, __FILE__, __LINE__);
  m_audioEnabled = enabled;
  if (enabled) m_soundOnAt = std::chrono::steady_clock::now();
}

bool FileFeedThread::start() {
  // The state lock is never taken inside the life lock (the thread takes them the other way round).
  setPaused(false);
  std::lock_guard<std::mutex> life(m_lifeLock);
  m_stopRequested = false;
  ++m_starts;
  if (m_feeding) return true;  // the thread runs, or is reporting an end and then goes on
  // A thread that decided to end no longer looks at the flags; wait for it before starting anew.
  if (!isCurrentThread()) join();
  m_feeding = true;
  // A new start keeps the audio read while sound is off, for sound switched on just after it (the
  // thread is not running here). Sound on from the start has nothing to wait for: audio read while it
  // is off later (at another rate) is dropped, never played once it is back.
  m_keptAudio.clear();
  {
    KXMutexLocker audio(m_audioLock, __FILE__, __LINE__);
    m_keepingAudio = !m_audioEnabled;
  }
  m_keepUntil = std::chrono::steady_clock::now() + kKeepAudioWindow;
  if (WorkerThread::start() != 0) {
    m_feeding = false;
    m_stopRequested = true;
    return false;
  }
  return true;
}

bool FileFeedThread::stop() {
  {
    std::lock_guard<std::mutex> life(m_lifeLock);
    m_stopRequested = true;
  }
  m_wake.notify_all();
  // From the feed thread itself (inside the file-end callback) the thread ends when the callback returns.
  if (!isCurrentThread()) WorkerThread::stop();
  m_paused = false;
  // The engine moves the picture on its own now (a step or seek); the next end waits for nothing.
  m_lastVideoId = -1;
  dropKeptAudio();
  return true;
}

void FileFeedThread::dropKeptAudio() {
  KXMutexLocker lock(m_stateLock, __FILE__, __LINE__);
  m_keptAudio.clear();
  m_keepingAudio = false;
}

void FileFeedThread::setPaused(bool paused) {
  {
    KXMutexLocker lock(m_stateLock, __FILE__, __LINE__);
    m_paused = paused;
  }
  m_wake.notify_all();
}

AVData* FileFeedThread::heldFrame() {
  KXMutexLocker lock(m_stateLock, __FILE__, __LINE__);
  return m_held;
}

void FileFeedThread::dropHeldFrame() {
  KXMutexLocker lock(m_stateLock, __FILE__, __LINE__);
  m_held = nullptr;
}

void FileFeedThread::setNotifyWindow(HWND window, unsigned message, const void* lParam) {
  KXMutexLocker lock(m_notifyLock, __FILE__, __LINE__);
  m_notifyWindow = window;
  m_notifyMessage = message;
  m_notifyParam = lParam;
}

void FileFeedThread::setNotifyWindowEX(HWND window, unsigned message, long wParam, long lParam) {
  KXMutexLocker lock(m_notifyLock, __FILE__, __LINE__);
  m_notifyWindow = window;
  m_notifyMessage = message;
  m_notifyWParam = wParam;
  m_notifyLParam = lParam;
}

void FileFeedThread::setFileEndCallback(long id, FileEndCallback fn, void* user) {
  KXMutexLocker lock(m_notifyLock, __FILE__, __LINE__);
  m_fileEndId = id;
  m_fileEndCallback = fn;
  m_fileEndUser = user;
}

int FileFeedThread::run() {
  notifyStarted();
  for (;;) {
    unsigned startsAtEnd = 0;
    if (feedUntilEnd(startsAtEnd)) reportEnd();
    if (!goOnAfter(startsAtEnd)) return 0;
  }
}

bool FileFeedThread::feedUntilEnd(unsigned& startsAtEnd) {
  bool ended = false;
  while (!m_stopRequested) {
    bool wait = false;
    {
      KXMutexLocker lock(m_stateLock, __FILE__, __LINE__);
      if (m_paused) {
        // A pause does not count as waiting for the end to play out.
        m_drainStart = std::chrono::steady_clock::time_point();
        m_soundDrainStart = std::chrono::steady_clock::time_point();
        wait = true;
      } else if (pushKeptAudio(wait)) {
        // Sound was switched on: the audio kept since the start goes first, in file order.
      } else if (ended) {
        // Looked at only now, so that a pause or stop that came first still wins over the report;
        // and only once the last picture is on screen and the sound heard, so that the report comes
        // after both.
        if (videoPlayedOut() && soundPlayedOut()) {
          std::lock_guard<std::mutex> life(m_lifeLock);
          startsAtEnd = m_starts;
          return true;
        }
        wait = true;
      } else {
        if (m_held == nullptr) {
          AVData* frame = nullptr;
          // The end of the data and a read error both end playback; either way it is reported.
          if (m_reader->readNextFrame(&frame) != KXPLAYER_OK || frame == nullptr) {
            ended = true;
            m_drainStart = std::chrono::steady_clock::time_point();
            m_soundDrainStart = std::chrono::steady_clock::time_point();
            continue;
          }
          m_held = frame;
        }
        wait = push(*m_held);
        if (!wait) m_held = nullptr;
      }
    }
    if (wait) waitBriefly();
  }
  std::lock_guard<std::mutex> life(m_lifeLock);
  startsAtEnd = m_starts;
  return false;
}

void FileFeedThread::shrinkVideoQueue(unsigned size) { m_queueShrink = size; }

unsigned FileFeedThread::takeVideoQueueShrink() { return m_queueShrink.exchange(0); }

bool FileFeedThread::push(const AVData& frame) {
  if (frame.getESStreamType() == FrameKind::kVideoStream) {
    if (m_queueShrink.load() != 0) {
      // Only this thread pushes: once the queue is empty it stays so until the push below.
      if (!m_player->isVideoQueueEmpty()) return true;
      if (const unsigned size = m_queueShrink.exchange(0)) m_player->setInputQueueMaxSize(size);
    }
    if (m_player->pushVideoFrame(frame) == KXPLAYER_QUEUE_FULL) return true;
    m_lastVideoId = frame.getSequenceId();
    return false;
  }
  if (frame.getESStreamType() == FrameKind::kAudioStream) {
    KXMutexLocker lock(m_audioLock, __FILE__, __LINE__);
    if (m_audioEnabled && m_keptAudio.empty()) {
      // Sound is on and plays as it is read: from now on audio read while it is off is dropped.
      m_keepingAudio = false;
      return m_player->pushAudioFrame(frame) == KXPLAYER_QUEUE_FULL;
    }
    keepAudio(frame);
  }
  return false;
}

bool FileFeedThread::keepWindowOpen() {
  if (m_keepingAudio && std::chrono::steady_clock::now() > m_keepUntil) {
    m_keptAudio.clear();
    m_keepingAudio = false;
  }
  return m_keepingAudio;
}

void FileFeedThread::keepAudio(const AVData& frame) {
  // Sound switched on while frames are still kept: this one queues behind them, in file order.
  if (!m_audioEnabled && !keepWindowOpen()) {
    m_keptAudio.clear();
    return;
  }
  std::unique_ptr<AVData> copy(newOwnedFrameCopy(frame));
  if (copy == nullptr) {
    // Kept sound with a hole in it would be worse than none.
    m_keptAudio.clear();
    m_keepingAudio = false;
    return;
  }
  m_keptAudio.push_back(std::move(copy));
}

bool FileFeedThread::pushKeptAudio(bool& refused) {
  refused = false;
  if (m_keptAudio.empty()) return false;
  KXMutexLocker lock(m_audioLock, __FILE__, __LINE__);
  if (!m_audioEnabled) {
    // Sound that came on and went off again (another rate, sound off) drops what it has not pushed.
    if (!m_keepingAudio) m_keptAudio.clear();
    return false;
  }
  // Sound is on: what was kept goes out before the next frame read, unless sound came too late for it.
  if (m_keepingAudio) {
    m_keepingAudio = false;
    if (m_soundOnAt > m_keepUntil) {
      m_keptAudio.clear();
      return false;
    }
  }
  refused = m_player->pushAudioFrame(*m_keptAudio.front()) == KXPLAYER_QUEUE_FULL;
  if (!refused) m_keptAudio.pop_front();
  return true;
}

bool FileFeedThread::videoPlayedOut() {
  // Idle: every frame pushed has left the queue and been decoded and drawn (or dropped). Only this
  // thread pushes, so nothing can follow once the queue is seen idle.
  if (!m_player->isVideoIdle()) return false;
  if (m_lastVideoId < 0 || m_player->getCurrentVideoFrameID() == m_lastVideoId) return true;
  // A last frame that never shows (it does not decode, or the decoder holds its picture back) holds
  // the report back only for a while.
  const auto now = std::chrono::steady_clock::now();
  if (m_drainStart == std::chrono::steady_clock::time_point()) m_drainStart = now;
  return now - m_drainStart >= kPlayOutLimit;
}

bool FileFeedThread::soundPlayedOut() {
  {
    KXMutexLocker lock(m_audioLock, __FILE__, __LINE__);
    // Sound switched off (or not at normal speed) has nothing more to be heard.
    if (!m_audioEnabled || m_player->isAudioPlayedOut()) return true;
  }
  const auto now = std::chrono::steady_clock::now();
  if (m_soundDrainStart == std::chrono::steady_clock::time_point()) m_soundDrainStart = now;
  return now - m_soundDrainStart >= kSoundPlayOutLimit;
}

void FileFeedThread::reportEnd() {
  HWND window = 0;
  unsigned message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  long id = 0;
  FileEndCallback callback = nullptr;
  void* user = nullptr;
  {
    KXMutexLocker lock(m_notifyLock, __FILE__, __LINE__);
    window = m_notifyWindow;
    message = m_notifyMessage;
    wParam = static_cast<std::uintptr_t>(m_notifyWParam);
    lParam = m_notifyParam != nullptr ? reinterpret_cast<std::intptr_t>(m_notifyParam)
                                      : static_cast<std::intptr_t>(m_notifyLParam);
    id = m_fileEndId;
    callback = m_fileEndCallback;
    user = m_fileEndUser;
  }
  if (window != 0) platform::windows().postMessage(window, message, wParam, lParam);
  if (callback != nullptr) callback(id, user);
}

bool FileFeedThread::goOnAfter(unsigned startsAtEnd) {
  // Decided under the lock that start takes, so that a start either finds the thread going on or
  // finds it committed to ending (and waits for it).
  std::lock_guard<std::mutex> life(m_lifeLock);
  if (!m_stopRequested && m_starts != startsAtEnd) return true;
  m_feeding = false;
  return false;
}

void FileFeedThread::waitBriefly() {
  std::unique_lock<std::mutex> lock(m_wakeLock);
  m_wake.wait_for(lock, kRetryInterval);
}
