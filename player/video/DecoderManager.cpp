#include "player/video/DecoderManager.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

#include "platform/DebugOutput.h"
#include "platform/System.h"
#include "technic/ExitDeletionList.h"
#include "technic/GlobalMutexes.h"
#include "technic/KXMutexLocker.h"

namespace {

std::atomic<DecoderManager*> gDecoderManager{nullptr};
// Set when the exit-time deletion has run: no manager is made again.
std::atomic<bool> gDecoderManagerGone{false};

}  // namespace

DecoderManager* DecoderManager::instance() {
  DecoderManager* manager = gDecoderManager.load();
  if (manager != nullptr || gDecoderManagerGone.load()) return manager;
  gDecoderManagerMutex.lock();
  manager = gDecoderManager.load();
  if (manager == nullptr && !gDecoderManagerGone.load()) {
    manager = new DecoderManager();
    gDecoderManager.store(manager);
    ExitDeletionList::registerAtExit(manager);
  }
  gDecoderManagerMutex.unlock();
  return manager;
}

DecoderManager* DecoderManager::current() { return gDecoderManager.load(); }

int DecoderManager::threadCountFor(int processors) {
  if (processors <= 0) processors = platform::processorCount();
  if (processors < 1) return 1;
  return processors > kMaxThreads ? kMaxThreads : processors;
}

DecoderManager::DecoderManager(int count, MicroClock clock, DecoderThread::EventWaiter waiter)
    : threadCount(count < 1 ? 1 : count) {
  for (int i = 0; i < threadCount; ++i) threads.push_back(new DecoderThread(clock, waiter));
  m_vecPeers.assign(threads.begin(), threads.end());
  for (DecoderThread* thread : threads) thread->setPool(this);
}

DecoderManager::~DecoderManager() {
  if (gDecoderManager.load() == this) {
    gDecoderManagerGone.store(true);
    gDecoderManager.store(nullptr);
  }
  std::list<DecoderThread*> stopping;
  {
    KXMutexLocker locker(mutex, "H264VideoPlayer", 406);
    m_bClosing = true;
    stopping.swap(threads);
  }
  // No thread borrows or wakes through this manager any more.
  for (DecoderThread* thread : stopping) thread->setPool(nullptr);
  // Stopped without the mutex: a callback of a last pass may still call in (and finds nothing).
  for (DecoderThread* thread : stopping) {
    // A thread cannot stop itself (the process ends from one of its callbacks): it is left alone, and
    // so is a thread whose player that callback's serve borrowed (the serve gives it back on return).
    if (thread->isCurrentThread() || thread->isLentToCurrentThread()) continue;
    delete thread;
  }
}

DecoderThread* DecoderManager::threadOf(IScheduledPlayer* player) {
  for (DecoderThread* thread : threads) {
    if (thread->holds(player)) return thread;
  }
  return nullptr;
}

bool DecoderManager::registerDecoder(IScheduledPlayer* player) {
  DecoderThread* chosen = nullptr;
  {
    KXMutexLocker locker(mutex, "H264VideoPlayer", 406);
    if (DecoderThread* serving = threadOf(player)) {
      serving->wake();  // played again after a pause: look at it now
      return true;
    }
    std::size_t fewest = 0;
    for (DecoderThread* thread : threads) {
      const std::size_t size = thread->listSize();
      if (chosen == nullptr || size < fewest) {
        chosen = thread;
        fewest = size;
      }
    }
    if (chosen == nullptr || m_bClosing) return false;
    const bool ownPass = chosen->addPlayer(player);
    platform::debugOutput("after registerDecoder\n");
    logListSizes();
    if (ownPass) return true;
  }
  // Started without the manager's mutex: the thread may first have to be joined, and its last pass
  // may be in a callback that registers a player.
  if (chosen->ensureRunning()) return true;
  platform::debugOutput("registerDecoder: decoder thread cannot start\n");
  chosen->removePlayer(player);
  return false;
}

bool DecoderManager::releseDecoder(IScheduledPlayer* player) {
  platform::debugOutput("releseDecoder\n");
  DecoderThread* serving = nullptr;
  {
    KXMutexLocker locker(mutex, "H264VideoPlayer", 456);
    serving = threadOf(player);
  }
  if (serving == nullptr || !serving->removePlayer(player)) return false;
  serving->stopWhenEmpty();
  return true;
}

void DecoderManager::wake(IScheduledPlayer* player) {
  KXMutexLocker locker(mutex, "H264VideoPlayer", 456);
  if (DecoderThread* serving = threadOf(player)) serving->wake();
}

int DecoderManager::threadIndexOf(IScheduledPlayer* player) {
  KXMutexLocker locker(mutex, "H264VideoPlayer", 456);
  int index = 0;
  for (DecoderThread* thread : threads) {
    if (thread->holds(player)) return index;
    ++index;
  }
  return -1;
}

std::vector<std::size_t> DecoderManager::listSizes() {
  KXMutexLocker locker(mutex, "H264VideoPlayer", 456);
  std::vector<std::size_t> sizes;
  for (DecoderThread* thread : threads) sizes.push_back(thread->listSize());
  return sizes;
}

bool DecoderManager::isThreadRunning(int index) {
  KXMutexLocker locker(mutex, "H264VideoPlayer", 456);
  int at = 0;
  for (DecoderThread* thread : threads) {
    if (at++ == index) return thread->isRunning();
  }
  return false;
}

// The two calls below come from a thread of the pool, which holds its pool pointer meanwhile: the
// destructor takes that pointer from every thread before it deletes any, so the peers stay valid without
// the manager's mutex, and busy threads never queue behind one another here.
bool DecoderManager::lendDuePlayer(DecoderThread& thief, DecoderThread*& owner, IScheduledPlayer*& player) {
  // The busiest first: the one with the most due players waiting.
  std::vector<std::pair<std::size_t, DecoderThread*>> lenders;
  for (DecoderThread* thread : m_vecPeers) {
    if (thread == &thief) continue;
    const std::size_t due = thread->dueCount();
    if (due > 0) lenders.emplace_back(due, thread);
  }
  std::stable_sort(lenders.begin(), lenders.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& lender : lenders) {
    player = lender.second->lendDuePlayer();
    if (player != nullptr) {
      owner = lender.second;
      return true;
    }
  }
  // No queued frame anywhere: one that fell due on a thread still busy serving another.
  for (DecoderThread* thread : m_vecPeers) {
    if (thread == &thief) continue;
    player = thread->lendLatePlayer();
    if (player != nullptr) {
      owner = thread;
      return true;
    }
  }
  return false;
}

void DecoderManager::wakeIdleThreads(DecoderThread& busy, std::size_t count) {
  for (DecoderThread* thread : m_vecPeers) {
    if (count == 0) break;
    if (thread == &busy || !thread->isWaiting()) continue;
    thread->wake();
    --count;
  }
}

void DecoderManager::logListSizes() {
  for (DecoderThread* thread : threads) {
    platform::debugOutputFormat("decoder list size: %d\n", static_cast<int>(thread->listSize()));
  }
}
