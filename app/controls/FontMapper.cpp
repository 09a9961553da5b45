#include "app/controls/FontMapper.h"

#include <QFontDatabase>
#include <QStringList>

namespace app {
namespace {

QStringList candidates(const QString& face) {
  static const QString kSongTi = QString::fromUtf8("宋体");
  if (face == kSongTi || face.compare(QLatin1String("SimSun"), Qt::CaseInsensitive) == 0) {
    return {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Zen Hei Sharp"),
            QStringLiteral("Noto Sans CJK SC"), QStringLiteral("AR PL UMing CN"), QStringLiteral("Droid Sans Fallback")};
  }
  if (face.compare(QLatin1String("Tahoma"), Qt::CaseInsensitive) == 0 ||
      face.compare(QLatin1String("MS Shell Dlg"), Qt::CaseInsensitive) == 0 ||
      face.compare(QLatin1String("MS Shell Dlg 2"), Qt::CaseInsensitive) == 0) {
    return {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Noto Sans"),
            QStringLiteral("WenQuanYi Zen Hei")};
  }
  return {};
}

}  // namespace

QString FontMapper::family(const QString& face) {
  const QStringList installed = QFontDatabase::families();
  if (installed.contains(face, Qt::CaseInsensitive)) return face;
  for (const QString& candidate : candidates(face)) {
    if (installed.contains(candidate, Qt::CaseInsensitive)) return candidate;
  }
  return face;
}

QFont FontMapper::pointFont(const QString& face, int points) {
  QFont font(family(face));
  font.setPointSize(points);
  return font;
}

QFont FontMapper::pixelFont(const QString& face, int pixels) {
  QFont font(family(face));
  font.setPixelSize(pixels);
  return font;
}

}  // namespace app
