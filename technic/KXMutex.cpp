#include "technic/KXMutex.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "technic/KXMutexImpl.h"

KXMutex::KXMutex() : m_impl(new KXMutexImpl) {
  m_impl->create();  // a second try when the first creation failed; nothing when the mutex exists
}

KXMutex::~KXMutex() {
  m_impl->close();
  delete m_impl;
}

int KXMutex::init() { return m_impl->create(); }

int KXMutex::lock(const char* file, int line) {
  if (!m_impl->isInitialized()) {
    char text[256];
    std::snprintf(text, sizeof(text), "Mutex(0x%" PRIxPTR ") not initialized,lock at line %d of %s ",
                  reinterpret_cast<std::uintptr_t>(this), line, file != nullptr ? file : "");
    throw std::runtime_error(text);
  }
  m_impl->lock();
  return 0;
}

int KXMutex::unlock(const char*, int) { return m_impl->unlock(); }

bool KXMutex::isInitialized() const { return m_impl->isInitialized(); }
