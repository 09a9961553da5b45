#include "platform/qt/QtDisplay.h"

#include <strings.h>

#include <QGuiApplication>
#include <QScreen>

#include "platform/SoftwareD2D.h"
#include "platform/SoftwareDevice.h"
#include "platform/qt/QtVideoWidget.h"
#include "platform/qt/QtWindowSystem.h"

namespace platform {

QtDisplay& QtDisplay::instance() {
  static QtDisplay display;
  return display;
}

void QtDisplay::refreshMonitors() {
  std::vector<Monitor> monitors;
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect g = screen->geometry();
    monitors.push_back({Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()}, screen->depth(),
                        "\\\\.\\DISPLAY" + std::to_string(monitors.size() + 1)});
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  m_vecMonitors = std::move(monitors);
}

std::vector<MonitorInfo> QtDisplay::monitors() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<MonitorInfo> out;
  for (size_t i = 0; i < m_vecMonitors.size(); ++i) {
    out.push_back({static_cast<std::intptr_t>(0x2000 + i), m_vecMonitors[i].rect, m_vecMonitors[i].name});
  }
  return out;
}

int QtDisplay::screenWidth() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_vecMonitors.empty() ? 0 : m_vecMonitors.front().rect.width();
}

int QtDisplay::screenHeight() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_vecMonitors.empty() ? 0 : m_vecMonitors.front().rect.height();
}

std::vector<DisplayDriver> QtDisplay::drivers() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<DisplayDriver> out{{"display", false, 0}};
  for (size_t i = 0; i < m_vecMonitors.size(); ++i) {
    out.push_back({m_vecMonitors[i].name, true, static_cast<std::uint32_t>(i + 1)});
  }
  return out;
}

bool QtDisplay::monitorOf(const std::string& deviceName, Rect& rect, int& bitsPerPixel) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  const bool primary = deviceName.empty() || strcasecmp(deviceName.c_str(), "display") == 0;
  for (size_t i = 0; i < m_vecMonitors.size(); ++i) {
    if (primary ? i == 0 : deviceName == m_vecMonitors[i].name) {
      rect = m_vecMonitors[i].rect;
      bitsPerPixel = m_vecMonitors[i].bitsPerPixel;
      return true;
    }
  }
  return false;
}

HRESULT QtDisplay::createDevice(const DisplayDriver* driver, std::unique_ptr<DisplayDevice>& device) {
  Rect rect;
  int bits = 0;
  if (!monitorOf(driver != nullptr ? driver->name : std::string(), rect, bits)) return DDERR_GENERIC;
  device = std::make_unique<SoftwareDevice>(*this, rect, bits);
  return DD_OK;
}

bool QtDisplay::displaySettings(const std::string& deviceName, DisplaySettings& settings) const {
  Rect rect;
  int bits = 0;
  if (!monitorOf(deviceName, rect, bits)) return false;
  settings = {rect.width(), rect.height(), bits};
  return true;
}

HRESULT QtDisplay::createD2DFactory(std::unique_ptr<D2DFactory>& factory) {
  factory = std::make_unique<SoftwareD2DFactory>(*this);
  return DD_OK;
}

bool QtDisplay::withWindowPixels(WindowId window,
                                 const std::function<void(std::uint8_t*, int, int, int)>& fn) {
  return QtWindowSystem::instance().withVideoWidget(window, [&](QtVideoWidget& widget) { widget.withBackImage(fn); });
}

}  // namespace platform
