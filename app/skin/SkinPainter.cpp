#include "app/skin/SkinPainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace skin {
namespace {

QImage transparentImage(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  return image;
}

QImage opaqueImage(int width, int height, QColor fill) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(fill);
  return image;
}

void triangle(QPainter& p, QPointF a, QPointF b, QPointF c) { p.drawPolygon(QPolygonF({a, b, c})); }

// The symbol inside a square box, filled with the pen colour.
void drawSymbol(QPainter& p, Symbol symbol, const QRectF& box, QColor colour) {
  const qreal x = box.x(), y = box.y(), s = box.width();
  auto at = [&](qreal fx, qreal fy) { return QPointF(x + fx * s, y + fy * s); };
  auto bar = [&](qreal fx, qreal fy, qreal fw, qreal fh) { p.drawRect(QRectF(x + fx * s, y + fy * s, fw * s, fh * s)); };
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  switch (symbol) {
    case Symbol::Open:
      triangle(p, at(0.5, 0.15), at(0.9, 0.6), at(0.1, 0.6));
      bar(0.1, 0.72, 0.8, 0.14);
      break;
    case Symbol::Play:
      triangle(p, at(0.3, 0.15), at(0.85, 0.5), at(0.3, 0.85));
      break;
    case Symbol::Pause:
      bar(0.25, 0.18, 0.17, 0.64);
      bar(0.58, 0.18, 0.17, 0.64);
      break;
    case Symbol::Stop:
      bar(0.24, 0.24, 0.52, 0.52);
      break;
    case Symbol::Slow:
      triangle(p, at(0.5, 0.2), at(0.5, 0.8), at(0.1, 0.5));
      triangle(p, at(0.9, 0.2), at(0.9, 0.8), at(0.5, 0.5));
      break;
    case Symbol::Fast:
      triangle(p, at(0.1, 0.2), at(0.1, 0.8), at(0.5, 0.5));
      triangle(p, at(0.5, 0.2), at(0.5, 0.8), at(0.9, 0.5));
      break;
    case Symbol::PreviousFrame:
      bar(0.2, 0.2, 0.12, 0.6);
      triangle(p, at(0.8, 0.2), at(0.8, 0.8), at(0.35, 0.5));
      break;
    case Symbol::NextFrame:
      triangle(p, at(0.2, 0.2), at(0.2, 0.8), at(0.65, 0.5));
      bar(0.68, 0.2, 0.12, 0.6);
      break;
    case Symbol::PreviousFile:
      bar(0.1, 0.2, 0.1, 0.6);
      triangle(p, at(0.55, 0.2), at(0.55, 0.8), at(0.2, 0.5));
      triangle(p, at(0.9, 0.2), at(0.9, 0.8), at(0.55, 0.5));
      break;
    case Symbol::NextFile:
      triangle(p, at(0.1, 0.2), at(0.1, 0.8), at(0.45, 0.5));
      triangle(p, at(0.45, 0.2), at(0.45, 0.8), at(0.8, 0.5));
      bar(0.8, 0.2, 0.1, 0.6);
      break;
    case Symbol::Snapshot: {
      QPainterPath body;
      body.addRoundedRect(QRectF(x + 0.1 * s, y + 0.3 * s, 0.8 * s, 0.52 * s), 0.08 * s, 0.08 * s);
      body.addEllipse(at(0.5, 0.56), 0.15 * s, 0.15 * s);
      body.setFillRule(Qt::OddEvenFill);
      p.drawPath(body);
      bar(0.35, 0.2, 0.3, 0.1);
      break;
    }
    case Symbol::Volume:
    case Symbol::Muted:
      bar(0.12, 0.38, 0.16, 0.24);
      triangle(p, at(0.28, 0.38), at(0.5, 0.18), at(0.5, 0.82));
      triangle(p, at(0.28, 0.38), at(0.28, 0.62), at(0.5, 0.82));
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(colour, qMax<qreal>(1.5, s * 0.08), Qt::SolidLine, Qt::RoundCap));
      if (symbol == Symbol::Volume) {
        p.drawArc(QRectF(x + 0.35 * s, y + 0.3 * s, 0.3 * s, 0.4 * s), -60 * 16, 120 * 16);
        p.drawArc(QRectF(x + 0.35 * s, y + 0.18 * s, 0.5 * s, 0.64 * s), -60 * 16, 120 * 16);
      } else {
        p.drawLine(at(0.6, 0.36), at(0.86, 0.64));
        p.drawLine(at(0.86, 0.36), at(0.6, 0.64));
      }
      break;
    case Symbol::FullScreen:
      triangle(p, at(0.1, 0.1), at(0.42, 0.1), at(0.1, 0.42));
      triangle(p, at(0.9, 0.1), at(0.58, 0.1), at(0.9, 0.42));
      triangle(p, at(0.1, 0.9), at(0.42, 0.9), at(0.1, 0.58));
      triangle(p, at(0.9, 0.9), at(0.58, 0.9), at(0.9, 0.58));
      break;
    case Symbol::Maximize: {
      QPainterPath frame;
      frame.addRect(QRectF(x + 0.18 * s, y + 0.18 * s, 0.64 * s, 0.64 * s));
      frame.addRect(QRectF(x + 0.28 * s, y + 0.36 * s, 0.44 * s, 0.36 * s));
      frame.setFillRule(Qt::OddEvenFill);
      p.drawPath(frame);
      break;
    }
    case Symbol::Minimize:
      bar(0.2, 0.62, 0.6, 0.14);
      break;
    case Symbol::Close:
      p.setPen(QPen(colour, qMax<qreal>(1.5, s * 0.14), Qt::SolidLine, Qt::RoundCap));
      p.drawLine(at(0.25, 0.25), at(0.75, 0.75));
      p.drawLine(at(0.75, 0.25), at(0.25, 0.75));
      break;
    case Symbol::Settings:
      bar(0.15, 0.2, 0.7, 0.12);
      bar(0.15, 0.44, 0.7, 0.12);
      bar(0.15, 0.68, 0.7, 0.12);
      break;
    case Symbol::ExpandOpen:
      triangle(p, at(0.75, 0.25), at(0.75, 0.75), at(0.25, 0.5));
      break;
    case Symbol::ExpandClose:
      triangle(p, at(0.25, 0.25), at(0.25, 0.75), at(0.75, 0.5));
      break;
    case Symbol::Add:
      bar(0.42, 0.15, 0.16, 0.7);
      bar(0.15, 0.42, 0.7, 0.16);
      break;
    case Symbol::Delete:
      bar(0.15, 0.42, 0.7, 0.16);
      break;
    case Symbol::Mode:
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(colour, qMax<qreal>(1.5, s * 0.12)));
      p.drawArc(QRectF(x + 0.18 * s, y + 0.22 * s, 0.64 * s, 0.56 * s), 30 * 16, 300 * 16);
      p.setPen(Qt::NoPen);
      p.setBrush(colour);
      triangle(p, at(0.68, 0.12), at(0.92, 0.34), at(0.64, 0.42));
      break;
    case Symbol::Clear:
      bar(0.2, 0.25, 0.6, 0.1);
      bar(0.26, 0.4, 0.48, 0.45);
      bar(0.4, 0.15, 0.2, 0.1);
      break;
    case Symbol::Select:
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(colour, qMax<qreal>(1.5, s * 0.12)));
      p.drawEllipse(QRectF(x + 0.15 * s, y + 0.15 * s, 0.45 * s, 0.45 * s));
      p.setPen(QPen(colour, qMax<qreal>(2.0, s * 0.16), Qt::SolidLine, Qt::RoundCap));
      p.drawLine(at(0.58, 0.58), at(0.85, 0.85));
      break;
  }
}

