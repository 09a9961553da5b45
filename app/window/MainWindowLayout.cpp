#include "app/window/MainWindowLayout.h"

#include <algorithm>

#include "app/controls/AppIds.h"

namespace app {

QRect rectFromEdges(int left, int top, int right, int bottom) {
  return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

int MainWindowLayout::clampListWidth(int clientWidth, int listWidth) {
  // The video window keeps at least the side margin plus the splitter's width.
  const int widest = std::max(0, clientWidth - 2 * kSideMargin - kSplitterWidth);
  return std::clamp(listWidth, std::min(kSideMargin, widest), widest);
}

MainWindowLayout MainWindowLayout::compute(QSize client, bool listShown, int listWidth) {
  MainWindowLayout layout;
  const int right = client.width();
  const int bottom = client.height();
  const int width = clampListWidth(right, listWidth);
  layout.seekSlider = rectFromEdges(148, bottom - 63, right - 7, bottom - 45);
  layout.volumeSlider = rectFromEdges(right - 100, bottom - 35, right - 21, bottom - 19);
  if (listShown) {
    layout.video = rectFromEdges(kSideMargin, kTopStrip, right - (width + kSplitterWidth), bottom - kBottomStrip);
    layout.list = rectFromEdges(right - width, kTopStrip, right - 9, bottom - kBottomStrip);
    layout.splitter = rectFromEdges(right - width - kSplitterWidth, kTopStrip, right - width, bottom - kBottomStrip);
  } else {
    layout.video = rectFromEdges(kSideMargin, kTopStrip, right - kSideMargin, bottom - kBottomStrip);
  }
  layout.buttons = {{
      {IDC_SNAPSHOT, {28, bottom - 44}},
      {IDC_OPEN, {50, bottom - 68}},
      {IDC_PLAY, {75, bottom - 46}},
      {IDC_PAUSE, {75, bottom - 46}},
      {IDC_STOP, {122, bottom - 43}},
      {IDC_PREVIOUS_FRAME, {185, bottom - 40}},
      {IDC_NEXT_FRAME, {215, bottom - 40}},
      {IDC_SLOW, {245, bottom - 40}},
      {IDC_FAST, {275, bottom - 40}},
      {IDC_PREVIOUS_FILE, {305, bottom - 40}},
      {IDC_NEXT_FILE, {335, bottom - 40}},
      {IDC_SOUND, {right - 135, bottom - 40}},
      {IDC_SETTINGS, {right - 120, 3}},
      {IDC_FULLSCREEN, {right - 90, 3}},
      {IDC_MAXIMIZE, {right - 70, 3}},
      {IDC_MINIMIZE, {right - 50, 3}},
      {IDC_CLOSE, {right - 30, 3}},
      {IDC_EXPAND, {right - 7, bottom / 2 - 45}},
  }};
  return layout;
}

QPoint MainWindowLayout::buttonPosition(std::uint32_t id) const {
  for (const ButtonPlace& place : buttons) {
    if (place.id == id) return place.topLeft;
  }
  return QPoint();
}

Qt::Edges MainWindowLayout::resizeEdgesAt(QSize client, QPoint point) {
  const int x = point.x(), y = point.y(), w = client.width(), h = client.height();
  if (x < 0 || y < 0 || x >= w || y >= h) return {};
  const bool nearLeft = x < kResizeBorder, nearRight = x >= w - kResizeBorder;
  const bool nearTop = y < kResizeBorder, nearBottom = y >= h - kResizeBorder;
  if (!nearLeft && !nearRight && !nearTop && !nearBottom) return {};
  Qt::Edges edges;
  if (nearLeft || ((nearTop || nearBottom) && x < kResizeCorner)) edges |= Qt::LeftEdge;
  if (nearRight || ((nearTop || nearBottom) && x >= w - kResizeCorner)) edges |= Qt::RightEdge;
  if (nearTop || ((nearLeft || nearRight) && y < kResizeCorner)) edges |= Qt::TopEdge;
  if (nearBottom || ((nearLeft || nearRight) && y >= h - kResizeCorner)) edges |= Qt::BottomEdge;
  return edges;
}

}  // namespace app
