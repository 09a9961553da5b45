#include "technic/KXMutexImpl.h"

#include "platform/Mutex.h"

namespace {

platform::Mutex* createSystemMutex() {
  platform::Mutex* mutex = new platform::Mutex;
  if (!mutex->isValid()) {
    delete mutex;
    return nullptr;
  }
  return mutex;
}

}  // namespace

KXMutexImpl::KXMutexImpl() {
  m_handle = createSystemMutex();
  if (m_handle != nullptr) m_tag.store(kInitializedTag);
}

KXMutexImpl::~KXMutexImpl() {
  close();
  delete m_handle;
}

int KXMutexImpl::create() {
  if (isInitialized()) return -1;
  platform::Mutex* created = createSystemMutex();
  if (created == nullptr) return -3;
  delete m_handle;  // a mutex closed earlier
  m_handle = created;
  m_tag.store(kInitializedTag);
  return 0;
}

int KXMutexImpl::lock() {
  if (!isInitialized()) return -2;
  m_handle->lock();  // an abandoned mutex is granted like a normal lock
  if (isInitialized()) return 0;
  // Closed while this thread waited: the caller will not unlock, so the mutex is not kept.
  m_handle->unlock();
  return -2;
}

int KXMutexImpl::unlock() {
  if (!isInitialized()) return -2;
  m_handle->unlock();
  return 0;
}

int KXMutexImpl::close() {
  if (!isInitialized()) {
    m_tag.store(0);
    return 0;
  }
  m_tag.store(0);
  return 1;
}
