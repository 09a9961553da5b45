#include "platform/qt/QtBackBuffer.h"

#include <QPainter>
#include <algorithm>

#include "platform/SoftwareBlitter.h"

namespace platform {

bool QtBackBuffer::write(const std::function<void(std::uint8_t*, int, int, int)>& fn) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    fn(m_imgBack.bits(), static_cast<int>(m_imgBack.bytesPerLine()), m_imgBack.width(), m_imgBack.height());
  }
  return !m_bRepaintPending.exchange(true);
}

void QtBackBuffer::paint(QPainter& painter) {
  std::lock_guard<std::mutex> lock(m_mutex);
  painter.drawImage(0, 0, m_imgBack);
}

void QtBackBuffer::resize(int width, int height) {
  width = std::max(1, width);
  height = std::max(1, height);
  std::lock_guard<std::mutex> lock(m_mutex);
  // Spare bytes after the picture: libswscale may write a little past the last row.
  m_vecPixels.assign(static_cast<size_t>(width) * height * 4 + kSwsPadding, 0);
  m_imgBack = QImage(m_vecPixels.data(), width, height, width * 4, QImage::Format_RGB32);
  m_imgBack.fill(Qt::black);
}

QImage QtBackBuffer::copy() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_imgBack.copy();
}

}  // namespace platform
