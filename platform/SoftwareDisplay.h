#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "platform/Display.h"
#include "platform/SoftwareBackend.h"

namespace platform {

// What the memory and Qt displays share: a list of monitors, their drivers and devices in software, the
// fallback render target in software and the failures tests arm. A backend says where a window's
// pixels are and what happens once a picture reached them.
class SoftwareDisplay : public Display, public SoftwareBackend {
 public:
  struct Monitor {
    Rect rect;
    int bitsPerPixel = 32;  // 8, 16, 24 or 32
  };

  // The first monitor is the primary one; device names are "\\.\DISPLAY1", "\\.\DISPLAY2", ...
  void setMonitors(const std::vector<Monitor>& monitors);

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

 protected:
  // firstHandle: the handle of the first monitor, the others following it.
  explicit SoftwareDisplay(std::intptr_t firstHandle) : m_nFirstHandle(firstHandle) {}

 private:
  static std::string deviceNameOf(size_t index);

  const std::intptr_t m_nFirstHandle;
  mutable std::mutex m_mutex;
  std::vector<Monitor> m_vecMonitors;
  DisplayFailures m_objFailures;
};

}  // namespace platform
