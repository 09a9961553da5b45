#pragma once
#include <QPointer>
#include <QWidget>
#include <cstdint>

#include "app/controls/AppMessage.h"

namespace app {

class SplitterDragLine;

// The notification the splitter sends to its owner on release (WM_NOTIFY, code SPLITTER_MOVED).
struct SplitterNotify {
  NotifyHeader header;
  int delta = 0;  // release position minus start position along the moving axis, in pixels
};

// A five-pixel bar between two panes that the user drags. While dragging a double line follows the
// pointer within the allowed range; on release the bar moves there and tells its owner (the parent)
// by how many pixels it moved.
class CSplitterControl : public QWidget {
 public:
  enum Orientation { VerticalBar = 1, HorizontalBar = 2 };
  static constexpr int kThickness = 5;

  explicit CSplitterControl(QWidget* parent = nullptr);
  ~CSplitterControl() override;

  // Places the bar over a rectangle of the parent's client area: a vertical bar (moving sideways) when
  // the rectangle is narrower than high, else a horizontal one; its thickness becomes 5 pixels. Id
  // 1030; the range starts as (0, 0), so the bar cannot move until the owner sets one.
  void create(const QRect& rect, QWidget* parent);
  // Allowed positions of the bar's centre: from centre - before to centre + after (parent coordinates).
  void setRange(int before, int after);

  Orientation orientation() const { return m_orientation; }
  int rangeMinimum() const { return m_minimum; }
  int rangeMaximum() const { return m_maximum; }
  bool isPressed() const { return m_pressed; }
  std::uint32_t controlId() const { return m_controlId; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int centreAlongAxis(const QRect& rect) const;
  void showLine();

  bool m_pressed = false;
  Orientation m_orientation = VerticalBar;
  QPoint m_current;  // drag line position, screen coordinates
  int m_minimum = 0;
  int m_maximum = 0;
  int m_start = 0;  // position along the moving axis (screen) when the drag began
  std::uint32_t m_controlId = 1030;
  QPointer<SplitterDragLine> m_line;
};

}  // namespace app