struct FrameLook {
  QColor background;  // transparent for a bare symbol
  QColor symbol;
};

FrameLook pushLook(int frame) {
  switch (frame) {
    case 1: return {QColor(62, 65, 72), QColor(255, 255, 255)};
    case 2: return {kAccent, QColor(255, 255, 255)};
    case 3: return {QColor(40, 41, 46), QColor(85, 88, 95)};
    default: return {QColor(46, 48, 54), QColor(190, 195, 205)};
  }
}

void verticalGradient(QImage& image, QColor top, QColor bottom) {
  QPainter p(&image);
  QLinearGradient gradient(0, 0, 0, image.height());
  gradient.setColorAt(0, top);
  gradient.setColorAt(1, bottom);
  p.fillRect(image.rect(), gradient);
}

}  // namespace

QImage buttonStrip(Symbol symbol, int frameWidth, int frameHeight, ButtonShape shape, bool toggle) {
  QImage strip = transparentImage(frameWidth * 4, frameHeight);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  for (int frame = 0; frame < 4; ++frame) {
    // The sound button's frames: 0 off, 1 on (muted), 2 hover, 3 disabled.
    const int lookFrame = toggle ? (frame == 1 ? 0 : frame == 2 ? 1 : frame) : frame;
    const FrameLook look = pushLook(lookFrame);
    const QRectF cell(frame * frameWidth, 0, frameWidth, frameHeight);
    const QRectF inner = cell.adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(look.background);
    if (shape == ButtonShape::Round) {
      p.drawEllipse(inner);
    } else if (shape == ButtonShape::Rounded) {
      p.drawRoundedRect(inner, 4, 4);
    } else {
      p.drawRoundedRect(inner, 3, 3);
    }
    const qreal side = qMin(cell.width(), cell.height()) * (shape == ButtonShape::Round ? 0.5 : 0.66);
    const QRectF box(cell.center().x() - side / 2, cell.center().y() - side / 2, side, side);
    const Symbol shown = toggle && frame == 1 ? Symbol::Muted : symbol;
    drawSymbol(p, shown, box, look.symbol);
  }
  return strip;
}

