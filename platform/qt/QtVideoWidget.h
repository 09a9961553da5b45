#pragma once
#include <QImage>
#include <QWidget>
#include <memory>

#include "platform/WindowSystem.h"
#include "platform/qt/QtBackBuffer.h"

namespace platform {

// A widget that shows what the display layer draws into it: a back buffer of the widget's size,
// written by drawing threads and painted by the GUI thread. Drawing never waits for the GUI thread.
class QtVideoWidget : public QWidget {
 public:
  explicit QtVideoWidget(QWidget* parent = nullptr);
  ~QtVideoWidget() override;

  WindowId windowId() const { return m_hWnd; }
  // A copy of what the widget shows (for tests).
  QImage backImage() const { return m_pBack->copy(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::shared_ptr<QtBackBuffer> m_pBack;
  WindowId m_hWnd = 0;
};

}  // namespace platform
