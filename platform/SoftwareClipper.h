#pragma once
#include <memory>
#include <mutex>

#include "platform/Display.h"
#include "platform/WindowSystem.h"

namespace platform {

// The clipper of a software primary surface: the window its blits land in, with the geometry the
// window's backend keeps current, so that a blit finds the window on the screen without asking the
// backend (and without any lock shared with other windows).
class SoftwareClipper : public Clipper {
 public:
  // Binding again to the same window keeps what was looked up.
  HRESULT setWindow(WindowId window) override;
  WindowId window() const;
  // The bound window's client origin on the screen; false when no window is bound or it is closed.
  bool windowOrigin(WindowId& window, Point& origin) const;

 private:
  mutable std::mutex m_mutex;
  WindowId m_hWnd = 0;
  std::shared_ptr<const WindowGeometry> m_pGeometry;
};

}  // namespace platform
