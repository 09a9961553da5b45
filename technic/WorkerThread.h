#pragma once
#include <cstdint>
#include <string>

#include "platform/Event.h"
#include "platform/Thread.h"
#include "technic/KXMutex.h"

// Base of the engine's worker threads. A subclass supplies run; the base starts the thread, hands
// start-up over in a fixed order, keeps a running flag and joins.
//
// run must call notifyStarted as its first step: start returns only after that call, or after the
// thread has ended when run never makes it. stop does not ask run to end: a subclass sets its own quit
// condition first, then calls stop.
class WorkerThread {
 public:
  WorkerThread();
  virtual ~WorkerThread();  // joins
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // 0 when the thread runs, -5 when a thread of this object is already running, -2 when no thread can
  // be created. A thread whose run ended by itself is joined first.
  int start();
  // Waits up to about 5 s (500 polls of 10 ms) for run to end, then joins. 0 when a running thread
  // was joined, -4 when none was running. Called from the worker thread itself: -4 at once (a thread
  // cannot wait for its own end).
  int stop();
  // Waits without a limit for a running thread: 0, or -4 when none was running (an ended thread still
  // held is joined all the same). From the worker thread itself: -4 at once.
  int join();
  bool isRunning();
  // True on this object's own worker thread (an owner being destroyed there must not wait for it).
  bool isCurrentThread() const { return m_handle.isCurrent(); }
  // Ends the start hand-shake; every run calls it first.
  void notifyStarted();

 protected:
  // The thread body; its result becomes the exit code.
  virtual int run() = 0;

  // Id of the worker thread, stored by that thread just before run.
  std::uint32_t getWorkerThreadId();
  int getExitCode();
  const std::string& getName() const { return m_name; }
  void setName(const std::string& name) { m_name = name; }

 private:
  void threadProc();

  std::uint32_t m_threadId = 0;
  platform::Thread m_handle;
  int m_exitCode = 0;
  bool m_running = false;
  std::uint32_t m_workerThreadId = 0;
  KXMutex m_stateMutex;  // guards running, exit code and the worker thread id
  KXMutex m_startMutex;  // held by start while the thread is created
  // Set by notifyStarted, or by the thread's end when run never called it; start waits for it. (A
  // mutex the new thread takes first would let start slip through when start got there before it.)
  platform::Event m_startedEvent;
  std::string m_name;
};
