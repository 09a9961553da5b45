#pragma once
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/WindowSystem.h"

namespace platform {

// A widget that shows what the display layer draws into it: a back image of the widget's size, written
// by drawing threads under a mutex and painted by the GUI thread. Drawing never waits for the GUI thread.
class QtVideoWidget : public QWidget {
 public:
  explicit QtVideoWidget(QWidget* parent = nullptr);
  ~QtVideoWidget() override;

  WindowId windowId() const { return m_hWnd; }
  // Runs fn on the back image (32-bit B, G, R, A rows) under its mutex, then asks for a repaint.
  void withBackImage(const std::function<void(std::uint8_t* bits, int pitch, int width, int height)>& fn);
  // A copy of the back image (for tests).
  QImage backImage() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // (Re)makes the back image, black (m_mutex held or not yet shared).
  void allocate(int width, int height);

  WindowId m_hWnd = 0;
  mutable std::mutex m_mutex;
  std::vector<std::uint8_t> m_vecPixels;
  QImage m_imgBack;  // over m_vecPixels
};

}  // namespace platform
