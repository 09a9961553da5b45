#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Geometry.h"
#include "platform/WindowGeometry.h"

namespace platform {

class Display;

// Windows are known by 32-bit ids (0 is no window), whichever backend made them.
using WindowId = std::uint32_t;

// A message posted to a window, as its queue holds it.
struct WindowMessage {
  WindowId window = 0;
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

// The window layer: what the engine asks of a window. Each backend (offscreen windows, Qt widgets)
// implements it for its own windows; windows() routes every call by id to the backend that made the
// window, so one process can hold windows of both. Calls for an unknown or closed id fail (false, 0).
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  virtual bool isWindow(WindowId window) const = 0;
  // Client area in client coordinates: (0, 0, width, height).
  virtual bool getClientRect(WindowId window, Rect& rect) const = 0;
  // The whole window in screen coordinates.
  virtual bool getWindowRect(WindowId window, Rect& rect) const = 0;
  // 0 for a top-level window.
  virtual WindowId getParent(WindowId window) const = 0;
  // Client coordinates to screen coordinates, in place.
  virtual bool clientToScreen(WindowId window, Point& point) const = 0;
  // Asks for a repaint of a part of the client area (null: all of it); returns at once.
  virtual bool invalidateRect(WindowId window, const Rect* rect, bool erase) = 0;
  // Queues a message for the window's own thread; never dispatches on the caller's thread. Safe from
  // any thread; false (and nothing queued) for a closed window.
  virtual bool postMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // The display a window draws through (null for an unknown window). A window keeps its display for
  // its whole life.
  virtual Display* displayOf(WindowId window) = 0;
  // The window's client origin and size as its backend keeps them current (null for an unknown window):
  // what a renderer reads at every picture instead of asking the backend.
  virtual std::shared_ptr<const WindowGeometry> geometryOf(WindowId window) = 0;
};

// The process's window layer: routes by window id to the backend that registered the window.
WindowSystem& windows();

// Backends: every window gets its id here and is forgotten when it closes.
WindowId registerWindow(WindowSystem& backend);
void unregisterWindow(WindowId window);

}  // namespace platform
