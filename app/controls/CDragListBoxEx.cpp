#include "app/controls/CDragListBoxEx.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <algorithm>
#include <cstdlib>

#include "app/controls/AppIds.h"
#include "app/controls/DragReorder.h"
#include "app/controls/UiServices.h"
#include "app/settings/AppPaths.h"

namespace app {
namespace {

constexpr int kAutoScrollPeriodMs = 50;

// Loaded once: every move of a drag sets it.
const QCursor& dragCursor() {
  static const QCursor cursor = [] {
    const QString path = QString::fromStdString(getModuleDir() + getImagesDir()) + QStringLiteral("drag_cursor.png");
    const QPixmap image(path);
    return image.isNull() ? QCursor(Qt::DragMoveCursor) : QCursor(image, 1, 1);
  }();
  return cursor;
}

}  // namespace

CDragListBoxEx::CDragListBoxEx(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setDragEnabled(false);
  setUniformItemSizes(true);
}

CDragListBoxEx::~CDragListBoxEx() { killAutoScrollTimer(); }

int CDragListBoxEx::topIndex() const { return count() == 0 ? 0 : verticalScrollBar()->value(); }

void CDragListBoxEx::setTopIndex(int index) { verticalScrollBar()->setValue(index); }

int CDragListBoxEx::rowId(int row) const {
  const QListWidgetItem* entry = item(row);
  return entry != nullptr ? entry->data(Qt::UserRole).toInt() : 0;
}

int CDragListBoxEx::rowHeight() const {
  if (count() == 0) return 0;
  const QRect first = visualItemRect(item(0));
  return first.height() > 0 ? first.height() : sizeHintForRow(0);
}

bool CDragListBoxEx::event(QEvent* event) { return dispatchAppMessage(event, *this) || QListWidget::event(event); }

LRESULT CDragListBoxEx::onAppMessage(std::uint32_t message, WPARAM wParam, LPARAM) {
  if (message == WM_TIMER && wParam == TIMER_AUTO_SCROLL) onAutoScrollTimer();
  return 0;
}

void CDragListBoxEx::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QListWidget::mousePressEvent(event);
    return;
  }
  if (m_state == Idle) {
    m_state = Pressed;
    m_pressPoint = event->position().toPoint();
  }
  const bool modifiers = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
  m_deferredSelection = selectionMode() == QAbstractItemView::ExtendedSelection &&
                        selectionModel()->selectedIndexes().size() >= 2 && !modifiers;
  if (!m_deferredSelection) QListWidget::mousePressEvent(event);  // selects as usual
}

void CDragListBoxEx::mouseMoveEvent(QMouseEvent* event) {
  const QPoint client = event->position().toPoint();
  const QPoint screen = viewport()->mapToGlobal(client);
  if (m_state == Pressed) {
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) {
      QListWidget::mouseMoveEvent(event);
      return;
    }
    const int distance = QApplication::styleHints()->startDragDistance();
    if (std::abs(client.x() - m_pressPoint.x()) > distance || std::abs(client.y() - m_pressPoint.y()) > distance) {
      if (beginDrag(screen)) m_state = Dragging;
    }
  } else if (m_state == Dragging) {
    dragging(screen);
  }
}

bool CDragListBoxEx::beginDrag(QPoint screenPoint) {
  m_markerIndex = -1;
  m_lastTop = -1;
  m_lastDragPoint = screenPoint;
  m_state = Starting;
  // The list's own press handling ends here, so it does not go on extending the selection.
  const QPoint client = viewport()->mapFromGlobal(screenPoint);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(client), QPointF(screenPoint), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QListWidget::mouseReleaseEvent(&release);
  return true;
}

void CDragListBoxEx::dragging(QPoint screenPoint) {
  m_lastDragPoint = screenPoint;
  updateAutoScroll(screenPoint);
  updateInsertMarker(screenPoint);
  viewport()->setCursor(dragCursor());
}

void CDragListBoxEx::updateAutoScroll(QPoint screenPoint) {
  const int h = rowHeight();
  const int y = viewport()->mapFromGlobal(screenPoint).y();
  m_direction = y < h ? -1 : (y >= viewport()->height() - h ? 1 : 0);
  if (m_direction != 0 && !m_timerRunning) {
    uiServices().setTimer(this, TIMER_AUTO_SCROLL, kAutoScrollPeriodMs);
    m_timerRunning = true;
  }
}

void CDragListBoxEx::killAutoScrollTimer() {
  if (!m_timerRunning) return;
  uiServices().killTimer(this, TIMER_AUTO_SCROLL);
  m_timerRunning = false;
}

void CDragListBoxEx::hideInsertMarker() {
  if (m_markerIndex == -1) return;
  drawInsert(m_markerIndex, false);
  m_markerIndex = -1;
}

