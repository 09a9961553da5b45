#include "platform/qt/QtVideoWidget.h"

#include <QPainter>
#include <QResizeEvent>

#include "platform/qt/QtWindowSystem.h"

namespace platform {

QtVideoWidget::QtVideoWidget(QWidget* parent)
    : QWidget(parent), m_pBack(std::make_shared<QtBackBuffer>(width(), height())) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_hWnd = QtWindowSystem::instance().registerWidget(this, nullptr, m_pBack);
}

QtVideoWidget::~QtVideoWidget() { QtWindowSystem::instance().unregisterWidget(m_hWnd); }

void QtVideoWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  m_pBack->paint(painter);
}

void QtVideoWidget::resizeEvent(QResizeEvent* event) { m_pBack->resize(event->size().width(), event->size().height()); }

}  // namespace platform
