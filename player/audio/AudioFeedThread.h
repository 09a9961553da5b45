#pragma once
#include <atomic>

#include "technic/WorkerThread.h"

class ISoundFeed;

// Moves PCM from its audio player into the sound output: one feed step every 10 ms until told to stop.
// It sees the player only as the feed step it asks for (ISoundFeed).
class AudioFeedThread : public WorkerThread {
 public:
  static constexpr unsigned kStepMilliseconds = 10;
  static constexpr int kAlreadyRunning = -11;

  explicit AudioFeedThread(ISoundFeed* owner);
  ~AudioFeedThread() override;  // stops a running thread

  // 0 started, -11 already running, -12 the thread cannot be started.
  int start();
  // Asks the loop to end; WorkerThread::stop then waits for it.
  void setStopFlag() { m_bStop.store(true); }
  void setWindow(unsigned window) { m_nWindow.store(window); }
  unsigned getWindow() const { return m_nWindow.load(); }

 protected:
  int run() override;

 private:
  ISoundFeed* const m_pOwner;
  std::atomic<bool> m_bStop{true};
  std::atomic<unsigned> m_nWindow{0};  // kept for embedding programs; sound needs no window
};
