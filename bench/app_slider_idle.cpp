// Idle cost of a shown bitmap slider: the processor time the process spends while a seek slider sits
// on screen with nothing happening, next to the same wait with a plain widget of the same size
// (Qt's own idle cost, the reference). A slider that repainted itself continuously would burn a core.
#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>

#include "app/controls/CBmpSliderCtrl.h"

namespace {

double processSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

QImage solid(int width, int height, QRgb colour) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// Shows the widget, lets the first paint happen, then measures `seconds` of idle event loop.
double idleCpu(QWidget& widget, double seconds) {
  widget.resize(358, 18);
  widget.show();
  for (int turn = 0; turn < 20; ++turn) QApplication::processEvents(QEventLoop::AllEvents, 10);
  const double start = processSeconds();
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
  loop.exec();
  const double used = processSeconds() - start;
  widget.hide();
  return used;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const double seconds = 2.0;

  QWidget plain;
  const double reference = idleCpu(plain, seconds);

  app::CBmpSliderCtrl slider;
  slider.setChannelBitmap(solid(40, 18, qRgb(58, 60, 66)));
  slider.setFilledChannelBitmap(solid(40, 18, qRgb(49, 106, 179)));
  slider.setThumbBitmap(solid(36, 10, qRgb(210, 214, 222)));
  slider.setThumbTop(4);
  slider.setRange(0, 100);
  slider.setPos(40);
  const double shown = idleCpu(slider, seconds);

  std::printf("idle processor time over %.1f s of wall time\n", seconds);
  std::printf("  plain widget (reference): %8.2f ms  (%.2f %% of one core)\n", reference * 1000, reference / seconds * 100);
  std::printf("  bitmap slider:            %8.2f ms  (%.2f %% of one core)\n", shown * 1000, shown / seconds * 100);
  return 0;
}
