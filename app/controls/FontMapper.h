#pragma once
#include <QFont>
#include <QString>

namespace app {

// The windows name Windows font faces ("宋体", "Tahoma", "MS Shell Dlg"); these give the installed
// family that stands in for each, so that Chinese captions render (a CJK family for "宋体").
class FontMapper {
 public:
  // The installed family for a face; the face itself when it is installed or nothing better is known.
  static QString family(const QString& face);
  // A font of the face at a size in points.
  static QFont pointFont(const QString& face, int points);
  // A font of the face whose character height is `pixels`.
  static QFont pixelFont(const QString& face, int pixels);
};

}  // namespace app
