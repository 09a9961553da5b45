// embed_window RECORDING REFERENCE WIDTH HEIGHT: a Qt program showing a recording in a video widget of
// its own, the way an embedding program does: it gives the player the widget's window id alone (the
// player takes the client rectangle itself), plays the file to its end, and then reads back what the X
// server shows in the widget. REFERENCE is the last picture as WIDTH x HEIGHT B, G, R, A bytes.
// Prints the largest difference of one colour channel and exits 0 when the widget shows the reference.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "platform/qt/QtVideoWidget.h"
#include "player/KXPlayer.h"
#include "player/KXPlayerResult.h"

namespace {

std::atomic<int> g_ends{0};

void onFileEnd(long, void*) { ++g_ends; }

// Runs the event loop until done() or the deadline; false at the deadline.
template <typename Done>
bool processEventsUntil(Done done, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

int channelDifference(unsigned a, unsigned b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    worst = std::max(worst, d < 0 ? -d : d);
  }
  return worst;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: embed_window RECORDING REFERENCE WIDTH HEIGHT\n");
    return 2;
  }
  const int width = std::atoi(argv[3]);
  const int height = std::atoi(argv[4]);
  std::ifstream in(argv[2], std::ios::binary);
  const std::string reference((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (width <= 0 || height <= 0 || reference.size() != static_cast<size_t>(width) * height * 4) {
    std::fprintf(stderr, "the reference is not %d x %d B, G, R, A\n", width, height);
    return 2;
  }

  QApplication application(argc, argv);
  platform::QtVideoWidget widget;
  widget.setFixedSize(width, height);
  widget.show();
  if (!processEventsUntil([&] { return widget.windowHandle() != nullptr && widget.windowHandle()->isExposed(); },
                          std::chrono::seconds(10))) {
    std::fprintf(stderr, "the widget was never shown\n");
    return 1;
  }

  KXPlayer player;
  player.setVideoWindow(widget.windowId());
  player.setStretchMode(true);
  player.setFileEndCallback(1, &onFileEnd, nullptr);
  if (player.openFile(argv[1]) != KXPLAYER_OK || player.play() != KXPLAYER_OK) {
    std::fprintf(stderr, "cannot play %s\n", argv[1]);
    return 1;
  }
  // The end is reported once the last picture was drawn into the widget.
  if (!processEventsUntil([] { return g_ends > 0; }, std::chrono::seconds(60))) {
    std::fprintf(stderr, "the end of the file was never reported\n");
    return 1;
  }
  // Paints what was drawn now, so that the X server holds it before it is read back.
  widget.repaint();
  QCoreApplication::processEvents();
  const QImage shown = widget.screen()->grabWindow(widget.winId()).toImage().convertToFormat(QImage::Format_RGB32);
  player.stop();
  player.closeFile();

  if (shown.width() != width || shown.height() != height) {
    std::fprintf(stderr, "the widget shows %d x %d, not %d x %d\n", shown.width(), shown.height(), width, height);
    return 1;
  }
  int worst = 0;
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
    for (int x = 0; x < width; ++x) {
      const auto* bgra = reinterpret_cast<const unsigned char*>(reference.data()) + (static_cast<size_t>(y) * width + x) * 4;
      const unsigned expected = bgra[0] | static_cast<unsigned>(bgra[1]) << 8 | static_cast<unsigned>(bgra[2]) << 16;
      worst = std::max(worst, channelDifference(expected, row[x]));
    }
  }
  std::printf("%d x %d widget, ends reported %d, largest channel difference from ffmpeg's picture %d\n", width,
              height, g_ends.load(), worst);
  return worst == 0 && g_ends == 1 ? 0 : 1;
}
