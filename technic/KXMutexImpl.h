#pragma once
#include <atomic>
#include <cstdint>

namespace platform {
class Mutex;
}

// The operating-system mutex behind a KXMutex, also used directly by classes that need no source
// locations. Recursive and owned by the locking thread; every wait is without a time limit.
class KXMutexImpl {
 public:
  static constexpr std::uint32_t kInitializedTag = 0x55AA55AAu;

  KXMutexImpl();  // creates the mutex; isInitialized tells whether that worked
  ~KXMutexImpl();
  KXMutexImpl(const KXMutexImpl&) = delete;
  KXMutexImpl& operator=(const KXMutexImpl&) = delete;

  // 0 created now, -1 already initialised, -3 creation failed.
  int create();
  // 0 once held; -2 when not initialised, or when the mutex was closed while this call waited.
  int lock();
  // -2 when not initialised, else 0 (an unlock by a thread that does not hold it does nothing).
  int unlock();
  // Marks the mutex closed: later locks and unlocks give -2. Returns 1 when it was initialised,
  // 0 otherwise. The system object itself lives on until destruction or the next create, so a thread
  // still waiting on it is not left on freed memory.
  int close();
  bool isInitialized() const { return m_tag.load() == kInitializedTag; }

 private:
  platform::Mutex* m_handle = nullptr;
  std::atomic<std::uint32_t> m_tag{0};
};
