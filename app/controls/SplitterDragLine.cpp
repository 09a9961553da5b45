#include "app/controls/SplitterDragLine.h"

#include <QPainter>

namespace app {

SplitterDragLine::SplitterDragLine(QWidget* topLevel, Qt::Orientation lines) : QWidget(topLevel), m_lines(lines) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  hide();
}

void SplitterDragLine::place(int centre, int from, int to) {
  QWidget* top = parentWidget();
  const QRect screenRect = m_lines == Qt::Vertical ? QRect(centre - 1, from, 3, to - from) : QRect(from, centre - 1, to - from, 3);
  setGeometry(QRect(top->mapFromGlobal(screenRect.topLeft()), screenRect.size()));
  raise();
  show();
  update();
}

void SplitterDragLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QColor(200, 200, 200));
  if (m_lines == Qt::Vertical) {
    painter.drawLine(0, 0, 0, height() - 1);
    painter.drawLine(2, 0, 2, height() - 1);
  } else {
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, 2, width() - 1, 2);
  }
}

}  // namespace app
