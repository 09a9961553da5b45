#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "platform/WindowSystem.h"

namespace platform {

// The offscreen windows behind platform/OffscreenWindows.h: each has a position on the virtual screen,
// an optional parent, a message queue and a 32-bit B, G, R, A framebuffer of its client size. Windows
// have no frame: the window rectangle is the client area on the screen. Process-wide.
//
// Locks: the table of windows has a reader-writer lock held only for look-ups and changes of the table
// (never while a caller's function runs); each framebuffer has a lock of its own, held while a caller
// draws into it. So drawing into one window never waits for another window's drawing.
class OffscreenWindowSystem : public WindowSystem {
 public:
  static OffscreenWindowSystem& instance();

  // A window whose client area starts at (x, y): on the screen for a top-level window, in the parent's
  // client area for a child.
  WindowId create(WindowId parent, int x, int y, int clientWidth, int clientHeight);
  void destroy(WindowId window);
  bool move(WindowId window, int x, int y);
  // New client size; the framebuffer is cleared.
  bool resize(WindowId window, int clientWidth, int clientHeight);
  bool readPixels(WindowId window, std::vector<std::uint32_t>& bgra, int& width, int& height) const;
  int pump(WindowId window, std::vector<WindowMessage>& out);
  // The rectangles asked to be repainted since the last call (client coordinates), oldest first.
  std::vector<Rect> takeInvalidated(WindowId window);
  // Runs fn on the framebuffer (rows top-down, width x 4 bytes a row) under that framebuffer's own lock.
  bool withFramebuffer(WindowId window, const std::function<void(std::uint8_t* bits, int width, int height)>& fn);

  // WindowSystem
  bool isWindow(WindowId window) const override;
  bool getClientRect(WindowId window, Rect& rect) const override;
  bool getWindowRect(WindowId window, Rect& rect) const override;
  WindowId getParent(WindowId window) const override;
  bool clientToScreen(WindowId window, Point& point) const override;
  bool invalidateRect(WindowId window, const Rect* rect, bool erase) override;
  bool postMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  Display* displayOf(WindowId window) override;
  std::shared_ptr<const WindowGeometry> geometryOf(WindowId window) override;

 private:
  // The pixels of one window; shared with a drawing in progress, which may outlive the window.
  struct Framebuffer {
    std::mutex mutex;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    void clear(int clientWidth, int clientHeight);
  };
  struct Window {
    WindowId parent = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::shared_ptr<Framebuffer> framebuffer;
    std::shared_ptr<WindowGeometry> geometry;
    std::vector<WindowMessage> queue;
    std::vector<Rect> invalidated;
  };
  OffscreenWindowSystem() = default;
  const Window* find(WindowId window) const;
  Point screenOrigin(const Window& window) const;
  // After a move or resize: the geometry of the window and of every window inside it.
  void publishGeometry(WindowId window);
  std::shared_ptr<Framebuffer> framebufferOf(WindowId window) const;

  mutable std::shared_mutex m_mutex;
  std::map<WindowId, Window> m_mapWindows;
};

}  // namespace platform
