#pragma once
#include <atomic>
#include <cstdint>

#include "platform/Thread.h"
#include "technic/CRunable.h"

// A light thread that runs the steps of a CRunable (itself by default) and is stopped by a flag that
// its run polls. stop waits without a time limit.
class CThread : public CRunable {
 public:
  CThread();
  ~CThread() override;  // what stop does
  CThread(const CThread&) = delete;
  CThread& operator=(const CThread&) = delete;

  // Clears the stop flag and starts the thread: true when it was created. A thread of an earlier start
  // that was never stopped is stopped first.
  virtual bool start();
  // Sets the stop flag, waits for the thread and forgets it; always true.
  virtual bool stop();

  bool isFinished() const { return m_finished.load(); }
  bool isStopRequested() const { return m_stop.load(); }
  std::uint32_t getThreadId() const { return m_threadId; }

 private:
  void threadRoutine();

  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_finished{false};
  CRunable* m_target;
  std::uint32_t m_threadId = 0;
  platform::Thread m_handle;
};
