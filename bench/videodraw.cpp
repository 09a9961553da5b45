// Time to draw one decoded picture into a 1280 x 720 window through the video renderer's YUV path
// (copy into the YV12 surface, conversion, scaling, copy into the window's pixels), on the memory display
// and on the Qt display, for a 1920 x 1080 and a 704 x 576 picture, next to a bare sws_scale of the same
// planes to B, G, R, A at the same size in the same run. The ratio is the figure (goal: at most 1.3).
//   bench_videodraw [rounds]   (default 7 rounds of 20 draws each; the best round counts)
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include "platform/MemoryDisplay.h"
#include "platform/OffscreenWindows.h"
#include "platform/qt/QtVideoWidget.h"
#include "player/decode/DecodedPicture.h"
#include "player/render/RenderHolder.h"
#include "player/render/VideoZoom.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr int kDrawsPerRound = 20;

// A 4:2:0 picture with moving content in every plane (the timing does not depend on what it shows).
struct Planes {
  Planes(int w, int h) : width(w), height(h) {
    const int cw = (w + 1) / 2, ch = (h + 1) / 2;
    y.resize(static_cast<size_t>(w) * h + 64);
    u.resize(static_cast<size_t>(cw) * ch + 64);
    v.resize(u.size());
    for (int r = 0; r < h; ++r)
      for (int c = 0; c < w; ++c) y[static_cast<size_t>(r) * w + c] = static_cast<uint8_t>(c + r * 3);
    for (int r = 0; r < ch; ++r)
      for (int c = 0; c < cw; ++c) {
        u[static_cast<size_t>(r) * cw + c] = static_cast<uint8_t>(c * 2);
        v[static_cast<size_t>(r) * cw + c] = static_cast<uint8_t>(r * 2);
      }
    picture.data[0] = y.data();
    picture.data[1] = u.data();
    picture.data[2] = v.data();
    picture.linesize[0] = w;
    picture.linesize[1] = picture.linesize[2] = cw;
  }
  int width;
  int height;
  std::vector<uint8_t> y, u, v;
  DecodedPicture picture;
};

// Milliseconds per call of fn, from the best of the rounds.
double bestMs(int rounds, const std::function<void()>& fn, const std::function<void()>& between = nullptr) {
  double best = 1e30;
  for (int round = 0; round < rounds; ++round) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kDrawsPerRound; ++i) fn();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count() / kDrawsPerRound);
    if (between) between();
  }
  return best;
}

struct Figures {
  double memory = 0;
  double qt = 0;
  double sws = 0;
};

Figures measure(const Planes& planes, HWND memoryWindow, HWND qtWindow, int rounds) {
  const platform::Rect display =
      VideoZoom::fitInside(platform::Rect{0, 0, kWindowWidth, kWindowHeight}, planes.width, planes.height);
  const platform::Rect source{0, 0, planes.width, planes.height};
  RenderHolder memory, qt;
  if (memory.open(memoryWindow, planes.width, planes.height, true) != 0 ||
      qt.open(qtWindow, planes.width, planes.height, true) != 0) {
    std::fprintf(stderr, "renderer open failed\n");
    std::exit(1);
  }
  SwsContext* context =
      sws_getContext(planes.width, planes.height, AV_PIX_FMT_YUV420P, display.width(), display.height(),
                     AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
  std::vector<uint8_t> bgra(static_cast<size_t>(display.width()) * display.height() * 4 + 256);
  uint8_t* dst[4] = {bgra.data(), nullptr, nullptr, nullptr};
  const int dstStrides[4] = {display.width() * 4, 0, 0, 0};
  Figures figures;
  // Interleaved, so that the machine's load touches all three alike.
  for (int pass = 0; pass < 2; ++pass) {
    const double m = bestMs(rounds, [&] {
      memory.render().draw(memoryWindow, display, &planes.picture, planes.width, planes.height, source);
    });
    const double q = bestMs(
        rounds, [&] { qt.render().draw(qtWindow, display, &planes.picture, planes.width, planes.height, source); },
        [] { QApplication::processEvents(); });
    const double s = bestMs(rounds, [&] {
      sws_scale(context, planes.picture.data, planes.picture.linesize, 0, planes.height, dst, dstStrides);
    });
    figures.memory = pass == 0 ? m : std::min(figures.memory, m);
    figures.qt = pass == 0 ? q : std::min(figures.qt, q);
    figures.sws = pass == 0 ? s : std::min(figures.sws, s);
  }
  sws_freeContext(context);
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  platform::QtVideoWidget widget;
  widget.resize(kWindowWidth, kWindowHeight);
  widget.show();
  QApplication::processEvents();
  const HWND memoryWindow = createOffscreenWindow(kWindowWidth, kWindowHeight);

  std::printf("draw one picture into a %dx%d window (YUV path; best round of %d draws, %d rounds)\n", kWindowWidth,
              kWindowHeight, kDrawsPerRound, rounds);
  std::printf("%-10s %12s %12s %14s %14s %10s\n", "picture", "memory ms", "qt ms", "sws_scale ms", "memory/sws",
              "qt/sws");
  for (const auto& size : {std::pair<int, int>{1920, 1080}, std::pair<int, int>{704, 576}}) {
    const Planes planes(size.first, size.second);
    const Figures f = measure(planes, memoryWindow, widget.windowId(), rounds);
    std::printf("%4dx%-5d %12.3f %12.3f %14.3f %14.2f %10.2f\n", size.first, size.second, f.memory, f.qt, f.sws,
                f.memory / f.sws, f.qt / f.sws);
  }
  std::printf("goal: ratio at most 1.3\n");
  destroyOffscreenWindow(memoryWindow);
  return 0;
}