void CDragListBoxEx::onAutoScrollTimer() {
  if (m_direction == 0) return;
  const int newTop = topIndex() + m_direction;
  if (newTop == m_lastTop) return;
  hideInsertMarker();
  setTopIndex(newTop);
  updateInsertMarker(m_lastDragPoint);
  m_lastTop = newTop;
}

int CDragListBoxEx::insertIndexFromPoint(QPoint screenPoint) const {
  const int rows = count();
  if (rows == 0) return 0;
  const QPoint client = viewport()->mapFromGlobal(screenPoint + QPoint(0, rowHeight() / 2));
  const int last = rows - 1;
  const QRect lastRect = visualItemRect(item(last));
  // The row nearest to the point, and whether the point lies outside every row.
  int nearest;
  bool outside = false;
  const QModelIndex under = indexAt(QPoint(std::clamp(client.x(), 0, std::max(0, viewport()->width() - 1)), client.y()));
  if (under.isValid()) {
    nearest = under.row();
    outside = client.x() < 0 || client.x() >= viewport()->width();
  } else if (client.y() < 0) {
    nearest = topIndex();
    outside = true;
  } else {
    nearest = last;
    outside = true;
  }
  if (nearest == last && (outside || client.y() > lastRect.bottom())) return last + 1;
  return nearest;
}

void CDragListBoxEx::updateInsertMarker(QPoint screenPoint) {
  if (isSortingEnabled()) return;
  const int index = insertIndexFromPoint(screenPoint);
  if (index == m_markerIndex) return;
  if (m_markerIndex != -1) drawInsert(m_markerIndex, false);
  drawInsert(index, true);
  m_markerIndex = index;
}

void CDragListBoxEx::drawInsert(int, bool) {
  // The marker is drawn by paintEvent from the marker index; showing and hiding repaints the list.
  viewport()->update();
}

void CDragListBoxEx::paintEvent(QPaintEvent* event) {
  QListWidget::paintEvent(event);
  if (m_markerIndex < 0 || count() == 0) return;
  int y = m_markerIndex < count() ? visualItemRect(item(m_markerIndex)).top()
                                  : visualItemRect(item(count() - 1)).bottom() + 1;
  y = std::min(y, viewport()->height() - 1);
  QPainter painter(viewport());
  painter.setPen(QPen(QColor(255, 0, 0), 1, Qt::DotLine));
  painter.drawLine(0, y, viewport()->width() - 1, y);
}

void CDragListBoxEx::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint client = event->position().toPoint();
  const QPoint screen = viewport()->mapToGlobal(client);
  if (event->button() != Qt::LeftButton) {
    QListWidget::mouseReleaseEvent(event);
    return;
  }
  if (m_state == Pressed) {
    if (m_deferredSelection) {
      clearSelection();
      const QModelIndex under = indexAt(client);
      if (under.isValid()) {
        setCurrentIndex(under);
        item(under.row())->setSelected(true);
      }
    } else {
      QListWidget::mouseReleaseEvent(event);  // ends the list's own press handling
    }
    cancelDrag();
  } else if (m_state == Dragging) {
    cancelDrag();
    dropped(screen);
  } else {
    QListWidget::mouseReleaseEvent(event);
  }
}

void CDragListBoxEx::cancelDrag() {
  killAutoScrollTimer();
  hideInsertMarker();
  m_deferredSelection = false;
  m_state = Idle;
  viewport()->unsetCursor();
}

void CDragListBoxEx::abortDrag(QPoint) { cancelDrag(); }

void CDragListBoxEx::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && m_state != Idle) {
    abortDrag(QCursor::pos());
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

std::vector<int> CDragListBoxEx::selectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedIndexes()) rows.push_back(index.row());
  if (rows.empty() && selectionMode() == QAbstractItemView::SingleSelection && currentRow() >= 0) {
    rows.push_back(currentRow());
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

std::vector<CDragListBoxEx::Row> CDragListBoxEx::collectSelected() const {
  std::vector<Row> collected;
  for (int row : selectedRows()) collected.push_back(Row{item(row)->text(), rowId(row)});
  return collected;
}

void CDragListBoxEx::dropped(QPoint screenPoint) {
  if (isSortingEnabled()) return;
  moveSelectedRows(insertIndexFromPoint(screenPoint));
}

void CDragListBoxEx::moveSelectedRows(int insertIndex) {
  const int top = topIndex();
  int firstMoved = 0;
  const std::vector<int> selected = selectedRows();
  const std::vector<int> order = reorderedRows(count(), selected, insertIndex, firstMoved);
  std::vector<QListWidgetItem*> items;
  while (count() > 0) items.insert(items.begin(), takeItem(count() - 1));
  for (int oldRow : order) addItem(items[static_cast<std::size_t>(oldRow)]);
  clearSelection();
  for (std::size_t i = 0; i < selected.size(); ++i) item(firstMoved + static_cast<int>(i))->setSelected(true);
  if (!selected.empty()) {
    setCurrentRow(firstMoved, QItemSelectionModel::NoUpdate);
  }
  setTopIndex(top);
}

}  // namespace app