QImage mainFramePiece(Piece piece, int width, int height) {
  QImage image = opaqueImage(width, height, kFrame);
  const bool top = piece == Piece::TopLeft || piece == Piece::Top || piece == Piece::TopRight;
  const bool bottom = piece == Piece::BottomLeft || piece == Piece::Bottom || piece == Piece::BottomRight;
  if (piece == Piece::Middle) {
    image.fill(kVideo);
    return image;
  }
  if (top) verticalGradient(image, QColor(44, 46, 52), QColor(32, 33, 37));
  if (bottom) verticalGradient(image, QColor(34, 35, 40), QColor(26, 27, 30));
  QPainter p(&image);
  p.setPen(kBorder);
  const int right = width - 1, lowest = height - 1;
  if (top) p.drawLine(0, 0, right, 0);
  if (bottom) p.drawLine(0, lowest, right, lowest);
  if (piece == Piece::TopLeft || piece == Piece::Left || piece == Piece::BottomLeft) p.drawLine(0, 0, 0, lowest);
  if (piece == Piece::TopRight || piece == Piece::Right || piece == Piece::BottomRight) p.drawLine(right, 0, right, lowest);
  return image;
}

QImage listFramePiece(Piece piece, int width, int height) {
  QImage image = opaqueImage(width, height, kPanel);
  if (piece == Piece::TopLeft || piece == Piece::Top || piece == Piece::TopRight) {
    verticalGradient(image, QColor(44, 46, 52), QColor(35, 36, 40));
  }
  QPainter p(&image);
  p.setPen(kShadow);
  const int right = width - 1, lowest = height - 1;
  if (piece == Piece::TopLeft || piece == Piece::Left || piece == Piece::BottomLeft) p.drawLine(0, 0, 0, lowest);
  if (piece == Piece::TopRight || piece == Piece::Right || piece == Piece::BottomRight) p.drawLine(right, 0, right, lowest);
  if (piece == Piece::BottomLeft || piece == Piece::Bottom || piece == Piece::BottomRight) p.drawLine(0, lowest, right, lowest);
  return image;
}

