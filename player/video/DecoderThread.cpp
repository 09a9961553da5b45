#include "player/video/DecoderThread.h"

#include <algorithm>

#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "player/video/DecoderPassPlan.h"
#include "player/video/IDecoderPool.h"
#include "player/video/IScheduledPlayer.h"
#include "technic/KXMutexLocker.h"
#include "technic/member_function_obj.h"

namespace {

constexpr int64_t kRedrawIntervalUs = 100000;
// One slot of the wait set is the thread's own wake event.
constexpr std::size_t kMaxIdleEvents = platform::kMaximumWaitObjects - 1;

function_holder<int> bind(DecoderThread* object, int (DecoderThread::*function)()) {
  return function_holder<int>(new member_function_obj<int, DecoderThread>(function, object));
}

}  // namespace

DecoderThread::DecoderThread(MicroClock clock, EventWaiter waiter)
    : m_fnNow(clock ? std::move(clock) : MicroClock(getMicroSeconds)),
      m_fnWait(waiter ? std::move(waiter) : EventWaiter(platform::Event::waitForAny)),
      thread(new GThread("DecoderThread", bind(this, &DecoderThread::runPass), bind(this, &DecoderThread::setupThread),
                         bind(this, &DecoderThread::teardownThread))) {}

DecoderThread::~DecoderThread() {
  setPool(nullptr);
  stop();
  std::unique_lock<ListLock> guard(m_objListLock);
  // A player lent to another thread comes back here when its serve ends.
  m_cvUse.wait(guard, [this] { return !hasLoansElsewhere(); });
  players.clear();
  m_mapLastRedraw.clear();
}

bool DecoderThread::hasLoansElsewhere() const {
  const platform::ThreadId self = platform::currentThreadId();
  return std::any_of(m_mapLent.begin(), m_mapLent.end(), [self](const auto& loan) { return loan.second != self; });
}

bool DecoderThread::isLentToCurrentThread() {
  std::lock_guard<ListLock> guard(m_objListLock);
  const platform::ThreadId self = platform::currentThreadId();
  return std::any_of(m_mapLent.begin(), m_mapLent.end(), [self](const auto& loan) { return loan.second == self; });
}

bool DecoderThread::isListed(IScheduledPlayer* player) const {
  return std::find(players.begin(), players.end(), player) != players.end();
}

bool DecoderThread::isInUse(IScheduledPlayer* player) const {
  return m_pServing == player || m_mapLent.count(player) != 0 ||
         std::find(m_vecWaitingOn.begin(), m_vecWaitingOn.end(), player) != m_vecWaitingOn.end();
}

bool DecoderThread::isInUseElsewhere(IScheduledPlayer* player) const {
  auto lent = m_mapLent.find(player);
  if (lent != m_mapLent.end() && lent->second != platform::currentThreadId()) return true;
  // This thread's own pass serves or waits on its players only from this thread.
  if (thread->isCurrentThread()) return false;
  return m_pServing == player ||
         std::find(m_vecWaitingOn.begin(), m_vecWaitingOn.end(), player) != m_vecWaitingOn.end();
}

bool DecoderThread::holds(IScheduledPlayer* player) {
  std::lock_guard<ListLock> guard(m_objListLock);
  return isListed(player);
}

std::size_t DecoderThread::listSize() {
  std::lock_guard<ListLock> guard(m_objListLock);
  return players.size();
}

bool DecoderThread::isRunning() { return thread->isRunning(); }

bool DecoderThread::isCurrentThread() { return thread->isCurrentThread(); }

bool DecoderThread::addPlayer(IScheduledPlayer* player) {
  {
    std::lock_guard<ListLock> guard(m_objListLock);
    players.push_back(player);
    if (thread->isCurrentThread()) {
      // Added by a callback of this thread's own pass: the loop goes on after it.
      m_bLoopRunning = true;
      return true;
    }
  }
  wake();
  return false;
}

bool DecoderThread::ensureRunning() {
  KXMutexLocker lifecycle(m_csLifecycle, "H264VideoPlayer", 435);
  {
    std::lock_guard<ListLock> guard(m_objListLock);
    if (m_bLoopRunning) return true;
    m_bLoopRunning = true;
  }
  // A loop that ended by itself after its list emptied is joined before the new start.
  thread->teardown();
  if (thread->setup()) return true;
  std::lock_guard<ListLock> guard(m_objListLock);
  m_bLoopRunning = false;
  return false;
}

