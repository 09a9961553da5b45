#pragma once
#include <string>

#include "technic/GThreadInfo.h"
#include "technic/KXMutex.h"
#include "technic/SafePointer.h"
#include "technic/WorkerThread.h"
#include "technic/function_holder.h"

// A named worker thread running three operations (each returns 0 for success):
// - setup, on the caller's thread before the thread starts;
// - run, repeated on the thread until it returns non-zero, throws, or teardown stops it;
// - teardown, after the thread has stopped, once per attempted setup.
// Failures of setup and teardown and every standard exception of the three go to "ThreadException.log"
// in the program's folder, or where the program names; an exception is also followed by a one-second pause and the device-reboot
// request.
class GThread : public WorkerThread {
 public:
  GThread(const std::string& name, function_holder<int> runFunction, function_holder<int> setupFunction,
          function_holder<int> teardownFunction);
  ~GThread() override;  // a running thread is logged as forced to stop, then torn down

  // True when the thread was started now or was already running.
  bool setup();
  // True when the tear-down operation succeeded or was not due.
  bool teardown();

  // Where the thread-exception log goes (empty: "ThreadException.log" in the program's folder). A
  // program whose own folder the user cannot write names a file in the user's folders.
  static void setExceptionLogPath(const std::string& path);

 protected:
  int run() override;

 private:
  void logException(const std::string& text);
  std::string describe(std::uint32_t threadId) const;  // "thread(<name>,<id>)"

  KXMutex m_mutex;  // serialises setup, teardown and the destructor's tear-down
  function_holder<int> m_setupFunction;
  function_holder<int> m_teardownFunction;
  function_holder<int> m_runFunction;
  int m_lastResult = 0;
  SafePointer<GThreadInfo> m_info;
  bool m_setupAttempted = false;
};

KX_SAFE_POINTER_TYPE_NAME(GThread, "class GThread");
