#pragma once
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "platform/SoftwareDisplay.h"

namespace platform {

// One picture that reached a window: the window, the part of its client area written (after clipping),
// the window's running count of pictures (1 for the first) and the time in microseconds.
struct BlitRecord {
  WindowId window = 0;
  Rect rect;
  std::uint64_t frameId = 0;
  std::int64_t timeUs = 0;
};

// The memory display: virtual monitors of chosen positions and bit depths, software surfaces, blits
// through libswscale, failures that tests arm, and a log of every picture that reached a window.
// Offscreen windows draw through it. Process-wide; reset() returns it to one 1920 x 1080 32-bit monitor
// with nothing armed and an empty log.
class MemoryDisplay : public SoftwareDisplay {
 public:
  using MonitorConfig = Monitor;

  static MemoryDisplay& instance();

  void reset();
  std::vector<BlitRecord> blitLog() const;
  void clearBlitLog();

  // SoftwareBackend
  bool withWindowPixels(WindowId window,
                        const std::function<void(std::uint8_t* bits, int pitch, int width, int height)>& fn) override;
  void windowDrawn(WindowId window, const Rect& rect) override;

 private:
  MemoryDisplay();

  mutable std::mutex m_mutex;
  std::vector<BlitRecord> m_vecBlits;
  std::map<WindowId, std::uint64_t> m_mapFrameCounts;
};

}  // namespace platform
