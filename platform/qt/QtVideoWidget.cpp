#include "platform/qt/QtVideoWidget.h"

#include <QPainter>
#include <QResizeEvent>

#include "platform/SoftwareBlitter.h"
#include "platform/qt/QtWindowSystem.h"

namespace platform {

QtVideoWidget::QtVideoWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  allocate(width(), height());
  m_hWnd = QtWindowSystem::instance().registerWidget(this);
}

QtVideoWidget::~QtVideoWidget() { QtWindowSystem::instance().unregisterWidget(m_hWnd); }

void QtVideoWidget::withBackImage(const std::function<void(std::uint8_t*, int, int, int)>& fn) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    fn(m_imgBack.bits(), static_cast<int>(m_imgBack.bytesPerLine()), m_imgBack.width(), m_imgBack.height());
  }
  // Queued: never waits for the GUI thread.
  QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
}

QImage QtVideoWidget::backImage() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_imgBack.copy();
}

void QtVideoWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  std::lock_guard<std::mutex> lock(m_mutex);
  painter.drawImage(0, 0, m_imgBack);
}

void QtVideoWidget::resizeEvent(QResizeEvent* event) {
  std::lock_guard<std::mutex> lock(m_mutex);
  allocate(event->size().width(), event->size().height());
}

void QtVideoWidget::allocate(int width, int height) {
  width = std::max(1, width);
  height = std::max(1, height);
  // Spare bytes after the picture: libswscale may write a little past the last row.
  m_vecPixels.assign(static_cast<size_t>(width) * height * 4 + kSwsPadding, 0);
  m_imgBack = QImage(m_vecPixels.data(), width, height, width * 4, QImage::Format_RGB32);
  m_imgBack.fill(Qt::black);
}

}  // namespace platform
