#pragma once
#include "technic/KXMutex.h"

// Holds a KXMutex for its lifetime: locks with the caller's location, unlocks when destroyed.
class KXMutexLocker {
 public:
  KXMutexLocker(KXMutex& mutex, const char* file, int line) : m_mutex(mutex) { m_mutex.lock(file, line); }
  ~KXMutexLocker() { m_mutex.unlock(__FILE__, __LINE__); }
  KXMutexLocker(const KXMutexLocker&) = delete;
  KXMutexLocker& operator=(const KXMutexLocker&) = delete;

 private:
  KXMutex& m_mutex;
};
