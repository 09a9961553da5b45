#pragma once
#include <QListWidget>
#include <cstdint>
#include <vector>

#include "app/controls/AppMessage.h"
#include "app/controls/RuntimeClass.h"

namespace app {

// A list box whose rows the user reorders by dragging, several selected rows at once: a press arms
// the drag, a move past the drag distance starts it, an insertion line follows the pointer, holding the
// pointer near the top or bottom edge scrolls one row every 50 ms, a release drops the rows before the
// marked row, and Escape cancels. Rows show text and carry an id (item data, Qt::UserRole).
// Run-time class "CDragListBoxEx".
class CDragListBoxEx : public QListWidget, public RuntimeClass, public AppMessageHandler {
 public:
  enum DragState { Idle = 0, Pressed = 1, Starting = 2, Dragging = 3 };

  struct Row {
    QString text;
    int id = 0;
  };

  explicit CDragListBoxEx(QWidget* parent = nullptr);
  ~CDragListBoxEx() override;

  const char* runtimeClassName() const override { return "CDragListBoxEx"; }

  DragState dragState() const { return m_state; }
  int markerIndex() const { return m_markerIndex; }
  int autoScrollDirection() const { return m_direction; }
  bool isSelectionDeferred() const { return m_deferredSelection; }
  int topIndex() const;
  void setTopIndex(int index);
  int rowId(int row) const;

  // The row before which a drop at the screen point would insert (the row count behind the last row).
  int insertIndexFromPoint(QPoint screenPoint) const;

  LRESULT onAppMessage(std::uint32_t message, WPARAM wParam, LPARAM lParam) override;

 protected:
  virtual bool beginDrag(QPoint screenPoint);
  virtual void abortDrag(QPoint screenPoint);
  virtual void dragging(QPoint screenPoint);
  virtual void dropped(QPoint screenPoint);
  virtual void cancelDrag();
  virtual void drawInsert(int index, bool show);

  // The selected rows in ascending order, and the same with their texts and ids.
  std::vector<int> selectedRows() const;
  std::vector<Row> collectSelected() const;
  // Reorders the rows as a drop of the selected rows before `insertIndex`, selecting the moved rows and
  // keeping the top row in view.
  void moveSelectedRows(int insertIndex);
  void updateAutoScroll(QPoint screenPoint);
  void updateInsertMarker(QPoint screenPoint);
  void killAutoScrollTimer();
  void hideInsertMarker();
  QPoint lastDragPoint() const { return m_lastDragPoint; }

  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void onAutoScrollTimer();
  int rowHeight() const;

  DragState m_state = Idle;
  QPoint m_pressPoint;
  int m_direction = 0;
  bool m_timerRunning = false;
  bool m_deferredSelection = false;
  int m_markerIndex = -1;
  int m_lastTop = -1;
  QPoint m_lastDragPoint;
};

}  // namespace app
