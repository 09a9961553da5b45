#include "platform/Mutex.h"

#include <atomic>
#include <cerrno>
#include <pthread.h>

#include "platform/InjectedFailures.h"
#include "platform/Thread.h"

namespace platform {
namespace {

InjectedFailures g_failCreations;

}  // namespace

// A robust pthread mutex gives the abandonment hand-over (EOWNERDEAD). Ownership and recursion are kept
// here: the owner is compared before anything reaches pthreads, so a non-owner's unlock never touches the
// mutex.
struct Mutex::Core {
  pthread_mutex_t mutex;
  std::atomic<ThreadId> owner{0};
  int depth = 0;  // written only by the owner
};

void Mutex::failNextCreations(int count) { g_failCreations.arm(count); }

Mutex::Mutex() : m_core(new Core) {
  if (g_failCreations.consume()) return;
  pthread_mutexattr_t attributes;
  if (pthread_mutexattr_init(&attributes) != 0) return;
  bool configured = pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0;
  m_valid = configured && pthread_mutex_init(&m_core->mutex, &attributes) == 0;
  pthread_mutexattr_destroy(&attributes);
}

Mutex::~Mutex() {
  if (m_valid) {
    // A mutex still held by the destroying thread (allowed by the system this layer stands in for), or
    // left behind by an owner thread that ended, is taken over and released first.
    if (acquire(false) != LockResult::Failed) {
      m_core->owner.store(0);
      m_core->depth = 0;
      pthread_mutex_unlock(&m_core->mutex);
    }
    pthread_mutex_destroy(&m_core->mutex);
  }
  delete m_core;
}

Mutex::LockResult Mutex::lock() { return acquire(true); }

bool Mutex::tryLock() { return acquire(false) != LockResult::Failed; }

Mutex::LockResult Mutex::acquire(bool wait) {
  if (!m_valid) return LockResult::Failed;
  ThreadId self = currentThreadId();
  if (m_core->owner.load() == self) {
    ++m_core->depth;
    return LockResult::Acquired;
  }
  int result = wait ? pthread_mutex_lock(&m_core->mutex) : pthread_mutex_trylock(&m_core->mutex);
  if (result != 0 && result != EOWNERDEAD) return LockResult::Failed;
  if (result == EOWNERDEAD) pthread_mutex_consistent(&m_core->mutex);
  m_core->depth = 1;
  m_core->owner.store(self);
  return result == EOWNERDEAD ? LockResult::Abandoned : LockResult::Acquired;
}

void Mutex::unlock() {
  if (!m_valid || m_core->owner.load() != currentThreadId()) return;
  if (--m_core->depth > 0) return;
  m_core->owner.store(0);
  pthread_mutex_unlock(&m_core->mutex);
}

}  // namespace platform
