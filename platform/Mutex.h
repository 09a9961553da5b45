#pragma once

namespace platform {

// A mutex with the semantics the engine was written against:
// - recursive: the owning thread may lock again; each lock is matched by one unlock;
// - owned by a thread: an unlock by a thread that does not hold it does nothing (and is no error);
// - abandoned: when the owner thread ends while holding it, the next waiter is granted it;
// - waits without a time limit.
class Mutex {
 public:
  enum class LockResult { Acquired, Abandoned, Failed };

  Mutex();   // check isValid: creation can fail
  ~Mutex();  // the mutex must not be held by another thread or waited for
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  bool isValid() const { return m_valid; }
  // Acquired, or Abandoned when the previous owner thread ended holding it (this thread owns it now).
  // Failed only for a mutex that could not be created.
  LockResult lock();
  bool tryLock();
  void unlock();

  // Makes the next `count` creations fail, as when the system runs out of handles (for tests).
  static void failNextCreations(int count);

 private:
  LockResult acquire(bool wait);

  struct Core;
  Core* m_core;
  bool m_valid = false;
};

}  // namespace platform
