#include "app/controls/NineSliceSkin.h"

#include <QPainter>

namespace app {
namespace {
const char* const kNames[NineSliceSkin::PieceCount] = {
    "left_top_bkimg.bmp",    "top_middle_bkimg.bmp",    "right_top_bkimg.bmp",
    "left_middle_bkimg.bmp", "right_middle_bkimg.bmp",  "left_bottom_bkimg.bmp",
    "bottom_middle_bkimg.bmp", "right_bottom_bkimg.bmp", "middle_bkimg.bmp"};
}

void NineSliceSkin::load(const QString& folder, const QString& prefix) {
  for (int piece = 0; piece < PieceCount; ++piece) {
    m_pieces[static_cast<std::size_t>(piece)] = QImage(folder + prefix + QLatin1String(kNames[piece]));
  }
}

void NineSliceSkin::paint(QPainter& painter, const QRect& area) const {
  auto w = [this](Piece p) { return m_pieces[p].width(); };
  auto h = [this](Piece p) { return m_pieces[p].height(); };
  auto draw = [&](Piece p, const QRect& target) {
    if (!m_pieces[p].isNull() && target.width() > 0 && target.height() > 0) painter.drawImage(target, m_pieces[p]);
  };
  const int left = area.left(), top = area.top();
  const int right = area.left() + area.width(), bottom = area.top() + area.height();  // one past the edge
  draw(TopLeft, QRect(left, top, w(TopLeft), h(TopLeft)));
  draw(TopRight, QRect(right - w(TopRight), top, w(TopRight), h(TopRight)));
  draw(BottomLeft, QRect(left, bottom - h(BottomLeft), w(BottomLeft), h(BottomLeft)));
  draw(BottomRight, QRect(right - w(BottomRight), bottom - h(BottomRight), w(BottomRight), h(BottomRight)));
  draw(Top, QRect(left + w(TopLeft), top, right - w(TopRight) - left - w(TopLeft), h(Top)));
  draw(Left, QRect(left, top + h(TopLeft), w(Left), bottom - h(BottomLeft) - top - h(TopLeft)));
  draw(Right, QRect(right - w(Right), top + h(TopRight), w(Right), bottom - h(BottomRight) - top - h(TopRight)));
  draw(Bottom, QRect(left + w(BottomLeft), bottom - h(Bottom), right - w(BottomRight) - left - w(BottomLeft), h(Bottom)));
  draw(Middle, QRect(left + w(Left), top + h(Top), right - w(Right) - left - w(Left), bottom - h(Bottom) - top - h(Top)));
}

}  // namespace app
