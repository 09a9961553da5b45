#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <vector>

#include "platform/Event.h"
#include "player/EngineClock.h"
#include "technic/GThread.h"
#include "technic/KXMutex.h"
#include "technic/SafePointer.h"

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
class DecoderThread {
 public:
  // Waits for any of the events (platform::Event::waitForAny's contract); tests replace it.
  using EventWaiter = std::function<int(platform::Event* const* events, std::size_t count, std::uint32_t ms)>;

  explicit DecoderThread(MicroClock clock = getMicroSeconds, EventWaiter waiter = EventWaiter());
  ~DecoderThread();  // stops the thread and forgets the players (they are not owned)
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

 private:
  // Adapts the list mutex to the condition variable (lock and unlock without arguments).
  struct ListLock {
    KXMutex& mutex;
    void lock() { mutex.lock("H264VideoPlayer", 217); }
    void unlock() { mutex.unlock("H264VideoPlayer", 217); }
  };

  bool isListed(IScheduledPlayer* player) const;
  bool isInUse(IScheduledPlayer* player) const;
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
  std::map<IScheduledPlayer*, int64_t> m_mapLastRedraw;
  bool m_bLoopRunning = false;

  // Serialises starting and stopping the thread.
  KXMutex m_csLifecycle;
  platform::Event m_hWakeEvent{false};
  SafePointer<GThread> thread;
};