bool DecoderThread::removePlayer(IScheduledPlayer* player) {
  std::unique_lock<ListLock> guard(m_objListLock);
  auto found = std::find(players.begin(), players.end(), player);
  if (found == players.end()) return false;
  players.erase(found);
  m_mapLastRedraw.erase(player);
  m_dqDue.erase(std::remove(m_dqDue.begin(), m_dqDue.end(), player), m_dqDue.end());
  if (isInUseElsewhere(player)) {
    wake();
    m_cvUse.wait(guard, [this, player] { return !isInUseElsewhere(player); });
  }
  return true;
}

void DecoderThread::stopWhenEmpty() {
  if (thread->isCurrentThread()) return;  // the loop ends by itself after this pass
  KXMutexLocker lifecycle(m_csLifecycle, "H264VideoPlayer", 473);
  {
    std::lock_guard<ListLock> guard(m_objListLock);
    if (!players.empty()) return;
    m_bLoopRunning = false;
  }
  wake();
  thread->teardown();
  // A callback of the last pass may have registered a player here while the loop was ending.
  bool restart = false;
  {
    std::lock_guard<ListLock> guard(m_objListLock);
    restart = !players.empty();
    m_bLoopRunning = restart;
  }
  if (restart && !thread->setup()) {
    platform::debugOutput("DecoderThread restart failed\n");
    std::lock_guard<ListLock> guard(m_objListLock);
    m_bLoopRunning = false;
  }
}

void DecoderThread::stop() {
  if (thread->isCurrentThread()) return;
  KXMutexLocker lifecycle(m_csLifecycle, "H264VideoPlayer", 473);
  {
    std::lock_guard<ListLock> guard(m_objListLock);
    m_bLoopRunning = false;
  }
  wake();
  thread->teardown();
}

int DecoderThread::runPass() {
  std::vector<IScheduledPlayer*> surveyed;
  std::vector<DecoderPassPlan::Entry> survey;
  std::vector<IScheduledPlayer*> idle;
  {
    std::lock_guard<ListLock> guard(m_objListLock);
    if (players.empty() || !m_bLoopRunning) {
      m_bLoopRunning = false;
      return 1;
    }
    const int64_t now = m_fnNow();
    for (IScheduledPlayer* player : players) {
      DecoderPassPlan::Entry entry;
      if (player->isPaused()) {
        entry.paused = true;
        auto last = m_mapLastRedraw.find(player);
        const int64_t due = last == m_mapLastRedraw.end() ? now : last->second + kRedrawIntervalUs;
        entry.wait = static_cast<int>(std::max<int64_t>(0, (due - now + 999) / 1000));
      } else if (player->isInputQueueEmpty()) {
        // Later idle players are looked at by later passes.
        if (idle.size() < kMaxIdleEvents) idle.push_back(player);
        entry.wait = -1;
      } else {
        entry.wait = player->getNextSleepTime();
      }
      surveyed.push_back(player);
      survey.push_back(entry);
    }
    m_vecWaitingOn = idle;
  }
  const DecoderPassPlan plan(survey);
  if (plan.waitMs() > 0) {
    m_bServedLastPass = false;
    if (serveBorrowed()) return 0;  // its own players are looked at again by the next pass
    if (waitForInput(idle, plan.waitMs())) return 0;
  }
  std::size_t due = 0;
  {
    std::lock_guard<ListLock> guard(m_objListLock);
    m_vecWaitingOn.clear();
    // Every frame the plan serves now (due at the survey, or a group whose wait has just ended) waits
    // in the queue, from which an idle thread of the pool may take it meanwhile.
    m_dqDue.clear();
    for (std::size_t index : plan.served()) {
      if (!survey[index].paused && isListed(surveyed[index]) && m_mapLent.count(surveyed[index]) == 0) {
        m_dqDue.push_back(surveyed[index]);
      }
    }
    due = m_dqDue.size();
  }
  m_cvUse.notify_all();
  // Frames found due right after a pass that served fell due while this thread was busy: they are
  // late already, and more will be before this pass ends, so an idle peer is asked to help even for
  // one of them.
  const bool behind = m_bServedLastPass && plan.waitMs() == 0;
  const std::size_t helpers = due > 1 ? due - 1 : behind ? due : 0;
  if (helpers > 0) {
    std::lock_guard<std::mutex> pool(m_csPool);
    if (m_pPool != nullptr) m_pPool->wakeIdleThreads(*this, helpers);
  }
  m_bServedLastPass = due > 0;
  for (std::size_t index : plan.served()) serve(surveyed[index], survey[index].paused);
  std::lock_guard<ListLock> guard(m_objListLock);
  m_dqDue.clear();
  return 0;
}

