#include "platform/SoftwareDisplay.h"

#include <strings.h>

#include <algorithm>

#include "platform/SoftwareD2D.h"
#include "platform/SoftwareDevice.h"

namespace platform {

void DisplayFailures::clear() {
  for (InjectedFailures* f : {&primarySurface, &yv12Surface, &yuvBlit, &surfaceLost, &stillDrawing, &primaryBlit,
                              &deviceContext, &renderTarget}) {
    f->arm(0);
  }
}

std::string SoftwareDisplay::deviceNameOf(size_t index) { return "\\\\.\\DISPLAY" + std::to_string(index + 1); }

void SoftwareDisplay::setMonitors(const std::vector<Monitor>& monitors) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const bool same = monitors.size() == m_vecMonitors.size() &&
                    std::equal(monitors.begin(), monitors.end(), m_vecMonitors.begin(),
                               [](const Monitor& a, const Monitor& b) {
                                 return a.rect == b.rect && a.bitsPerPixel == b.bitsPerPixel;
                               });
  if (same) return;
  m_vecMonitors = monitors;
  m_nMonitorChanges.fetch_add(1);
}

void SoftwareDisplay::setDrawObserver(DrawObserver observer) {
  m_bObserved.store(false);
  m_fnDrawObserver = std::move(observer);
  m_bObserved.store(static_cast<bool>(m_fnDrawObserver));
}

void SoftwareDisplay::pictureReached(WindowId window, const Rect& rect) {
  windowDrawn(window, rect);
  if (m_bObserved.load()) m_fnDrawObserver(window, rect);
}

std::vector<MonitorInfo> SoftwareDisplay::monitors() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<MonitorInfo> out;
  for (size_t i = 0; i < m_vecMonitors.size(); ++i) {
    out.push_back({m_nFirstHandle + static_cast<std::intptr_t>(i), m_vecMonitors[i].rect, deviceNameOf(i)});
  }
  return out;
}

int SoftwareDisplay::screenWidth() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_vecMonitors.empty() ? 0 : m_vecMonitors.front().rect.width();
}

int SoftwareDisplay::screenHeight() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_vecMonitors.empty() ? 0 : m_vecMonitors.front().rect.height();
}

std::vector<DisplayDriver> SoftwareDisplay::drivers() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  // The primary display's driver comes first, named "display" and without an id; then one driver per
  // monitor under the monitor's device name.
  std::vector<DisplayDriver> out{{"display", false, 0}};
  for (size_t i = 0; i < m_vecMonitors.size(); ++i) {
    out.push_back({deviceNameOf(i), true, static_cast<std::uint32_t>(i + 1)});
  }
  return out;
}

bool SoftwareDisplay::monitorOf(const std::string& deviceName, Rect& rect, int& bitsPerPixel) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  const bool primary = deviceName.empty() || strcasecmp(deviceName.c_str(), "display") == 0;
  for (size_t i = 0; i < m_vecMonitors.size(); ++i) {
    if (primary ? i == 0 : deviceName == deviceNameOf(i)) {
      rect = m_vecMonitors[i].rect;
      bitsPerPixel = m_vecMonitors[i].bitsPerPixel;
      return true;
    }
  }
  return false;
}

HRESULT SoftwareDisplay::createDevice(const DisplayDriver* driver, std::unique_ptr<DisplayDevice>& device) {
  Rect rect;
  int bits = 0;
  if (!monitorOf(driver != nullptr ? driver->name : std::string(), rect, bits)) return DDERR_GENERIC;
  device = std::make_unique<SoftwareDevice>(*this, rect, bits);
  return DD_OK;
}

bool SoftwareDisplay::displaySettings(const std::string& deviceName, DisplaySettings& settings) const {
  Rect rect;
  int bits = 0;
  if (!monitorOf(deviceName, rect, bits)) return false;
  settings = {rect.width(), rect.height(), bits};
  return true;
}

HRESULT SoftwareDisplay::createD2DFactory(std::unique_ptr<D2DFactory>& factory) {
  factory = std::make_unique<SoftwareD2DFactory>(*this);
  return DD_OK;
}

}  // namespace platform
