#include "player/AVDataQueue.h"

#include "media/AVData.h"
#include "technic/KXMutexLocker.h"

AVDataQueue::AVDataQueue() = default;

AVDataQueue::~AVDataQueue() { clear(); }

void AVDataQueue::clear() {
  KXMutexLocker locker(m_lock, __FILE__, __LINE__);
  while (!m_list.empty()) {
    AVData* frame = m_list.front();
    m_list.pop_front();
    m_nCount.store(static_cast<int>(m_list.size()));
    delete frame;
  }
}

void AVDataQueue::addTail(AVData* frame) {
  if (frame == nullptr) return;
  KXMutexLocker locker(m_lock, __FILE__, __LINE__);
  m_list.push_back(frame);
  m_nCount.store(static_cast<int>(m_list.size()));
}

AVData* AVDataQueue::removeHead() {
  KXMutexLocker locker(m_lock, __FILE__, __LINE__);
  if (m_list.empty()) return nullptr;
  AVData* frame = m_list.front();
  m_list.pop_front();
  m_nCount.store(static_cast<int>(m_list.size()));
  return frame;
}

AVData* AVDataQueue::head() const {
  KXMutexLocker locker(m_lock, __FILE__, __LINE__);
  return m_list.empty() ? nullptr : m_list.front();
}
