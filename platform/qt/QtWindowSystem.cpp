#include "platform/qt/QtWindowSystem.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtBackBuffer.h"

namespace platform {

QtWindowSystem& QtWindowSystem::instance() {
  static QtWindowSystem* windows = new QtWindowSystem;  // lives as long as the process
  return *windows;
}

WindowId QtWindowSystem::registerWidget(QWidget* widget, MessageHandler handler,
                                        std::shared_ptr<QtBackBuffer> backBuffer) {
  if (widget == nullptr) return 0;
  QtDisplay::instance().refreshMonitors();
  const WindowId id = registerWindow(*this);
  {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Entry& entry = m_mapWindows[id];
    entry.widget = widget;
    entry.back = std::move(backBuffer);
    entry.handler = std::move(handler);
  }
  widget->installEventFilter(this);
  // A widget that goes away takes its id with it.
  QObject::connect(widget, &QObject::destroyed, this, [this, id] { unregisterWidget(id); });
  refreshGeometry();
  return id;
}

void QtWindowSystem::unregisterWidget(WindowId window) {
  QWidget* widget = nullptr;
  {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto found = m_mapWindows.find(window);
    if (found == m_mapWindows.end()) return;
    widget = found->second.widget;
    found->second.geometry->close();
    m_mapWindows.erase(found);
  }
  unregisterWindow(window);
  widget->removeEventFilter(this);
  widget->disconnect(this);
}

void QtWindowSystem::setMessageHandler(WindowId window, MessageHandler handler) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found != m_mapWindows.end()) found->second.handler = std::move(handler);
}

WindowId QtWindowSystem::idOf(const QWidget* widget) const {
  for (const auto& [id, entry] : m_mapWindows) {
    if (entry.widget == widget) return id;
  }
  return 0;
}

void QtWindowSystem::refreshGeometry() {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  for (auto& [id, entry] : m_mapWindows) {
    const QWidget* w = entry.widget;
    const QPoint origin = w->mapToGlobal(QPoint(0, 0));
    entry.origin = {origin.x(), origin.y()};
    entry.client = {0, 0, w->width(), w->height()};
    if (w->isWindow()) {
      const QRect frame = w->frameGeometry();
      entry.windowRect = {frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()};
    } else {
      entry.windowRect = entry.client.offset(origin.x(), origin.y());
    }
    entry.geometry->update(entry.origin, entry.client.width(), entry.client.height());
  }
}

bool QtWindowSystem::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::ParentChange:
      refreshGeometry();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

bool QtWindowSystem::withBackBuffer(WindowId window, const std::function<void(std::uint8_t*, int, int, int)>& fn) {
  std::shared_ptr<QtBackBuffer> back;
  {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto found = m_mapWindows.find(window);
    if (found == m_mapWindows.end() || !found->second.back) return false;
    back = found->second.back;
  }
  if (!back->write(fn)) return true;  // the repaint already asked for shows these pixels too
  // Queued: never waits for the GUI thread. A widget closed meanwhile is not asked.
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found != m_mapWindows.end()) {
    QWidget* widget = found->second.widget;
    QMetaObject::invokeMethod(
        widget,
        [widget, back] {
          back->repaintTaken();
          widget->update();
        },
        Qt::QueuedConnection);
  }
  return true;
}

bool QtWindowSystem::isWindow(WindowId window) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  return m_mapWindows.count(window) != 0;
}

bool QtWindowSystem::getClientRect(WindowId window, Rect& rect) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return false;
  rect = found->second.client;
  return true;
}

bool QtWindowSystem::getWindowRect(WindowId window, Rect& rect) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return false;
  rect = found->second.windowRect;
  return true;
}

WindowId QtWindowSystem::getParent(WindowId window) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end() || found->second.widget->isWindow()) return 0;
  return idOf(found->second.widget->parentWidget());
}

bool QtWindowSystem::clientToScreen(WindowId window, Point& point) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return false;
  point.x += found->second.origin.x;
  point.y += found->second.origin.y;
  return true;
}

bool QtWindowSystem::invalidateRect(WindowId window, const Rect* rect, bool) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return false;
  QWidget* widget = found->second.widget;
  const QRect area = rect != nullptr ? QRect(rect->left, rect->top, rect->width(), rect->height()) : widget->rect();
  // Queued: the widget is repainted by the GUI thread's event loop. The widget cannot go away while the
  // lock is held (unregistering takes it first).
  QMetaObject::invokeMethod(widget, [widget, area] { widget->update(area); }, Qt::QueuedConnection);
  return true;
}

bool QtWindowSystem::postMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return false;
  const WindowMessage posted{window, message, wParam, lParam};
  QMetaObject::invokeMethod(
      found->second.widget,
      [this, posted] {
        MessageHandler handler;
        {
          std::lock_guard<std::recursive_mutex> lock(m_mutex);
          auto entry = m_mapWindows.find(posted.window);
          if (entry == m_mapWindows.end()) return;  // closed meanwhile: dropped
          handler = entry->second.handler;
        }
        if (handler) handler(posted);
      },
      Qt::QueuedConnection);
  return true;
}

Display* QtWindowSystem::displayOf(WindowId window) { return isWindow(window) ? &QtDisplay::instance() : nullptr; }

std::shared_ptr<const WindowGeometry> QtWindowSystem::geometryOf(WindowId window) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  return found != m_mapWindows.end() ? found->second.geometry : nullptr;
}

}  // namespace platform
