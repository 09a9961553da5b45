#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/Geometry.h"

namespace platform {

// What drawing into a window needs at every picture: where its client area lies on the screen and how
// big it is. The backend that made the window keeps it current on every move, resize, reparent and
// close; a renderer holds it for the window it draws to, so that a picture's look-ups take no lock
// shared with other windows. changes() tells a reader that its copy is stale without any lock.
class WindowGeometry {
 public:
  struct State {
    Point origin;  // the client area's top-left corner on the screen
    int width = 0;
    int height = 0;
    bool open = true;  // false once the window is closed
  };

  explicit WindowGeometry(const State& state) : m_objState(state) {}

  State read() const;
  // Grows at every update and at the close.
  std::uint64_t changes() const { return m_nChanges.load(std::memory_order_acquire); }

  // Backends.
  void update(const Point& origin, int width, int height);
  void close();

 private:
  mutable std::mutex m_mutex;
  State m_objState;
  std::atomic<std::uint64_t> m_nChanges{0};
};

}  // namespace platform
