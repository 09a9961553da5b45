#pragma once
#include "platform/SoftwareDisplay.h"

namespace platform {

// The display behind Qt windows: monitors from QScreen, software surfaces, and a primary surface whose
// blits land in the back image of the window's QtVideoWidget (which then repaints itself).
class QtDisplay : public SoftwareDisplay {
 public:
  static QtDisplay& instance();

  // GUI thread: reads the screens again (done whenever a widget registers).
  void refreshMonitors();

  // SoftwareBackend
  bool withWindowPixels(WindowId window,
                        const std::function<void(std::uint8_t* bits, int pitch, int width, int height)>& fn) override;
  void windowDrawn(WindowId, const Rect&) override {}

 private:
  QtDisplay() : SoftwareDisplay(0x2000) {}
};

}  // namespace platform
