#pragma once
#include <cstdint>
#include <functional>

namespace platform {

// Numeric id of a thread: 32 bits, never 0, never reused within the process. Threads that this layer
// did not create (the main thread, library threads) get theirs on first use.
using ThreadId = std::uint32_t;

ThreadId currentThreadId();

// One operating-system thread running a body. The object must be joined, or destroyed (which joins),
// before the body's captures go away.
class Thread {
 public:
  Thread() = default;
  ~Thread();  // joins a thread still held; a thread destroying its own object detaches instead
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts the body on a new thread. False when a thread is already held or none can be created.
  bool start(std::function<void()> body);
  // Waits for the thread to end and forgets it. False when none is held, or when called from the
  // thread itself (which would wait for ever).
  bool join();

  bool isHeld() const { return m_held; }
  // Id of the thread held (known as soon as start returns), 0 when none.
  ThreadId id() const { return m_id; }
  bool isCurrent() const;

  // Makes the next `count` thread creations fail, as when the system runs out of threads (for tests).
  static void failNextCreations(int count);

 private:
  unsigned long m_handle = 0;
  ThreadId m_id = 0;
  bool m_held = false;
};

}  // namespace platform
