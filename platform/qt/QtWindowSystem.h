#pragma once
#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <mutex>

#include "platform/Geometry.h"
#include "platform/WindowSystem.h"

class QWidget;

namespace platform {

class QtVideoWidget;

// The window layer over Qt widgets. Widgets are registered on the GUI thread; their geometry is kept
// here as the GUI thread last saw it, so that decoder threads never touch a widget. Messages and repaint
// requests are posted to the GUI thread's event loop and never dispatched on the caller's thread.
class QtWindowSystem : public QObject, public WindowSystem {
 public:
  using MessageHandler = std::function<void(const WindowMessage& message)>;

  static QtWindowSystem& instance();

  // GUI thread: gives the widget an id (forgotten when the widget is destroyed). Messages posted to it
  // go to handler on the GUI thread.
  WindowId registerWidget(QWidget* widget, MessageHandler handler = nullptr);
  void unregisterWidget(WindowId window);
  void setMessageHandler(WindowId window, MessageHandler handler);

  // For the Qt display: runs fn with the video widget of a window held (null for other windows).
  bool withVideoWidget(WindowId window, const std::function<void(QtVideoWidget& widget)>& fn);

  // WindowSystem
  bool isWindow(WindowId window) const override;
  bool getClientRect(WindowId window, Rect& rect) const override;
  bool getWindowRect(WindowId window, Rect& rect) const override;
  WindowId getParent(WindowId window) const override;
  bool clientToScreen(WindowId window, Point& point) const override;
  bool invalidateRect(WindowId window, const Rect* rect, bool erase) override;
  bool postMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  Display* displayOf(WindowId window) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Entry {
    QWidget* widget = nullptr;
    QtVideoWidget* video = nullptr;
    MessageHandler handler;
    Rect client;        // (0, 0, width, height)
    Rect windowRect;    // screen coordinates
    Point origin;       // client origin on the screen
  };
  QtWindowSystem() = default;
  // GUI thread: every entry's geometry from its widget.
  void refreshGeometry();
  WindowId idOf(const QWidget* widget) const;

  mutable std::recursive_mutex m_mutex;
  std::map<WindowId, Entry> m_mapWindows;
};

}  // namespace platform
