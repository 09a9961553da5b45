#include "platform/MemoryDisplay.h"

#include <strings.h>

#include "platform/Clock.h"
#include "platform/OffscreenWindowSystem.h"
#include "platform/SoftwareD2D.h"
#include "platform/SoftwareDevice.h"

namespace platform {

void DisplayFailures::clear() {
  for (InjectedFailures* f : {&primarySurface, &yv12Surface, &yuvBlit, &surfaceLost, &stillDrawing, &primaryBlit,
                              &deviceContext, &renderTarget}) {
    f->arm(0);
  }
}

MemoryDisplay& MemoryDisplay::instance() {
  static MemoryDisplay display;
  return display;
}

MemoryDisplay::MemoryDisplay() { reset(); }

void MemoryDisplay::reset() {
  setMonitors({{Rect{0, 0, 1920, 1080}, 32}});
  clearBlitLog();
  m_objFailures.clear();
}

void MemoryDisplay::setMonitors(const std::vector<MonitorConfig>& monitors) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_vecMonitors = monitors;
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

std::string MemoryDisplay::deviceNameOf(size_t index) { return "\\\\.\\DISPLAY" + std::to_string(index + 1); }

std::vector<MonitorInfo> MemoryDisplay::monitors() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<MonitorInfo> out;
  for (size_t i = 0; i < m_vecMonitors.size(); ++i) {
    out.push_back({static_cast<std::intptr_t>(0x1000 + i), m_vecMonitors[i].rect, deviceNameOf(i)});
  }
  return out;
}

int MemoryDisplay::screenWidth() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_vecMonitors.empty() ? 0 : m_vecMonitors.front().rect.width();
}

int MemoryDisplay::screenHeight() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_vecMonitors.empty() ? 0 : m_vecMonitors.front().rect.height();
}

std::vector<DisplayDriver> MemoryDisplay::drivers() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  // The primary display's driver comes first, named "display" and without an id; then one driver per
  // monitor under the monitor's device name.
  std::vector<DisplayDriver> out{{"display", false, 0}};
  for (size_t i = 0; i < m_vecMonitors.size(); ++i) {
    out.push_back({deviceNameOf(i), true, static_cast<std::uint32_t>(i + 1)});
  }
  return out;
}

bool MemoryDisplay::monitorOf(const std::string& deviceName, Rect& rect, int& bitsPerPixel) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (size_t i = 0; i < m_vecMonitors.size(); ++i) {
    const bool primary = deviceName.empty() || strcasecmp(deviceName.c_str(), "display") == 0;
    if (primary ? i == 0 : deviceName == deviceNameOf(i)) {
      rect = m_vecMonitors[i].rect;
      bitsPerPixel = m_vecMonitors[i].bitsPerPixel;
      return true;
    }
  }
  return false;
}

HRESULT MemoryDisplay::createDevice(const DisplayDriver* driver, std::unique_ptr<DisplayDevice>& device) {
  Rect rect;
  int bits = 0;
  if (!monitorOf(driver != nullptr ? driver->name : std::string(), rect, bits)) return DDERR_GENERIC;
  device = std::make_unique<SoftwareDevice>(*this, rect, bits);
  return DD_OK;
}

bool MemoryDisplay::displaySettings(const std::string& deviceName, DisplaySettings& settings) const {
  Rect rect;
  int bits = 0;
  if (!monitorOf(deviceName, rect, bits)) return false;
  settings = {rect.width(), rect.height(), bits};
  return true;
}

HRESULT MemoryDisplay::createD2DFactory(std::unique_ptr<D2DFactory>& factory) {
  factory = std::make_unique<SoftwareD2DFactory>(*this);
  return DD_OK;
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
