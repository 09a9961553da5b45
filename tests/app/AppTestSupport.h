#pragma once
#include <QApplication>
#include <QMouseEvent>
#include <QPoint>
#include <QTemporaryDir>
#include <QWidget>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/controls/AppMessage.h"
#include "app/controls/CSplitterControl.h"
#include "app/settings/AppPaths.h"

namespace apptest {

// The one QApplication of a test program (offscreen platform). It lives until the process ends and is
// never destroyed: Qt's exit-time clean-up of a static application object crashes.
inline QApplication& application() {
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  if (qApp == nullptr) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* instance = new QApplication(argc, argv);
    (void)instance;
  }
  return *static_cast<QApplication*>(qApp);
}

// First base of a fixture whose members are widgets: the application exists before they do.
struct WithApplication {
  WithApplication() { application(); }
};

// A fresh executable folder for the application's data (removed at the end of the test).
class ScopedModuleDir {
 public:
  ScopedModuleDir() { app::overrideModuleDir(path()); }
  ~ScopedModuleDir() { app::overrideModuleDir(std::string()); }
  ScopedModuleDir(const ScopedModuleDir&) = delete;
  ScopedModuleDir& operator=(const ScopedModuleDir&) = delete;
  // The folder with a trailing "/".
  std::string path() const { return m_dir.path().toStdString() + "/"; }

 private:
  QTemporaryDir m_dir;
};

// A window that records the protocol messages it receives; mouse messages and notifications have
// their pointed-to data copied, since it is valid during the call only.
struct ReceivedMessage {
  std::uint32_t message = 0;
  app::WPARAM wParam = 0;
  app::LPARAM lParam = 0;
  QPoint point;                // mouse messages: the screen point lParam pointed at
  app::NotifyHeader header;    // WM_NOTIFY
  int splitterDelta = 0;       // WM_NOTIFY from a splitter
};

class MessageRecorder : public QWidget, public app::AppMessageHandler {
 public:
  explicit MessageRecorder(QWidget* parent = nullptr) : QWidget(parent) {}
  std::vector<ReceivedMessage> received;

  std::vector<ReceivedMessage> only(std::uint32_t message) const {
    std::vector<ReceivedMessage> out;
    for (const ReceivedMessage& entry : received) {
      if (entry.message == message) out.push_back(entry);
    }
    return out;
  }

  app::LRESULT onAppMessage(std::uint32_t message, app::WPARAM wParam, app::LPARAM lParam) override {
    ReceivedMessage entry;
    entry.message = message;
    entry.wParam = wParam;
    entry.lParam = lParam;
    const bool pointsAtPoint = message == app::WM_SLIDER_MOVE || message == app::WM_SLIDER_CLICK ||
                               message == app::WM_VIDEO_DOUBLE_CLICK || message == app::WM_VIDEO_CONTEXT_MENU;
    if (pointsAtPoint && lParam != 0) entry.point = *reinterpret_cast<const QPoint*>(lParam);
    if (message == app::WM_NOTIFY && lParam != 0) {
      entry.header = *reinterpret_cast<const app::NotifyHeader*>(lParam);
      if (entry.header.code == app::SPLITTER_MOVED) {
        entry.splitterDelta = reinterpret_cast<const app::SplitterNotify*>(lParam)->delta;
      }
    }
    received.push_back(entry);
    return 0;
  }

 protected:
  bool event(QEvent* event) override { return app::dispatchAppMessage(event, *this) || QWidget::event(event); }
};

// Delivers a mouse event straight to a widget (points in the widget's coordinates).
inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint position, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, QPointF(position), QPointF(widget->mapToGlobal(position)), button, buttons, modifiers);
  QApplication::sendEvent(widget, &event);
}

inline bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace apptest
