#include "app/controls/CPngButton.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/controls/AppIds.h"
#include "app/controls/AppMessage.h"
#include "app/controls/FontMapper.h"
#include "app/controls/UiServices.h"

namespace app {

CPngButton::CPngButton(QWidget* parent, std::uint32_t controlId) : QAbstractButton(parent), m_controlId(controlId) {
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_NoSystemBackground);
  connect(this, &QAbstractButton::clicked, this, [this]() { onClicked(); });
}

bool CPngButton::loadImage(const QString& path) {
  m_image = QImage();
  QImage loaded(path);
  if (!loaded.isNull()) m_image = loaded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  m_imageWidth = m_image.width();
  m_imageHeight = m_image.height();
  m_frameWidth = m_imageWidth / m_frameCount;
  resize(m_frameWidth, m_imageHeight);
  update();
  return true;
}

void CPngButton::setToolTipText(const QString& text) {
  if (text.isNull()) return;
  uiServices().setToolTip(this, text);
}

int CPngButton::currentFrame() const {
  const bool disabled = !isEnabled();
  if (m_mode == ToggleMode) {
    if (disabled) return 3;
    if (m_toggledOn) return 1;
    if (m_hover && m_frameCount > 2) return 2;
    return 0;
  }
  if (isDown()) return 2;
  if (disabled) return 3;
  if (m_hover) return 1;
  return 0;
}

bool CPngButton::isTransparentAt(QPoint point) const {
  if (m_image.isNull() || !m_image.valid(point)) return false;
  return qAlpha(m_image.pixel(point)) == 0;
}

void CPngButton::paintEvent(QPaintEvent*) {
  if (m_image.isNull()) return;
  QPainter painter(this);
  const int frame = currentFrame();
  painter.drawImage(QRect(0, 0, m_frameWidth, m_imageHeight), m_image,
                    QRect(frame * m_frameWidth, 0, m_frameWidth, m_imageHeight));
  if (m_caption.isEmpty()) return;
  painter.setFont(FontMapper::pointFont(m_fontFace, m_fontSize));
  painter.setPen(m_textColor);
  painter.drawText(QRect(m_textLeftMargin, 0, m_frameWidth - m_textRightMargin - m_textLeftMargin, m_imageHeight),
                   Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, m_caption);
}

void CPngButton::mousePressEvent(QMouseEvent* event) {
  if (isTransparentAt(event->position().toPoint())) {
    event->accept();  // a press on the transparent part belongs to nobody
    return;
  }
  update();
  QAbstractButton::mousePressEvent(event);
}

void CPngButton::mouseMoveEvent(QMouseEvent* event) {
  if (!m_tracking) {
    if (isTransparentAt(event->position().toPoint())) {
      event->accept();
      return;
    }
    m_tracking = true;
    m_hover = true;
    update();
  }
  QAbstractButton::mouseMoveEvent(event);
}

void CPngButton::leaveEvent(QEvent* event) {
  m_tracking = false;
  m_hover = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void CPngButton::onClicked() { sendCommand(parentWidget(), m_controlId, BN_CLICKED, this); }

}  // namespace app
