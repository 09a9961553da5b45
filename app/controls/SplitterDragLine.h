#pragma once
#include <QWidget>

namespace app {

// The double line that follows the pointer while the splitter bar is dragged: two 1-pixel lines two
// pixels apart, drawn over the splitter's top-level window.
class SplitterDragLine : public QWidget {
 public:
  SplitterDragLine(QWidget* topLevel, Qt::Orientation lines);
  // Places the pair centred on a screen position: x for vertical lines (from top to bottom screen y),
  // y for horizontal lines (from left to right screen x).
  void place(int centre, int from, int to);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Qt::Orientation m_lines;
};

}  // namespace app
