#pragma once
#include <QImage>
#include <cstdint>
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
  // Runs fn on the pixels.
  void write(const std::function<void(std::uint8_t* bits, int pitch, int width, int height)>& fn);
  void paint(QPainter& painter);
  // A new size, black.
  void resize(int width, int height);
  QImage copy() const;

 private:
  mutable std::mutex m_mutex;
  std::vector<std::uint8_t> m_vecPixels;
  QImage m_imgBack;  // over m_vecPixels
};

}  // namespace platform
