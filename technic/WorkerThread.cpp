#include "technic/WorkerThread.h"

#include "platform/Clock.h"

namespace {
const int kStopPolls = 500;
const std::uint32_t kStopPollMilliseconds = 10;
}  // namespace

WorkerThread::WorkerThread() : m_startedEvent(true) {
  m_stateMutex.init();
  m_startMutex.init();
}

WorkerThread::~WorkerThread() { join(); }

int WorkerThread::start() {
  lockMutex(m_stateMutex);
  if (m_running) {
    unlockMutex(m_stateMutex);
    return -5;
  }
  m_running = true;
  unlockMutex(m_stateMutex);

  lockMutex(m_startMutex);
  if (m_handle.isHeld()) m_handle.join();  // a run that ended by itself leaves its thread to be joined
  m_startedEvent.reset();
  if (!m_handle.start([this] { threadProc(); })) {
    lockMutex(m_stateMutex);
    m_running = false;
    unlockMutex(m_stateMutex);
    unlockMutex(m_startMutex);
    return -2;
  }
  m_threadId = m_handle.id();
  unlockMutex(m_startMutex);
  m_startedEvent.wait(platform::kInfinite);
  return 0;
}

void WorkerThread::threadProc() {
  lockMutex(m_stateMutex);
  m_running = true;
  unlockMutex(m_stateMutex);
  lockMutex(m_startMutex);  // go on only once start has stored the handle
  unlockMutex(m_startMutex);
  lockMutex(m_stateMutex);
  m_workerThreadId = platform::currentThreadId();
  unlockMutex(m_stateMutex);

  int result = run();

  lockMutex(m_stateMutex);
  m_running = false;
  m_exitCode = result;
  unlockMutex(m_stateMutex);
  m_startedEvent.set();  // releases start when run never called notifyStarted
}

void WorkerThread::notifyStarted() { m_startedEvent.set(); }

int WorkerThread::stop() {
  if (m_handle.isCurrent()) return -4;
  for (int polls = 0; isRunning() && polls < kStopPolls; ++polls) platform::sleepMilliseconds(kStopPollMilliseconds);
  return join();
}

int WorkerThread::join() {
  if (m_handle.isCurrent()) return -4;
  bool running = isRunning();
  if (m_handle.isHeld()) m_handle.join();
  if (!running) return -4;
  lockMutex(m_stateMutex);
  m_running = false;
  unlockMutex(m_stateMutex);
  return 0;
}

bool WorkerThread::isRunning() {
  lockMutex(m_stateMutex);
  bool running = m_running;
  unlockMutex(m_stateMutex);
  return running;
}

std::uint32_t WorkerThread::getWorkerThreadId() {
  lockMutex(m_stateMutex);
  std::uint32_t id = m_workerThreadId;
  unlockMutex(m_stateMutex);
  return id;
}

int WorkerThread::getExitCode() {
  lockMutex(m_stateMutex);
  int code = m_exitCode;
  unlockMutex(m_stateMutex);
  return code;
}
