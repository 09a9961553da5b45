#include "app/playback/QtVideoWindowRegistrar.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "app/playback/CPlayerWnd.h"
#include "platform/qt/QtVideoWidget.h"
#include "platform/qt/QtWindowSystem.h"

namespace app {

QtVideoWindowRegistrar::~QtVideoWindowRegistrar() {
  for (auto& [id, surface] : m_surfaces) {
    if (surface != nullptr) surface->parentWidget()->removeEventFilter(this);
  }
}

std::uint32_t QtVideoWindowRegistrar::registerVideoWindow(QWidget* window) {
  if (window == nullptr) return 0;
  auto* surface = new platform::QtVideoWidget(window);
  surface->setAttribute(Qt::WA_TransparentForMouseEvents);  // presses reach the video window itself
  surface->hide();
  fitSurface(window, surface);
  // The surface registers itself with the window layer, together with the back buffer it paints.
  const std::uint32_t id = surface->windowId();
  m_surfaces[id] = surface;
  window->installEventFilter(this);
  return id;
}

void QtVideoWindowRegistrar::unregisterVideoWindow(std::uint32_t windowId) {
  auto found = m_surfaces.find(windowId);
  if (found == m_surfaces.end()) return;
  platform::QtWindowSystem::instance().unregisterWidget(windowId);
  if (found->second != nullptr) found->second->parentWidget()->removeEventFilter(this);
  m_surfaces.erase(found);
}

bool QtVideoWindowRegistrar::paintVideo(std::uint32_t windowId, QPainter& painter, const QRect& videoRect) {
  platform::QtVideoWidget* widget = surface(windowId);
  if (widget == nullptr || !widget->isVisible()) return false;
  painter.drawImage(videoRect, widget->backImage());
  return true;
}

void QtVideoWindowRegistrar::setPicturesShown(std::uint32_t windowId, bool shown) {
  if (platform::QtVideoWidget* widget = surface(windowId)) widget->setVisible(shown);
}

platform::QtVideoWidget* QtVideoWindowRegistrar::surface(std::uint32_t windowId) const {
  auto found = m_surfaces.find(windowId);
  return found != m_surfaces.end() ? found->second.data() : nullptr;
}

void QtVideoWindowRegistrar::fitSurface(QWidget* window, platform::QtVideoWidget* surface) const {
  surface->setGeometry(0, 0, window->width(), std::max(0, window->height() - CPlayerWnd::kStatusStripHeight));
}

bool QtVideoWindowRegistrar::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize) {
    for (auto& [id, surface] : m_surfaces) {
      if (surface != nullptr && surface->parentWidget() == watched) fitSurface(surface->parentWidget(), surface);
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace app
