// Writes the player's skin images into a folder (the build's "mplayerstyle/images"): the frame and
// list-panel bitmaps, the logo, the slider bitmaps, the button strips (in "btn/"), the icon and the
// drag cursor. Usage: kxskingen OUTPUT_FOLDER
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/skin/SkinPainter.h"

using namespace skin;

namespace {

struct Output {
  const char* name;  // relative to the images folder
  std::function<QImage()> make;
};

std::vector<Output> outputs() {
  auto frame = [](Piece piece, int w, int h) { return [=] { return mainFramePiece(piece, w, h); }; };
  auto list = [](Piece piece, int w, int h) { return [=] { return listFramePiece(piece, w, h); }; };
  auto strip = [](Symbol symbol, int w, int h, ButtonShape shape, bool toggle = false) {
    return [=] { return buttonStrip(symbol, w, h, shape, toggle); };
  };
  const ButtonShape round = ButtonShape::Round, rounded = ButtonShape::Rounded, tab = ButtonShape::Tab;
  return {
      // Main window: nine-slice frame (top strip 25, bottom strip 76, sides 10) and play-control bar.
      {"left_top_bkimg.bmp", frame(Piece::TopLeft, 10, 25)},
      {"top_middle_bkimg.bmp", frame(Piece::Top, 8, 25)},
      {"right_top_bkimg.bmp", frame(Piece::TopRight, 10, 25)},
      {"left_middle_bkimg.bmp", frame(Piece::Left, 10, 8)},
      {"right_middle_bkimg.bmp", frame(Piece::Right, 10, 8)},
      {"left_bottom_bkimg.bmp", frame(Piece::BottomLeft, 10, 76)},
      {"bottom_middle_bkimg.bmp", frame(Piece::Bottom, 8, 76)},
      {"right_bottom_bkimg.bmp", frame(Piece::BottomRight, 10, 76)},
      {"middle_bkimg.bmp", frame(Piece::Middle, 8, 8)},
      {"play_ctrl_bkimg.bmp", [] { return playControlBar(345, 76); }},
      {"middle_logo.bmp", [] { return logo(200, 80); }},
      // Play-list panel: top strip 25 (it holds the buttons), sides 3, bottom 5.
      {"list_left_top_bkimg.bmp", list(Piece::TopLeft, 4, 25)},
      {"list_top_middle_bkimg.bmp", list(Piece::Top, 8, 25)},
      {"list_right_top_bkimg.bmp", list(Piece::TopRight, 4, 25)},
      {"list_left_middle_bkimg.bmp", list(Piece::Left, 3, 8)},
      {"list_right_middle_bkimg.bmp", list(Piece::Right, 3, 8)},
      {"list_left_bottom_bkimg.bmp", list(Piece::BottomLeft, 4, 5)},
      {"list_bottom_middle_bkimg.bmp", list(Piece::Bottom, 8, 5)},
      {"list_right_bottom_bkimg.bmp", list(Piece::BottomRight, 4, 5)},
      {"list_middle_bkimg.bmp", list(Piece::Middle, 8, 8)},
      // Sliders: seek (18 high, thumb top 4) and volume (16 high, thumb top 2).
      {"seek_channel_filled.bmp", [] { return sliderChannel(40, 18, true); }},
      {"seek_channel.bmp", [] { return sliderChannel(40, 18, false); }},
      {"seek_thumb.bmp", [] { return sliderThumb(12, 10); }},
      {"volume_channel_filled.bmp", [] { return sliderChannel(40, 16, true); }},
      {"volume_channel.bmp", [] { return sliderChannel(40, 16, false); }},
      {"volume_thumb.bmp", [] { return sliderThumb(12, 12); }},
      {"app_icon.png", [] { return appIcon(32); }},
      {"drag_cursor.png", [] { return dragCursor(32); }},
      // Button strips, four frames each.
      {"btn/open.png", strip(Symbol::Open, 24, 22, rounded)},
      {"btn/play.png", strip(Symbol::Play, 40, 40, round)},
      {"btn/pause.png", strip(Symbol::Pause, 40, 40, round)},
      {"btn/stop.png", strip(Symbol::Stop, 32, 32, round)},
      {"btn/play_slow.png", strip(Symbol::Slow, 24, 24, rounded)},
      {"btn/play_fast.png", strip(Symbol::Fast, 24, 24, rounded)},
      {"btn/previous_frame.png", strip(Symbol::PreviousFrame, 24, 24, rounded)},
      {"btn/next_frame.png", strip(Symbol::NextFrame, 24, 24, rounded)},
      {"btn/previous_file.png", strip(Symbol::PreviousFile, 24, 24, rounded)},
      {"btn/next_file.png", strip(Symbol::NextFile, 24, 24, rounded)},
      {"btn/snapshot.png", strip(Symbol::Snapshot, 30, 30, round)},
      {"btn/volume.png", strip(Symbol::Volume, 24, 24, rounded, true)},
      {"btn/scr_full.png", strip(Symbol::FullScreen, 18, 18, tab)},
      {"btn/scr_max.png", strip(Symbol::Maximize, 18, 18, tab)},
      {"btn/scr_min.png", strip(Symbol::Minimize, 18, 18, tab)},
      {"btn/scr_close.png", strip(Symbol::Close, 18, 18, tab)},
      {"btn/set.png", strip(Symbol::Settings, 24, 18, tab)},
      {"btn/expand_open.png", strip(Symbol::ExpandOpen, 7, 90, tab)},
      {"btn/expand_close.png", strip(Symbol::ExpandClose, 7, 90, tab)},
      {"btn/add.png", strip(Symbol::Add, 26, 18, tab)},
      {"btn/delete.png", strip(Symbol::Delete, 26, 18, tab)},
      {"btn/mode.png", strip(Symbol::Mode, 26, 18, tab)},
      {"btn/clear.png", strip(Symbol::Clear, 26, 18, tab)},
      {"btn/select.png", strip(Symbol::Select, 26, 18, tab)},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder + QStringLiteral("/btn"))) {
    std::fprintf(stderr, "cannot create %s/btn\n", argv[1]);
    return 1;
  }
  for (const Output& output : outputs()) {
    const QString path = folder + QLatin1Char('/') + QLatin1String(output.name);
    QImage image = output.make();
    // Fixed resolution fields keep the files identical from run to run.
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    if (!image.save(path)) {
      std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
      return 1;
    }
  }
  return 0;
}
