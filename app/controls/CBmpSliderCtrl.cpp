#include "app/controls/CBmpSliderCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

#include "app/controls/AppIds.h"
#include "app/controls/AppMessage.h"

namespace app {
namespace {
constexpr int kCap = 8;  // unscaled columns at each end of the channel
}

CBmpSliderCtrl::CBmpSliderCtrl(QWidget* parent, std::uint32_t controlId) : QWidget(parent), m_controlId(controlId) {
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CBmpSliderCtrl::setChannelBitmap(const QImage& image) {
  m_channel = image;
  update();
}

void CBmpSliderCtrl::setFilledChannelBitmap(const QImage& image) {
  m_filled = image;
  update();
}

void CBmpSliderCtrl::setThumbBitmap(const QImage& image) {
  m_thumb = image;
  update();
}

void CBmpSliderCtrl::setThumbTop(int top) {
  m_thumbTop = top;
  update();
}

void CBmpSliderCtrl::setRange(int minimum, int maximum, bool redraw) {
  m_minimum = minimum;
  m_maximum = std::max(minimum, maximum);
  m_position = std::clamp(m_position, m_minimum, m_maximum);
  if (redraw) update();
}

void CBmpSliderCtrl::setPos(int position, bool redraw) {
  const int clamped = std::clamp(position, m_minimum, m_maximum);
  if (clamped == m_position) return;
  m_position = clamped;
  if (redraw) update();
}

int CBmpSliderCtrl::thumbFrameWidth() const { return m_thumb.width() / 3; }

QRect CBmpSliderCtrl::thumbRect() const {
  const int frame = thumbFrameWidth();
  const int travel = std::max(0, width() - frame);
  const long long range = m_maximum - m_minimum;
  const int left = range > 0 ? static_cast<int>(static_cast<long long>(m_position - m_minimum) * travel / range) : 0;
  return QRect(left, m_thumbTop, frame, m_thumb.height());
}

int CBmpSliderCtrl::valueAt(int x) const {
  if (width() <= 0) return m_minimum;
  const long long value = m_minimum + static_cast<long long>(m_maximum - m_minimum) * x / width();
  return static_cast<int>(std::clamp<long long>(value, m_minimum, m_maximum));
}

void CBmpSliderCtrl::drawChannel(QPainter& painter) const {
  if (m_channel.isNull()) return;
  const int clientWidth = width();
  const int clientHeight = height();
  const int w = m_channel.width();
  const int h = m_channel.height();
  const int middle = w - 2 * kCap;
  const int thumbRight = thumbRect().left() + thumbRect().width();
  if (!m_filled.isNull()) painter.drawImage(QRect(0, 0, kCap, h), m_filled, QRect(0, 0, kCap, h));
  if (middle > 0) {
    painter.drawImage(QRect(kCap, 0, clientWidth - 2 * kCap, clientHeight), m_channel, QRect(kCap, 0, middle, h));
    if (!m_filled.isNull() && thumbRight > kCap) {
      painter.drawImage(QRect(kCap, 0, thumbRight - kCap, clientHeight), m_filled, QRect(kCap, 0, middle, h));
    }
  }
  painter.drawImage(QRect(clientWidth - kCap, 0, kCap, h), m_channel, QRect(w - kCap, 0, kCap, h));
}

void CBmpSliderCtrl::drawThumb(QPainter& painter) const {
  if (m_thumb.isNull()) return;
  const int frame = thumbFrameWidth();
  const QRect thumb = thumbRect();
  const int x = thumb.left() + (thumb.width() - frame) / 2;
  painter.drawImage(QRect(x, m_thumbTop, frame, m_thumb.height()), m_thumb,
                    QRect(m_thumbPressed ? frame : 0, 0, frame, m_thumb.height()));
}

void CBmpSliderCtrl::paintEvent(QPaintEvent*) {
  // Drawn into one image and copied in one block, so the thumb never flickers over the channel.
  QImage canvas(size(), QImage::Format_RGB32);
  canvas.fill(Qt::black);
  {
    QPainter painter(&canvas);
    drawChannel(painter);
    drawThumb(painter);
  }
  QPainter(this).drawImage(0, 0, canvas);
}

void CBmpSliderCtrl::sendMouse(std::uint32_t message, const QMouseEvent* event) {
  sendMouseMessage(parentWidget(), message, mouseKeyFlags(event->buttons(), event->modifiers()),
                   event->globalPosition().toPoint());
}

void CBmpSliderCtrl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  const int target = valueAt(point.x());
  m_pageSize = std::abs(target - m_position);
  sendMouse(WM_SLIDER_CLICK, event);
  if (thumbRect().contains(point)) {
    m_thumbPressed = true;
    m_grabOffset = point.x() - thumbRect().left();
    update();
  } else {
    // One page step towards the click, and the page is the distance: the thumb lands on the target.
    setPos(m_position < target ? m_position + m_pageSize : m_position - m_pageSize);
  }
}

void CBmpSliderCtrl::moveThumbTo(int x) {
  const int travel = width() - thumbFrameWidth();
  if (travel <= 0) return;
  const long long left = std::clamp(x - m_grabOffset, 0, travel);
  setPos(m_minimum + static_cast<int>((left * (m_maximum - m_minimum) + travel / 2) / travel));
}

void CBmpSliderCtrl::mouseMoveEvent(QMouseEvent* event) {
  sendMouse(WM_SLIDER_MOVE, event);
  if (m_thumbPressed) moveThumbTo(event->position().toPoint().x());
}

void CBmpSliderCtrl::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (m_thumbPressed) {
    m_thumbPressed = false;
    update();
  }
  NotifyHeader header{this, m_controlId, NM_RELEASEDCAPTURE};
  sendNotify(parentWidget(), header);
}

}  // namespace app
