#pragma once
#include <QPointer>

#include "platform/SoftwareDisplay.h"

class QGuiApplication;
class QScreen;

namespace platform {

// The display behind Qt windows: monitors from QScreen, software surfaces, and a primary surface whose
// blits land in the back image of the window's QtVideoWidget (which then repaints itself).
class QtDisplay : public SoftwareDisplay {
 public:
  static QtDisplay& instance();

  // GUI thread: reads the screens again, leaving out `leaving` (a screen on its way out). Done whenever
  // a widget registers; from the first call on also whenever the window system adds or removes a
  // screen or changes a screen's geometry, so that a window moved to a new monitor finds it.
  void refreshMonitors(QScreen* leaving = nullptr);

  // SoftwareBackend
  bool withWindowPixels(WindowId window,
                        const std::function<void(std::uint8_t* bits, int pitch, int width, int height)>& fn) override;
  void windowDrawn(WindowId, const Rect&) override {}

 private:
  QtDisplay() : SoftwareDisplay(0x2000) {}
  void followScreenEvents();
  void followScreen(QScreen* screen);

  QPointer<QGuiApplication> m_followed;  // the application whose screen events are followed
};

}  // namespace platform