QImage playControlBar(int width, int height) {
  QImage image = opaqueImage(width, height, kFrame);
  verticalGradient(image, QColor(34, 35, 40), QColor(26, 27, 30));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(kBorder, 1));
  p.setBrush(QColor(38, 40, 45));
  p.drawRoundedRect(QRectF(1.5, 26.5, width - 3, height - 31), 8, 8);
  p.setPen(kBorder);
  p.drawLine(0, height - 1, width - 1, height - 1);
  return image;
}

QImage logo(int width, int height) {
  QImage image = opaqueImage(width, height, kVideo);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal radius = height * 0.4;
  const QPointF centre(height * 0.5, height * 0.5);
  p.setPen(QPen(kAccent, 4));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(centre, radius, radius);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(190, 195, 205));
  triangle(p, centre + QPointF(-radius * 0.35, -radius * 0.5), centre + QPointF(radius * 0.55, 0),
           centre + QPointF(-radius * 0.35, radius * 0.5));
  // A film strip beside the circle.
  const qreal left = height * 1.05;
  p.setBrush(QColor(60, 63, 70));
  p.drawRoundedRect(QRectF(left, height * 0.3, width - left - 8, height * 0.4), 4, 4);
  p.setBrush(kVideo);
  for (qreal hole = left + 6; hole + 8 < width - 8; hole += 14) {
    p.drawRect(QRectF(hole, height * 0.34, 8, height * 0.07));
    p.drawRect(QRectF(hole, height * 0.59, 8, height * 0.07));
  }
  return image;
}

QImage sliderChannel(int width, int height, bool filled) {
  QImage image = opaqueImage(width, height, kFrame);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(filled ? kAccent : QColor(58, 60, 66));
  const qreal groove = 6;
  p.drawRoundedRect(QRectF(2, (height - groove) / 2, width - 4, groove), 3, 3);
  return image;
}

QImage sliderThumb(int frameWidth, int height) {
  QImage image = opaqueImage(frameWidth * 3, height, kFrame);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor faces[3] = {QColor(210, 214, 222), QColor(120, 170, 230), QColor(255, 255, 255)};
  for (int frame = 0; frame < 3; ++frame) {
    p.setPen(Qt::NoPen);
    p.setBrush(faces[frame]);
    p.drawEllipse(QRectF(frame * frameWidth + 0.5, 0.5, frameWidth - 1, height - 1));
  }
  return image;
}

QImage appIcon(int size) {
  QImage image = transparentImage(size, size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(kAccent);
  p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size * 0.2, size * 0.2);
  drawSymbol(p, Symbol::Play, QRectF(size * 0.15, size * 0.15, size * 0.7, size * 0.7), QColor(255, 255, 255));
  return image;
}

QImage dragCursor(int size) {
  QImage image = transparentImage(size, size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // An arrow with its tip at (1, 1) and a small list page below it.
  QPolygonF arrow({QPointF(1, 1), QPointF(1, 17), QPointF(5, 13), QPointF(8, 20), QPointF(11, 19), QPointF(8, 12),
                   QPointF(13, 12)});
  p.setPen(QPen(QColor(0, 0, 0), 1));
  p.setBrush(QColor(255, 255, 255));
  p.drawPolygon(arrow);
  p.setBrush(QColor(46, 48, 54));
  p.setPen(QPen(QColor(190, 195, 205), 1));
  p.drawRect(QRectF(12.5, 18.5, 14, 10));
  p.setPen(QPen(kAccent, 1));
  p.drawLine(QPointF(15, 22), QPointF(24, 22));
  p.drawLine(QPointF(15, 25), QPointF(24, 25));
  return image;
}

}  // namespace skin
