#pragma once
#include <cstddef>
#include <list>
#include <vector>

#include "player/video/DecoderThread.h"
#include "player/video/IDecoderPool.h"
#include "technic/KXMutex.h"

class IScheduledPlayer;

// The process-wide pool of decoder threads shared by every video player. Made by the first play or
// stop of any player (instance), deleted at process exit. It owns one DecoderThread per processor,
// up to 8 (8 above that). A playing player is registered with the thread serving the fewest players
// and stays listed there; a thread with nothing due serves due players of busier threads once at a
// time (DecoderThread), so that no processor idles while a player is late.
//
// The manager's mutex guards the choice of thread and the insertion only: starting, stopping and the
// wait for a pass to let go of a player happen without it, so that a decode or draw callback running on
// a decoder thread may register and release players. The manager's mutex is taken before a thread's
// list mutex, never the other way.
class DecoderManager : public IDecoderPool {
 public:
  static constexpr int kMaxThreads = 8;

  // threadCount threads (tests give their own count and thread parameters).
  explicit DecoderManager(int threadCount = threadCountFor(0), MicroClock clock = getMicroSeconds,
                          DecoderThread::EventWaiter waiter = DecoderThread::EventWaiter());
  ~DecoderManager() override;  // stops every thread except the calling one (and one lending to it)
  DecoderManager(const DecoderManager&) = delete;
  DecoderManager& operator=(const DecoderManager&) = delete;

  // The process-wide manager, made on first use under gDecoderManagerMutex and deleted at exit. Null
  // once the exit-time deletion has run (players closed later have nothing to release).
  static DecoderManager* instance();
  // The process-wide manager when it exists (never makes one).
  static DecoderManager* current();
  // Threads for a processor count (0: the system's).
  static int threadCountFor(int processors);

  // True when the player is served (it was already, or its thread runs); false when the thread cannot
  // start, and the player is then not registered.
  bool registerDecoder(IScheduledPlayer* player);
  // True when the player was registered. Once it returns (on a thread other than the player's decoder
  // thread) no pass touches the player any more.
  bool releseDecoder(IScheduledPlayer* player);
  // Ends the wait of the thread serving the player (its pacing changed).
  void wake(IScheduledPlayer* player);

  int getThreadCount() const { return threadCount; }
  // Index of the thread serving the player (0-based), -1 when none.
  int threadIndexOf(IScheduledPlayer* player);
  std::vector<std::size_t> listSizes();
  bool isThreadRunning(int index);

  // IDecoderPool: the due player is taken from the thread with the most due players waiting.
  bool lendDuePlayer(DecoderThread& thief, DecoderThread*& owner, IScheduledPlayer*& player) override;
  void wakeIdleThreads(DecoderThread& busy, std::size_t count) override;

 private:
  DecoderThread* threadOf(IScheduledPlayer* player);
  void logListSizes();

  std::list<DecoderThread*> threads;
  // The same threads, fixed at construction, for the work sharing between them (see lendDuePlayer).
  std::vector<DecoderThread*> m_vecPeers;
  int threadCount = 0;
  KXMutex mutex;
  bool m_bClosing = false;  // being deleted: nothing is registered any more
};
