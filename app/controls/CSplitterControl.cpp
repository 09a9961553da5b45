#include "app/controls/CSplitterControl.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "app/controls/AppIds.h"
#include "app/controls/SplitterDragLine.h"

namespace app {

CSplitterControl::CSplitterControl(QWidget* parent) : QWidget(parent) {}

CSplitterControl::~CSplitterControl() { delete m_line.data(); }

void CSplitterControl::create(const QRect& rect, QWidget* parent) {
  if (parent != nullptr && parent != parentWidget()) setParent(parent);
  m_orientation = rect.width() < rect.height() ? VerticalBar : HorizontalBar;
  QRect bar = rect;
  if (m_orientation == VerticalBar) {
    bar.setWidth(kThickness);
  } else {
    bar.setHeight(kThickness);
  }
  m_controlId = IDC_SPLITTER;
  setGeometry(bar);
  setCursor(m_orientation == VerticalBar ? Qt::SizeHorCursor : Qt::SizeVerCursor);
  show();
  setRange(0, 0);
}

int CSplitterControl::centreAlongAxis(const QRect& rect) const {
  // Win32 rectangles: right and bottom lie one past the last pixel.
  return m_orientation == VerticalBar ? rect.left() + (rect.width()) / 2 : rect.top() + (rect.height()) / 2;
}

void CSplitterControl::setRange(int before, int after) {
  const int centre = centreAlongAxis(geometry());
  m_minimum = centre - before;
  m_maximum = centre + after;
}

void CSplitterControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect client = rect();
  const QPalette& colours = palette();
  // A 3-D frame (highlight top-left, shadow bottom-right), then the bar's face one pixel inside it.
  painter.setPen(colours.color(QPalette::Highlight));
  painter.drawLine(client.topLeft(), client.topRight());
  painter.drawLine(client.topLeft(), client.bottomLeft());
  painter.setPen(colours.color(QPalette::Shadow));
  painter.drawLine(client.bottomLeft(), client.bottomRight());
  painter.drawLine(client.topRight(), client.bottomRight());
  const QRect face = client.adjusted(1, 1, -1, -1);
  if (face.width() <= 0 || face.height() <= 0) return;
  painter.fillRect(face, QColor(200, 220, 220));
  painter.setPen(QColor(200, 200, 200));
  painter.drawRect(face.adjusted(0, 0, -1, -1));
}

void CSplitterControl::showLine() {
  if (m_line.isNull()) {
    m_line = new SplitterDragLine(window(), m_orientation == VerticalBar ? Qt::Vertical : Qt::Horizontal);
  }
  const QRect screen(mapToGlobal(QPoint(0, 0)), size());
  if (m_orientation == VerticalBar) {
    m_line->place(m_current.x(), screen.top(), screen.top() + screen.height());
  } else {
    m_line->place(m_current.y(), screen.left(), screen.left() + screen.width());
  }
}

void CSplitterControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  m_pressed = true;
  const QRect screen(mapToGlobal(QPoint(0, 0)), size());
  m_current = screen.center();
  if (m_orientation == VerticalBar) {
    m_current.setX(centreAlongAxis(screen));
    m_start = m_current.x();
  } else {
    m_current.setY(centreAlongAxis(screen));
    m_start = m_current.y();
  }
  showLine();
}

void CSplitterControl::mouseMoveEvent(QMouseEvent* event) {
  if (!m_pressed || parentWidget() == nullptr) return;
  QPoint point = parentWidget()->mapFromGlobal(event->globalPosition().toPoint());
  if (m_orientation == VerticalBar) {
    point.setX(std::clamp(point.x(), m_minimum, std::max(m_minimum, m_maximum)));
  } else {
    point.setY(std::clamp(point.y(), m_minimum, std::max(m_minimum, m_maximum)));
  }
  m_current = parentWidget()->mapToGlobal(point);
  showLine();
}

void CSplitterControl::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !m_pressed) return;
  if (!m_line.isNull()) m_line->hide();
  m_pressed = false;
  QWidget* owner = parentWidget();
  if (owner == nullptr) return;
  const QPoint position = owner->mapFromGlobal(m_current);
  QRect bar = geometry();
  int delta = 0;
  if (m_orientation == VerticalBar) {
    bar.moveLeft(position.x() - bar.width() / 2);
    delta = m_current.x() - m_start;
  } else {
    bar.moveTop(position.y() - bar.height() / 2);
    delta = m_current.y() - m_start;
  }
  setGeometry(bar);
  update();
  SplitterNotify notify;
  notify.header = NotifyHeader{this, m_controlId, SPLITTER_MOVED};
  notify.delta = delta;
  sendAppMessage(owner, WM_NOTIFY, m_controlId, reinterpret_cast<LPARAM>(&notify));
}

}  // namespace app
