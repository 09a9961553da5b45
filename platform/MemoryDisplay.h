#pragma once
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "platform/Display.h"
#include "platform/SoftwareBackend.h"

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
class MemoryDisplay : public Display, public SoftwareBackend {
 public:
  struct MonitorConfig {
    Rect rect;
    int bitsPerPixel = 32;  // 8, 16, 24 or 32
  };

  static MemoryDisplay& instance();

  void reset();
  // The first monitor is the primary one; device names are "\\.\DISPLAY1", "\\.\DISPLAY2", ...
  void setMonitors(const std::vector<MonitorConfig>& monitors);
  std::vector<BlitRecord> blitLog() const;
  void clearBlitLog();

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
  void windowDrawn(WindowId window, const Rect& rect) override;

 private:
  MemoryDisplay();
  static std::string deviceNameOf(size_t index);

  mutable std::mutex m_mutex;
  std::vector<MonitorConfig> m_vecMonitors;
  std::vector<BlitRecord> m_vecBlits;
  std::map<WindowId, std::uint64_t> m_mapFrameCounts;
  DisplayFailures m_objFailures;
};

}  // namespace platform