void DecoderThread::setPool(IDecoderPool* pool) {
  std::lock_guard<std::mutex> lock(m_csPool);
  m_pPool = pool;
}

bool DecoderThread::serveBorrowed() {
  DecoderThread* owner = nullptr;
  IScheduledPlayer* player = nullptr;
  {
    std::lock_guard<std::mutex> pool(m_csPool);
    if (m_pPool == nullptr || !m_pPool->lendDuePlayer(*this, owner, player)) return false;
  }
  {
    std::lock_guard<ListLock> guard(m_objListLock);
    m_vecWaitingOn.clear();
  }
  m_cvUse.notify_all();
  owner->serveLent(player);
  return true;
}

IScheduledPlayer* DecoderThread::lendDuePlayer() {
  std::lock_guard<ListLock> guard(m_objListLock);
  if (m_dqDue.empty()) return nullptr;
  IScheduledPlayer* player = m_dqDue.back();
  m_dqDue.pop_back();
  m_mapLent[player] = platform::currentThreadId();
  return player;
}

IScheduledPlayer* DecoderThread::lendLatePlayer() {
  std::lock_guard<ListLock> guard(m_objListLock);
  // Only while a serve runs: a thread between serves surveys its players itself at once.
  if (m_pServing == nullptr) return nullptr;
  for (IScheduledPlayer* player : players) {
    if (isInUse(player) || std::find(m_dqDue.begin(), m_dqDue.end(), player) != m_dqDue.end()) continue;
    if (player->isPaused() || player->isInputQueueEmpty() || player->getNextSleepTime() != 0) continue;
    m_mapLent[player] = platform::currentThreadId();
    return player;
  }
  return nullptr;
}

std::size_t DecoderThread::dueCount() {
  std::lock_guard<ListLock> guard(m_objListLock);
  return m_dqDue.size();
}

void DecoderThread::serveLent(IScheduledPlayer* player) {
  serveLocked(player, false);
  std::lock_guard<ListLock> guard(m_objListLock);
  m_mapLent.erase(player);
  // Told under the list mutex: the owner's destructor may be waiting for this loan, and once it sees
  // the loan back it deletes this object, so nothing here may touch it after the mutex is let go.
  m_cvUse.notify_all();
}

bool DecoderThread::waitForInput(const std::vector<IScheduledPlayer*>& idle, int ms) {
  std::vector<platform::Event*> events;
  events.push_back(&m_hWakeEvent);
  for (IScheduledPlayer* player : idle) events.push_back(player->inputEvent());
  m_bWaiting.store(true);
  const int result = m_fnWait(events.data(), events.size(), static_cast<std::uint32_t>(ms));
  m_bWaiting.store(false);
  {
    std::lock_guard<ListLock> guard(m_objListLock);
    m_vecWaitingOn.clear();
  }
  m_cvUse.notify_all();
  if (result == platform::kWaitFailed) {
    platform::debugOutput("WaitForMultipleObjects WAIT_FAILED\n");
    platform::sleepMilliseconds(static_cast<std::uint32_t>(ms));
    return false;
  }
  // An event ends the pass so that the new data (or the changed player list) is looked at.
  return result != platform::kWaitTimeout;
}

void DecoderThread::serve(IScheduledPlayer* player, bool paused) {
  {
    std::lock_guard<ListLock> guard(m_objListLock);
    if (!isListed(player)) return;  // released since the survey
    if (!paused) {
      // Lent to another thread, which serves this due frame (or the next one, still in order).
      if (m_dqDue.empty() || m_dqDue.front() != player || m_mapLent.count(player) != 0) return;
      m_dqDue.pop_front();
    }
    m_pServing = player;
  }
  serveLocked(player, paused);
  {
    std::lock_guard<ListLock> guard(m_objListLock);
    m_pServing = nullptr;
    if (paused && isListed(player)) m_mapLastRedraw[player] = m_fnNow();
  }
  m_cvUse.notify_all();
}

void DecoderThread::serveLocked(IScheduledPlayer* player, bool paused) {
  // The draw lock may be held by a step or a close on another thread, which may in turn be waiting
  // for this pass to let go of the player: try it, and give up once the player is released.
  bool locked = false;
  for (;;) {
    if (player->tryLockDraw()) {
      locked = true;
      break;
    }
    {
      std::lock_guard<ListLock> guard(m_objListLock);
      if (!isListed(player)) break;
    }
    platform::sleepMilliseconds(1);
  }
  if (locked) {
    if (paused) {
      player->redrawPaused();
    } else {
      player->serveDueFrame();
    }
    player->unlockDraw();
  }
}
