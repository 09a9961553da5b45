#pragma once

class KXMutexImpl;

// The mutex that utility and engine classes embed. Every lock and unlock names the caller's source
// file and line; the location shows in the error raised when an uninitialised mutex is locked.
// Recursive, owned by the locking thread, waits without a time limit. Not copied.
class KXMutex {
 public:
  KXMutex();
  ~KXMutex();
  KXMutex(const KXMutex&) = delete;
  KXMutex& operator=(const KXMutex&) = delete;

  // 0 created now, -1 already initialised, -3 creation failed.
  int init();
  // 0 once held. Throws std::runtime_error "Mutex(0x<address>) not initialized,lock at line <line> of
  // <file> " when the mutex does not exist.
  int lock(const char* file, int line);
  // -2 when not initialised, else 0.
  int unlock(const char* file, int line);
  bool isInitialized() const;

 private:
  KXMutexImpl* m_impl;
};

// Lock and unlock that name this header as the location, for classes that keep no location of their own.
inline int lockMutex(KXMutex& mutex) { return mutex.lock(__FILE__, __LINE__); }
inline int unlockMutex(KXMutex& mutex) { return mutex.unlock(__FILE__, __LINE__); }
