#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>

namespace app {

// Where every control of the main window goes for a client size: fixed pixel offsets from the client
// edges. A pure function of its inputs, so the whole table can be checked without a window.
struct MainWindowLayout {
  static constexpr int kTopStrip = 25;
  static constexpr int kBottomStrip = 76;
  static constexpr int kSideMargin = 10;
  static constexpr int kSplitterWidth = 2;
  static constexpr int kDefaultListWidth = 175;
  static constexpr int kButtonCount = 18;

  struct ButtonPlace {
    std::uint32_t id;
    QPoint topLeft;
  };

  // Rectangles as from (left, top) to (right, bottom) with right and bottom excluded.
  QRect seekSlider;
  QRect volumeSlider;
  QRect video;
  QRect list;      // empty while the list is hidden
  QRect splitter;  // empty while the list is hidden
  std::array<ButtonPlace, kButtonCount> buttons{};

  // `listWidth` is the width the user left the list at (the splitter moves it); it is kept within the
  // client area so that the video window never gets a negative width.
  static MainWindowLayout compute(QSize client, bool listShown, int listWidth = kDefaultListWidth);
  // The list width actually used for a client width.
  static int clampListWidth(int clientWidth, int listWidth);

  // The frameless window's sizing frame: the edges that a press at `point` (client coordinates)
  // drags, none inside the frame. The corners take the `kResizeCorner` pixels next to them on either
  // edge, so that they are easy to catch.
  static constexpr int kResizeBorder = 5;
  static constexpr int kResizeCorner = 12;
  static Qt::Edges resizeEdgesAt(QSize client, QPoint point);
  QPoint buttonPosition(std::uint32_t id) const;
};

// (left, top, right, bottom) with right and bottom excluded, as the window system's rectangles.
QRect rectFromEdges(int left, int top, int right, int bottom);

}  // namespace app
