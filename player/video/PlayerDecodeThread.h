#pragma once
#include <atomic>

#include "technic/WorkerThread.h"

class IDecodeThreadPlayer;

// A decode thread of one player's own: each step redraws a paused player, waits for input, sleeps until
// the head frame is due and decodes and shows it. Every player builds one, but nothing in the system
// starts it: players are decoded by the decoder pool (DecoderManager). Kept for programs that drive
// a player on a thread of its own.
class PlayerDecodeThread : public WorkerThread {
 public:
  static constexpr unsigned kPausedSleepMs = 100;
  static constexpr unsigned kInputWaitMs = 200;
  static constexpr unsigned kNoClockSleepMs = 20;

  explicit PlayerDecodeThread(IDecodeThreadPlayer& player) : m_player(player) {}
  ~PlayerDecodeThread() override;  // sets the stop flag and stops a running thread

  // Sets the stop flag and waits for the thread.
  void stopDecoding();
  // One step on the calling thread.
  void decodeStep();

 protected:
  int run() override;

 private:
  IDecodeThreadPlayer& m_player;
  std::atomic<bool> m_bStop{false};
};
