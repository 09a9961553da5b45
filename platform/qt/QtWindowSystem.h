#pragma once
#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/Geometry.h"
#include "platform/WindowSystem.h"

class QWidget;

namespace platform {

class QtBackBuffer;

// The window layer over Qt widgets. Widgets are registered on the GUI thread; their geometry is kept
// here as the GUI thread last saw it, so that decoder threads never touch a widget. Messages and repaint
// requests are posted to the GUI thread's event loop and never dispatched on the caller's thread.
class QtWindowSystem : public QObject, public WindowSystem {
 public:
  using MessageHandler = std::function<void(const WindowMessage& message)>;

  static QtWindowSystem& instance();

  // GUI thread: gives the widget an id (forgotten when the widget is destroyed). Messages posted to it
  // go to handler on the GUI thread; pictures drawn to it go to its back buffer (widgets without one
  // cannot be drawn to).
  WindowId registerWidget(QWidget* widget, MessageHandler handler = nullptr,
                          std::shared_ptr<QtBackBuffer> backBuffer = nullptr);
  void unregisterWidget(WindowId window);
  void setMessageHandler(WindowId window, MessageHandler handler);

  // For the Qt display: runs fn on the window's back buffer (only that buffer is locked meanwhile), then
  // asks the widget for a repaint. False for a window without one.
  bool withBackBuffer(WindowId window,
                      const std::function<void(std::uint8_t* bits, int pitch, int width, int height)>& fn);

  // WindowSystem
  bool isWindow(WindowId window) const override;
  bool getClientRect(WindowId window, Rect& rect) const override;
  bool getWindowRect(WindowId window, Rect& rect) const override;
  WindowId getParent(WindowId window) const override;
  bool clientToScreen(WindowId window, Point& point) const override;
  bool invalidateRect(WindowId window, const Rect* rect, bool erase) override;
  bool postMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  Display* displayOf(WindowId window) override;
  std::shared_ptr<const WindowGeometry> geometryOf(WindowId window) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Entry {
    QWidget* widget = nullptr;
    std::shared_ptr<QtBackBuffer> back;
    MessageHandler handler;
    Rect client;        // (0, 0, width, height)
    Rect windowRect;    // screen coordinates
    Point origin;       // client origin on the screen
    std::shared_ptr<WindowGeometry> geometry = std::make_shared<WindowGeometry>(WindowGeometry::State{});
  };
  QtWindowSystem() = default;
  // GUI thread: every entry's geometry from its widget.
  void refreshGeometry();
  WindowId idOf(const QWidget* widget) const;

  mutable std::recursive_mutex m_mutex;
  std::map<WindowId, Entry> m_mapWindows;
};

}  // namespace platform
