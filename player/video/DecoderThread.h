#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <mutex>
#include <vector>

#include "platform/Event.h"
#include "platform/Thread.h"
#include "player/EngineClock.h"
#include "technic/GThread.h"
#include "technic/KXMutex.h"
#include "technic/SafePointer.h"

class IDecoderPool;
class IScheduledPlayer;

// One thread of the decoder pool: a GThread named "DecoderThread" that runs scheduling passes over
// the players registered with it, while it has any.
//
// A pass surveys its players under the list mutex, then waits and serves without holding it, so that
// a callback running inside a serve (decode or draw callback) may play, pause, stop or close any player
// and register or release players on any thread. While the pass uses a player (serving it, or waiting
// on its input event) that player is marked in use; removePlayer called from another thread waits for
// that use to end (the wait is woken at once), so once it returns the pass never touches the player
// again. Called on this thread (from a callback) it does not wait: the serve on the stack finishes
// first, and nothing later in the pass looks at a player that is no longer listed.
//
// The thread starts when a player is added to an empty list and stops when the list empties: a
// release from outside stops and joins it (never holding the list mutex); a release from inside a
// pass lets the loop end by itself after that pass.
//
// Work sharing within the pool: the players a pass finds due now wait in a queue that the pass serves
// from the front; another thread of the pool with nothing due may borrow one from the back and serve it
// once (lendDuePlayer, serveLent), or, while this thread is inside a serve, a player that fell due
// since the survey (lendLatePlayer). A player is listed with one thread only (the one threadIndexOf
// names) and marked in use while lent, so no two threads ever serve it at once, and every serve takes
// its draw lock and decodes its head frame, so its frames are drawn in order whichever thread serves.
class DecoderThread {
 public:
  // Waits for any of the events (platform::Event::waitForAny's contract); tests replace it.
  using EventWaiter = std::function<int(platform::Event* const* events, std::size_t count, std::uint32_t ms)>;

  explicit DecoderThread(MicroClock clock = getMicroSeconds, EventWaiter waiter = EventWaiter());
  ~DecoderThread();  // stops the thread, waits for lent players to come back, forgets the players
  DecoderThread(const DecoderThread&) = delete;
  DecoderThread& operator=(const DecoderThread&) = delete;

  // Appends the player. False when the caller must then make sure the thread runs (ensureRunning),
  // true when this is the thread's own pass (a callback), whose loop goes on after it.
  bool addPlayer(IScheduledPlayer* player);
  // Makes the loop run, joining a loop that ended by itself first: false when it cannot start.
  bool ensureRunning();
  // False when the player is not listed.
  bool removePlayer(IScheduledPlayer* player);
  // Stops the thread when its list is empty (called after a release, never from this thread).
  void stopWhenEmpty();
  // Stops the thread whatever its list holds (process exit).
  void stop();

  bool holds(IScheduledPlayer* player);
  std::size_t listSize();
  // Ends the wait of the pass in progress (a player's state changed).
  void wake() { m_hWakeEvent.set(); }
  bool isRunning();
  bool isCurrentThread();

  // One scheduling pass: 0 to go on, 1 when the list is empty and the loop ends.
  int runPass();

  // The pool this thread shares work with (null: none). Cleared before the pool goes away.
  void setPool(IDecoderPool* pool);
  // True while the pass waits (for input or for its players' due times).
  bool isWaiting() const { return m_bWaiting.load(); }
  // Another thread's side of work sharing: takes a player from the back of the due queue and marks it
  // lent to the calling thread (null when the queue is empty), and serves a lent player once and
  // gives it back.
  IScheduledPlayer* lendDuePlayer();
  // While this thread is inside a serve: a player of its own that fell due meanwhile (not yet queued,
  // not in use), lent to the calling thread as above; null when there is none.
  IScheduledPlayer* lendLatePlayer();
  std::size_t dueCount();
  void serveLent(IScheduledPlayer* player);
  // A player of this thread is being served by the calling thread (which must then not delete this).
  bool isLentToCurrentThread();

 private:
  // Adapts the list mutex to the condition variable (lock and unlock without arguments).
  struct ListLock {
    KXMutex& mutex;
    void lock() { mutex.lock("H264VideoPlayer", 217); }
    void unlock() { mutex.unlock("H264VideoPlayer", 217); }
  };

  bool isListed(IScheduledPlayer* player) const;
  bool isInUse(IScheduledPlayer* player) const;
  // In use by a thread other than the caller (the caller's own use is further up its stack).
  bool isInUseElsewhere(IScheduledPlayer* player) const;
  bool hasLoansElsewhere() const;
  // Nothing of its own is due: serves a player borrowed from a busier thread. True when it did.
  bool serveBorrowed();
  // The draw lock is tried until it is got or the player is released; then the serve itself.
  void serveLocked(IScheduledPlayer* player, bool paused);
  // Waits on the idle players' events and the wake event: true when an event ended the wait.
  bool waitForInput(const std::vector<IScheduledPlayer*>& idle, int ms);
  void serve(IScheduledPlayer* player, bool paused);
  int setupThread() { return 0; }
  int teardownThread() { return 0; }

  MicroClock m_fnNow;
  EventWaiter m_fnWait;

  // Guards the list, the in-use marks, the loop flag and the redraw times.
  KXMutex mutex;
  ListLock m_objListLock{mutex};
  std::condition_variable_any m_cvUse;
  std::list<IScheduledPlayer*> players;
  IScheduledPlayer* m_pServing = nullptr;
  std::vector<IScheduledPlayer*> m_vecWaitingOn;
  std::deque<IScheduledPlayer*> m_dqDue;  // due now, not yet served by this pass
  std::map<IScheduledPlayer*, platform::ThreadId> m_mapLent;  // lent to the thread that serves it
  std::map<IScheduledPlayer*, int64_t> m_mapLastRedraw;
  bool m_bLoopRunning = false;

  // Serialises starting and stopping the thread.
  KXMutex m_csLifecycle;
  // Guards the pool pointer while it is used, so that the pool can take it away before it goes.
  std::mutex m_csPool;
  IDecoderPool* m_pPool = nullptr;
  std::atomic<bool> m_bWaiting{false};
  bool m_bServedLastPass = false;  // this thread's passes only
  platform::Event m_hWakeEvent{false};
  SafePointer<GThread> thread;
};
