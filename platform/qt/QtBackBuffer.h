#pragma once
#include <QImage>
#include <cstdint>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

class QPainter;

namespace platform {

// The pixels a video widget shows (32-bit B, G, R, A rows): written by drawing threads and painted by
// the GUI thread, each under the buffer's own mutex, so that players drawing into different widgets
// never wait for each other or for the GUI thread's event loop.
class QtBackBuffer {
 public:
  QtBackBuffer(int width, int height) { resize(width, height); }
  // Runs fn on the pixels. True when the widget must be asked to repaint: no request is pending yet.
  bool write(const std::function<void(std::uint8_t* bits, int pitch, int width, int height)>& fn);
  // The GUI thread took the pending repaint request (before it repaints): the next write asks again.
  void repaintTaken() { m_bRepaintPending.store(false); }
  void paint(QPainter& painter);
  // A new size, black.
  void resize(int width, int height);
  QImage copy() const;

 private:
  mutable std::mutex m_mutex;
  std::vector<std::uint8_t> m_vecPixels;
  QImage m_imgBack;  // over m_vecPixels
  // One repaint request at a time: a paint shows the newest pixels, so writes made while one is
  // pending need no request of their own (the GUI thread's queue and the window system's lock are
  // spared one post per frame when the GUI thread falls behind).
  std::atomic<bool> m_bRepaintPending{false};
};

}  // namespace platform
