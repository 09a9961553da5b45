#include "platform/qt/QtDisplay.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/qt/QtWindowSystem.h"

namespace platform {

QtDisplay& QtDisplay::instance() {
  static QtDisplay display;
  return display;
}

void QtDisplay::followScreenEvents() {
  auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (application == nullptr || m_followed == application) return;
  m_followed = application;
  QObject::connect(application, &QGuiApplication::screenAdded, application, [this](QScreen* screen) {
    followScreen(screen);
    refreshMonitors();
  });
  QObject::connect(application, &QGuiApplication::screenRemoved, application,
                   [this](QScreen* screen) { refreshMonitors(screen); });
  QObject::connect(application, &QGuiApplication::primaryScreenChanged, application, [this] { refreshMonitors(); });
  for (QScreen* screen : QGuiApplication::screens()) followScreen(screen);
}

void QtDisplay::followScreen(QScreen* screen) {
  QObject::connect(screen, &QScreen::geometryChanged, m_followed.data(), [this] { refreshMonitors(); });
}

void QtDisplay::refreshMonitors(QScreen* leaving) {
  followScreenEvents();
  std::vector<Monitor> monitors;
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen == leaving) continue;
    const QRect g = screen->geometry();
    monitors.push_back({Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()}, screen->depth()});
  }
  setMonitors(monitors);
}

bool QtDisplay::withWindowPixels(WindowId window,
                                 const std::function<void(std::uint8_t*, int, int, int)>& fn) {
  return QtWindowSystem::instance().withBackBuffer(window, fn);
}

}  // namespace platform
