#pragma once
#include <mutex>
#include <vector>

#include "platform/Display.h"
#include "platform/SoftwareBackend.h"

namespace platform {

// The display behind Qt windows: monitors from QScreen, software surfaces, and a primary surface whose
// blits land in the back image of the window's QtVideoWidget.
class QtDisplay : public Display, public SoftwareBackend {
 public:
  static QtDisplay& instance();

  // GUI thread: reads the screens again (done when a widget registers and when screens change).
  void refreshMonitors();

  // Display
  std::vector<MonitorInfo> monitors() const override;
  int screenWidth() const override;
  int screenHeight() const override;
  std::vector<DisplayDriver> drivers() const override;
  HRESULT createDevice(const DisplayDriver* driver, std::unique_ptr<DisplayDevice>& device) override;
  bool displaySettings(const std::string& deviceName, DisplaySettings& settings) const override;
  HRESULT createD2DFactory(std::unique_ptr<D2DFactory>& factory) override;

  // SoftwareBackend
  DisplayFailures& failures() override { return m_objFailures; }
  bool monitorOf(const std::string& deviceName, Rect& rect, int& bitsPerPixel) const override;
  bool withWindowPixels(WindowId window,
                        const std::function<void(std::uint8_t* bits, int pitch, int width, int height)>& fn) override;
  void windowDrawn(WindowId, const Rect&) override {}

 private:
  struct Monitor {
    Rect rect;
    int bitsPerPixel = 32;
    std::string name;
  };
  QtDisplay() = default;

  mutable std::mutex m_mutex;
  std::vector<Monitor> m_vecMonitors;
  DisplayFailures m_objFailures;  // nothing arms them outside tests
};

}  // namespace platform
