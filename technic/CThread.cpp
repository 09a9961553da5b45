#include "technic/CThread.h"

CThread::CThread() : m_target(this) {}

CThread::~CThread() { CThread::stop(); }

bool CThread::start() {
  if (m_handle.isHeld()) CThread::stop();
  m_stop = false;
  if (!m_handle.start([this] { threadRoutine(); })) {
    m_threadId = 0;
    return false;
  }
  m_threadId = m_handle.id();
  return true;
}

void CThread::threadRoutine() {
  if (!m_target->beforeRun()) {
    m_finished = true;
    return;
  }
  m_target->run();
  m_target->afterRun();
  m_finished = true;
  m_stop = true;
}

bool CThread::stop() {
  m_stop = true;
  if (m_handle.isHeld()) m_handle.join();
  m_finished = true;
  return true;
}
