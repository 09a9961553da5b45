#include "platform/MemoryDisplay.h"

#include "platform/Clock.h"
#include "platform/OffscreenWindowSystem.h"

namespace platform {

MemoryDisplay& MemoryDisplay::instance() {
  static MemoryDisplay display;
  return display;
}

MemoryDisplay::MemoryDisplay() : SoftwareDisplay(0x1000) { reset(); }

void MemoryDisplay::reset() {
  setMonitors({{Rect{0, 0, 1920, 1080}, 32}});
  clearBlitLog();
  failures().clear();
}

std::vector<BlitRecord> MemoryDisplay::blitLog() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_vecBlits;
}

void MemoryDisplay::clearBlitLog() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_vecBlits.clear();
  m_mapFrameCounts.clear();
}

bool MemoryDisplay::withWindowPixels(WindowId window,
                                     const std::function<void(std::uint8_t*, int, int, int)>& fn) {
  return OffscreenWindowSystem::instance().withFramebuffer(
      window, [&](std::uint8_t* bits, int width, int height) { fn(bits, width * 4, width, height); });
}

void MemoryDisplay::windowDrawn(WindowId window, const Rect& rect) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_vecBlits.push_back({window, rect, ++m_mapFrameCounts[window], performanceCounter()});
}

}  // namespace platform
