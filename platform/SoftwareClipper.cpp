#include "platform/SoftwareClipper.h"

namespace platform {

HRESULT SoftwareClipper::setWindow(WindowId window) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (window == m_hWnd && m_pGeometry) return DD_OK;
  }
  std::shared_ptr<const WindowGeometry> geometry = window != 0 ? windows().geometryOf(window) : nullptr;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_hWnd = window;
  m_pGeometry = std::move(geometry);
  return DD_OK;
}

WindowId SoftwareClipper::window() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_hWnd;
}

bool SoftwareClipper::windowOrigin(WindowId& window, Point& origin) const {
  std::shared_ptr<const WindowGeometry> geometry;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    window = m_hWnd;
    geometry = m_pGeometry;
  }
  if (window == 0) return false;
  if (!geometry) {
    // A window unknown when it was bound: asked each time.
    origin = {};
    return windows().clientToScreen(window, origin);
  }
  const WindowGeometry::State state = geometry->read();
  origin = state.origin;
  return state.open;
}

}  // namespace platform
