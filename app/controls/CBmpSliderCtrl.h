#pragma once
#include <QImage>
#include <QRect>
#include <QWidget>
#include <cstdint>

class QPainter;

namespace app {

// A horizontal trackbar drawn from bitmaps: the channel left of the thumb from the filled-channel
// bitmap, the rest from the channel bitmap (8-pixel caps unscaled, the middle stretched), and a thumb
// of three frames side by side (0 normal, 1 pressed). A click on the channel moves the thumb straight
// to the clicked value; a press on the thumb drags it. The parent hears of every mouse move
// (WM_USER + 12000) and every left press (WM_USER + 12001), lParam pointing at the screen point, and
// of the release through WM_NOTIFY NM_RELEASEDCAPTURE. The control repaints only when its position,
// range, bitmaps or pressed state change, and never takes the keyboard focus.
class CBmpSliderCtrl : public QWidget {
 public:
  explicit CBmpSliderCtrl(QWidget* parent = nullptr, std::uint32_t controlId = 0);

  std::uint32_t controlId() const { return m_controlId; }

  void setChannelBitmap(const QImage& image);
  void setFilledChannelBitmap(const QImage& image);
  void setThumbBitmap(const QImage& image);
  void setThumbTop(int top);
  const QImage& channelBitmap() const { return m_channel; }

  void setRange(int minimum, int maximum, bool redraw = true);
  int minimum() const { return m_minimum; }
  int maximum() const { return m_maximum; }
  void setPos(int position, bool redraw = true);
  int pos() const { return m_position; }
  void setPageSize(int size) { m_pageSize = size; }
  int pageSize() const { return m_pageSize; }
  bool isThumbPressed() const { return m_thumbPressed; }

  // Thumb rectangle in client coordinates: one thumb frame wide, the bitmap's height, at the thumb
  // top; its left edge runs from 0 (minimum) to width - frame width (maximum).
  QRect thumbRect() const;
  // The value a click at client x aims at: minimum + (maximum - minimum) * x / width.
  int valueAt(int x) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int thumbFrameWidth() const;
  void drawChannel(QPainter& painter) const;
  void drawThumb(QPainter& painter) const;
  void sendMouse(std::uint32_t message, const QMouseEvent* event);
  void moveThumbTo(int x);

  std::uint32_t m_controlId;
  QImage m_channel;
  QImage m_filled;
  QImage m_thumb;
  int m_thumbTop = 0;
  int m_minimum = 0;
  int m_maximum = 100;
  int m_position = 0;
  int m_pageSize = 0;
  bool m_thumbPressed = false;
  int m_grabOffset = 0;  // pointer x minus thumb left while dragging
};

}  // namespace app
