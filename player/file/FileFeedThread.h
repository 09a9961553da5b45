#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "player/PlayerTypes.h"
#include "technic/KXMutex.h"
#include "technic/WorkerThread.h"

class AVData;
class AVPlayer;
class IFrameReader;

// The worker thread of a file-playback engine: reads frames from the engine's reader in file order
// and pushes video frames into the video player and, while audio is on, audio frames into the audio
// player. A full queue makes it offer the same frame again shortly after. At the end of the file,
// or when the file cannot be read further, it posts the end-of-file message and calls the file-end
// callback, then ends: the end of playback is always reported, whatever ended it.
//
// The callback runs on this thread with no lock of the feed held, so it may stop, close, step, seek
// or play again: a stop from inside it ends the thread once the callback returns, a start from inside
// it goes on feeding.
//
// A frame that a full queue refused is held, not dropped: it stays the next frame offered across a
// pause and a stop (the engine takes it back for a step, or drops it for a seek).
//
// Sound is switched on after play has started the feed (the engine's callers play first), so the
// audio read while it is off just after a start is kept, not dropped: sound switched on within half
// a second of the start begins with it. Only sound not yet on since the start is waited for so, and
// only at normal speed: audio read while sound is off again, or at another rate, is never played.
// The end is reported once the last picture is shown and the sound pushed has been heard.
class FileFeedThread : public WorkerThread {
 public:
  FileFeedThread();
  ~FileFeedThread() override;

  // The engine's players and reader; set before the first start.
  void setSources(AVPlayer* player, IFrameReader* reader);
  void setAudioEnabled(bool enabled);

  // Starts the feed, or un-pauses the one running: true when the thread feeds, false when it cannot
  // be started. A thread that is just ending is waited for and started again.
  bool start();
  // Ends the feed and waits for the thread (from the thread itself: it ends after the callback).
  // The held frame stays held; audio kept from the start is dropped.
  bool stop();
  // Suspends or resumes feeding between two frames.
  void setPaused(bool paused);
  // Drops the audio kept for sound still to be switched on, and keeps none until the next start (the
  // rate has left normal speed, where no sound plays).
  void dropKeptAudio();

  // Makes the video queue this size once it has run empty (0: no change wanted); video frames wait
  // until then, so that no queued frame is dropped.
  void shrinkVideoQueue(unsigned size);
  // The size still waiting for the queue to run empty (0: none), now no longer wanted.
  unsigned takeVideoQueueShrink();

  // The frame read but not yet taken by a full queue, or null. Valid while nobody else reads.
  AVData* heldFrame();
  // Forgets the held frame (the reader is about to move).
  void dropHeldFrame();

  void setNotifyWindow(HWND window, unsigned message, const void* lParam);
  void setNotifyWindowEX(HWND window, unsigned message, long wParam, long lParam);
  void setFileEndCallback(long id, FileEndCallback fn, void* user);

 protected:
  int run() override;

 private:
  // Feeds until the end of the data (true) or a stop (false); startsAtEnd receives the start count
  // at that moment.
  bool feedUntilEnd(unsigned& startsAtEnd);
  // Offers a frame to its player: true when it was refused for lack of room.
  bool push(const AVData& frame);
  // An audio frame while sound is off: kept while the start window is open.
  void keepAudio(const AVData& frame);
  // False once the window has closed; what was kept is then given up.
  bool keepWindowOpen();
  // With sound on and audio kept: offers the oldest kept frame (true in `refused` when it found no
  // room). False when there is nothing kept to offer.
  bool pushKeptAudio(bool& refused);
  // After the end of the data and the last picture: true once the sound pushed has been heard.
  bool soundPlayedOut();
  // After the end of the data: true once the video player has shown the last frame pushed.
  bool videoPlayedOut();
  // Posts the message and calls the callback, with no lock held.
  void reportEnd();
  // After an end or a stop: true when a start came since (the thread goes on feeding); else the
  // thread is marked as ending.
  bool goOnAfter(unsigned startsAtEnd);
  // Waits up to the retry interval, or until a start, stop or resume.
  void waitBriefly();

  AVPlayer* m_player = nullptr;
  IFrameReader* m_reader = nullptr;
  bool m_audioEnabled = false;
  KXMutex m_stateLock;
  KXMutex m_audioLock;
  long m_fileEndId = 0;
  FileEndCallback m_fileEndCallback = nullptr;
  void* m_fileEndUser = nullptr;
  KXMutex m_notifyLock;
  HWND m_notifyWindow = 0;
  unsigned m_notifyMessage = 0;
  const void* m_notifyParam = nullptr;
  long m_notifyWParam = 0;
  long m_notifyLParam = 0;
  std::atomic<bool> m_paused{false};
  AVData* m_held = nullptr;
  // Id of the last video frame the feed pushed (-1: none since the last stop), and since when the
  // end waits for it to show.
  int64_t m_lastVideoId = -1;
  std::chrono::steady_clock::time_point m_drainStart;
  std::chrono::steady_clock::time_point m_soundDrainStart;
  // Audio read with sound off since the thread started (copies), while the window is open.
  std::deque<std::unique_ptr<AVData>> m_keptAudio;
  bool m_keepingAudio = false;
  std::chrono::steady_clock::time_point m_keepUntil;
  std::chrono::steady_clock::time_point m_soundOnAt;  // audio lock
  std::atomic<bool> m_stopRequested{true};
  std::atomic<unsigned> m_queueShrink{0};

  // Whether the thread goes on feeding: decided under this lock when it reaches an end, so that a
  // start meanwhile either keeps it going or finds it committed to ending.
  std::mutex m_lifeLock;
  bool m_feeding = false;
  unsigned m_starts = 0;
  std::mutex m_wakeLock;
  std::condition_variable m_wake;
};
