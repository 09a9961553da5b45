#include "platform/WindowGeometry.h"

namespace platform {

WindowGeometry::State WindowGeometry::read() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_objState;
}

void WindowGeometry::update(const Point& origin, int width, int height) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_objState.open) return;
  m_objState.origin = origin;
  m_objState.width = width;
  m_objState.height = height;
  m_nChanges.fetch_add(1, std::memory_order_release);
}

void WindowGeometry::close() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_objState.open = false;
  m_nChanges.fetch_add(1, std::memory_order_release);
}

}  // namespace platform
