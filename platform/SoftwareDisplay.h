#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
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
  std::uint64_t monitorChanges() const override { return m_nMonitorChanges.load(); }
  int screenWidth() const override;
  int screenHeight() const override;
  std::vector<DisplayDriver> drivers() const override;
  HRESULT createDevice(const DisplayDriver* driver, std::unique_ptr<DisplayDevice>& device) override;
  bool displaySettings(const std::string& deviceName, DisplaySettings& settings) const override;
  HRESULT createD2DFactory(std::unique_ptr<D2DFactory>& factory) override;

  // Benchmarks: observer is called on the drawing thread after every picture that reached a window
  // of this display (null: none). Set or cleared only while nothing draws.
  using DrawObserver = std::function<void(WindowId window, const Rect& rect)>;
  void setDrawObserver(DrawObserver observer);

  // SoftwareBackend
  DisplayFailures& failures() override { return m_objFailures; }
  void pictureReached(WindowId window, const Rect& rect) final;
  bool monitorOf(const std::string& deviceName, Rect& rect, int& bitsPerPixel) const override;

 protected:
  // firstHandle: the handle of the first monitor, the others following it.
  explicit SoftwareDisplay(std::intptr_t firstHandle) : m_nFirstHandle(firstHandle) {}

 private:
  static std::string deviceNameOf(size_t index);

  const std::intptr_t m_nFirstHandle;
  mutable std::mutex m_mutex;
  std::vector<Monitor> m_vecMonitors;
  std::atomic<std::uint64_t> m_nMonitorChanges{0};
  DisplayFailures m_objFailures;
  DrawObserver m_fnDrawObserver;
  std::atomic<bool> m_bObserved{false};
};

}  // namespace platform
