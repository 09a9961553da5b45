#include "app/playback/CPlayerWnd.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "app/controls/AppIds.h"
#include "app/controls/AppMessage.h"
#include "app/controls/FontMapper.h"
#include "app/playback/IVideoWindowRegistrar.h"
#include "app/settings/AppPaths.h"

namespace app {
namespace {
IVideoWindowRegistrar* g_registrar = nullptr;
}

void CPlayerWnd::setWindowRegistrar(IVideoWindowRegistrar* registrar) { g_registrar = registrar; }

CPlayerWnd::CPlayerWnd(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  loadSkinBitmaps();
  createStatusTexts();
  if (g_registrar != nullptr) m_windowId = g_registrar->registerVideoWindow(this);
}

CPlayerWnd::~CPlayerWnd() {
  if (g_registrar != nullptr && m_windowId != 0) g_registrar->unregisterVideoWindow(m_windowId);
}

void CPlayerWnd::loadSkinBitmaps() {
  // From the program's folder, as every other data file: the working folder may be anywhere.
  const QString folder = QString::fromStdString(getModuleDir() + getImagesDir());
  m_background = QImage(folder + QStringLiteral("middle_bkimg.bmp"));
  m_logo = QImage(folder + QStringLiteral("middle_logo.bmp"));
}

void CPlayerWnd::createStatusTexts() {
  const QFont font = FontMapper::pixelFont(QString::fromUtf8("宋体"), 12);
  QLabel** texts[] = {&m_stateText, &m_timeText, &m_frameText};
  const std::uint32_t ids[] = {IDC_STATE_TEXT, IDC_TIME_TEXT, IDC_FRAME_TEXT};
  for (int i = 0; i < 3; ++i) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::number(ids[i]));
    label->setFont(font);
    // White text on a transparent background over the skin; presses fall through to the window.
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, QColor(255, 255, 255));
    label->setPalette(colours);
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setGeometry(0, 0, 0, 0);
    label->show();
    *texts[i] = label;
  }
}

void CPlayerWnd::setFrameText(const QString& text) {
  if (m_frameText != nullptr) m_frameText->setText(text);
}

QRect CPlayerWnd::videoRect() const { return QRect(0, 0, width(), std::max(0, height() - kStatusStripHeight)); }

void CPlayerWnd::layoutStatusTexts() {
  const int right = width(), bottom = height();
  if (m_stateText != nullptr) m_stateText->setGeometry(5, bottom - 15, 90, 15);
  if (m_timeText != nullptr) m_timeText->setGeometry(right - 120, bottom - 15, 115, 15);
  if (m_frameText != nullptr && width() > 215) m_frameText->setGeometry(right - 265, bottom - 15, 115, 15);
}

void CPlayerWnd::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutStatusTexts();
}

void CPlayerWnd::paintBackground(QPainter& painter) const {
  // Composed off screen and copied in one block.
  QImage canvas(size(), QImage::Format_RGB32);
  canvas.fill(Qt::black);
  {
    QPainter memory(&canvas);
    if (!m_background.isNull()) memory.drawImage(canvas.rect(), m_background);
    if (!m_logo.isNull()) memory.drawImage((width() - m_logo.width()) / 2, (height() - m_logo.height()) / 2, m_logo);
  }
  painter.drawImage(0, 0, canvas);
}

void CPlayerWnd::paintSeparator(QPainter& painter) const {
  painter.setPen(QPen(QColor(51, 51, 51), 1));
  const int y = height() - 17;
  painter.drawLine(-2, y, width() + 2, y);
}

void CPlayerWnd::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paintBackground(painter);
  if (g_registrar != nullptr && m_windowId != 0) g_registrar->paintVideo(m_windowId, painter, videoRect());
  paintSeparator(painter);
}

void CPlayerWnd::mousePressEvent(QMouseEvent* event) {
  const QPoint screen = event->globalPosition().toPoint();
  const WPARAM keys = mouseKeyFlags(event->buttons(), event->modifiers());
  if (event->button() == Qt::LeftButton) {
    sendAppMessage(parentWidget(), WM_LBUTTONDOWN, keys, packPoint(screen));
  } else if (event->button() == Qt::RightButton) {
    sendMouseMessage(parentWidget(), WM_VIDEO_CONTEXT_MENU, keys, screen);
  }
  event->accept();  // the parent has been told; the press goes no further
}

void CPlayerWnd::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    sendMouseMessage(parentWidget(), WM_VIDEO_DOUBLE_CLICK, mouseKeyFlags(event->buttons(), event->modifiers()),
                     event->globalPosition().toPoint());
    event->accept();
  } else {
    mousePressEvent(event);  // a right double click is a second right press
  }
}

}  // namespace app
