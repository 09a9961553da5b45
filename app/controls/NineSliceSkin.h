#pragma once
#include <QImage>
#include <QRect>
#include <QString>
#include <array>

class QPainter;

namespace app {

// A background of nine bitmaps: four corners at their own size, four edges stretched along the sides,
// the middle stretched over the rest. A piece that did not load is not drawn and counts as 0 x 0.
class NineSliceSkin {
 public:
  enum Piece { TopLeft, Top, TopRight, Left, Right, BottomLeft, Bottom, BottomRight, Middle, PieceCount };

  // Loads the nine files `folder` + `prefix` + "left_top_bkimg.bmp" and so on.
  void load(const QString& folder, const QString& prefix);
  const QImage& piece(Piece piece) const { return m_pieces[piece]; }

  void paint(QPainter& painter, const QRect& area) const;

 private:
  std::array<QImage, PieceCount> m_pieces;
};

}  // namespace app
