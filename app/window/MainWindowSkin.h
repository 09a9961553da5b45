#pragma once
#include <QImage>
#include <QRect>

#include "app/controls/NineSliceSkin.h"

class QPainter;

namespace app {

class CKXMediaPlayerDlg;

// The main window's look: the nine-slice background, the play-control bar, the 17 button strips, the
// expand button's two images and the sliders' bitmaps, all found through the executable's folder. A
// file that does not load leaves its piece out.
class MainWindowSkin {
 public:
  void loadBackground();
  void loadButtonImages(CKXMediaPlayerDlg& dialog);
  void updateExpandButton(CKXMediaPlayerDlg& dialog);
  void initSliders(CKXMediaPlayerDlg& dialog);

  // The background over the client rectangle, widened by one pixel to either side.
  void paint(QPainter& painter, const QRect& client) const;

  const NineSliceSkin& background() const { return m_background; }
  const QImage& playControlBar() const { return m_playControlBar; }

 private:
  NineSliceSkin m_background;
  QImage m_playControlBar;
};

}  // namespace app
