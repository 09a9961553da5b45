#pragma once
#include <cstddef>

class DecoderThread;
class IScheduledPlayer;

// What a decoder thread asks of the pool it belongs to, so that no processor idles while a player of
// another thread is late: a thread with nothing due borrows a due player of a busier thread and serves
// it once, and a thread with more due players than it can serve at once wakes idle ones to do so.
// DecoderManager is the one implementation.
class IDecoderPool {
 public:
  virtual ~IDecoderPool() = default;

  // A due player that another thread of the pool lends to thief for one serve (DecoderThread::
  // lendDuePlayer); false when none is waiting. The owner gets it back through serveLent.
  virtual bool lendDuePlayer(DecoderThread& thief, DecoderThread*& owner, IScheduledPlayer*& player) = 0;
  // busy has more due players than it serves at once: wake up to count threads that are waiting.
  virtual void wakeIdleThreads(DecoderThread& busy, std::size_t count) = 0;
};
