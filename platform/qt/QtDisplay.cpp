#include "platform/qt/QtDisplay.h"

#include <QGuiApplication>
#include <QScreen>

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
    monitors.push_back({Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()}, screen->depth()});
  }
  setMonitors(monitors);
}

bool QtDisplay::withWindowPixels(WindowId window,
                                 const std::function<void(std::uint8_t*, int, int, int)>& fn) {
  return QtWindowSystem::instance().withVideoWidget(window, [&](QtVideoWidget& widget) { widget.withBackImage(fn); });
}

}  // namespace platform
