#include "player/render/VideoPictureOutput.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/DebugOutput.h"
#include "platform/MemoryDisplay.h"
#include "platform/OffscreenWindowSystem.h"
#include "tests/player/PictureOutputFixture.h"

using kxoutput::Pipeline;
using kxoutput::WindowPixels;
using platform::MemoryDisplay;
using platform::Rect;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

struct OutputFixture : ::testing::Test {
  OutputFixture() { MemoryDisplay::instance().reset(); }
  ~OutputFixture() override {
    for (HWND w : windows) destroyOffscreenWindow(w);
    MemoryDisplay::instance().reset();
  }
  HWND window(int width, int height) {
    windows.push_back(createOffscreenWindow(width, height));
    return windows.back();
  }
  std::vector<HWND> windows;
};

struct Difference {
  int worst = 0;         // largest difference of one channel
  double mean = 0;       // mean difference over every channel
  double beyond = 0;     // share of channels differing by more than kRgbLevels
};

// Levels a channel may differ by on the RGB fallback (see below).
constexpr int kRgbLevels = 8;

// Compares the window's pixels inside rect with ffmpeg's picture scaled to rect's size; every pixel
// outside rect must still be untouched.
Difference compareWithReference(HWND window, const Rect& rect, const std::vector<uint32_t>& reference) {
  const WindowPixels shown = kxoutput::readWindow(window);
  EXPECT_EQ(static_cast<size_t>(rect.width()) * rect.height(), reference.size());
  Difference result;
  result.worst = 255;
  if (reference.size() != static_cast<size_t>(rect.width()) * rect.height()) return result;
  result.worst = 0;
  long long sum = 0, many = 0;
  for (int y = 0; y < shown.height; ++y) {
    for (int x = 0; x < shown.width; ++x) {
      const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
      if (!inside) {
        if (shown.at(x, y) != kBlack) {
          ADD_FAILURE() << "drawn outside the display rectangle at " << x << "," << y;
          result.worst = 255;
          return result;
        }
        continue;
      }
      const uint32_t expected = reference[static_cast<size_t>(y - rect.top) * rect.width() + (x - rect.left)];
      for (int shift = 0; shift < 24; shift += 8) {
        const int d = std::abs(static_cast<int>((shown.at(x, y) >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF));
        result.worst = std::max(result.worst, d);
        sum += d;
        if (d > kRgbLevels) ++many;
      }
    }
  }
  const double channels = 3.0 * rect.width() * rect.height();
  result.mean = sum / channels;
  result.beyond = many / channels;
  return result;
}

// The YUV path converts and scales in one libswscale pass, as ffmpeg does: the same pixels, exactly.
// The RGB fallback converts at the picture's size first (chroma upsampled before the scaling) and then
// scales the RGB picture: on average under 3 levels apart, and fewer than 5 % of the channels more than
// kRgbLevels apart, all of them at sharp colour edges.
constexpr double kRgbMeanLevels = 3.0;
constexpr double kRgbShareBeyond = 0.05;

TEST_F(OutputFixture, PicturesLandAsFfmpegScalesThemOnBothPaths) {
  if (!kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed";
  struct Case {
    std::string file;
    int frames;  // decode this many pictures: the last one is drawn
    int windowWidth;
    int windowHeight;
    bool stretch;
    bool rgbFallback;
    Rect expected;
    int desktopBits = 32;
  };
  const std::string d1 = kxoutput::makeH264(704, 576, 3);
  const std::string crop = kxtest::fixturePath("h264_baseline_crop_322x242_gop10.h264");
  const std::vector<Case> cases = {
      {d1, 1, 400, 400, false, false, Rect{0, 36, 400, 363}},
      {d1, 1, 400, 400, false, false, Rect{0, 36, 400, 363}, 24},
      {d1, 1, 400, 400, false, true, Rect{0, 36, 400, 363}},
      {d1, 3, 400, 400, true, false, Rect{0, 0, 400, 400}},
      {crop, 4, 640, 360, false, false, Rect{80, 0, 559, 360}},
      {crop, 4, 640, 360, false, true, Rect{80, 0, 559, 360}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + (c.rgbFallback ? " rgb" : " yuv") + (c.stretch ? " stretched" : "") + " " +
                 std::to_string(c.desktopBits) + " bits");
    MemoryDisplay::instance().reset();
    MemoryDisplay::instance().setMonitors({{Rect{0, 0, 1920, 1080}, c.desktopBits}});
    if (c.rgbFallback) MemoryDisplay::instance().failures().yv12Surface.arm(1);
    Pipeline pipeline;
    const HWND w = window(c.windowWidth, c.windowHeight);
    pipeline.output.setVideoWindow(w, 0, 0, c.windowWidth, c.windowHeight);
    pipeline.output.setStretchMode(c.stretch);
    ASSERT_TRUE(pipeline.decodeH264(c.file, c.frames));
    pipeline.output.playOneFrame();
    EXPECT_EQ(c.rgbFallback, pipeline.output.isRgbFallback());
    EXPECT_EQ(c.expected, pipeline.output.displayRect());
    const std::vector<uint32_t> reference =
        kxoutput::referenceBgra(c.file, c.frames - 1, c.expected.width(), c.expected.height());
    const Difference diff = compareWithReference(w, c.expected, reference);
    if (c.rgbFallback) {
      EXPECT_LT(diff.mean, kRgbMeanLevels);
      EXPECT_LT(diff.beyond, kRgbShareBeyond);
    } else {
      EXPECT_EQ(0, diff.worst);
    }
  }
}

struct Overlay {
  int calls = 0;
  DrawContext last{};
};

// Paints a white 16 x 16 square into the top-left corner of what it is given.
long paintOverlay(long port, HDC dc, void* user) {
  auto* overlay = static_cast<Overlay*>(user);
  EXPECT_EQ(5, port);
  ++overlay->calls;
  overlay->last = *dc;
  const int bytes = dc->imageFormat == 1 ? 4 : 3;
  for (int y = 0; y < 16 && y < dc->height; ++y) {
    std::memset(dc->bits + static_cast<size_t>(y) * dc->pitch, 0xFF, static_cast<size_t>(16) * bytes);
  }
  return 0;
}

TEST_F(OutputFixture, DrawCallbackPaintsOnTheDrawnPictureAndIsQuietWhilePaused) {
  struct Case {
    const char* name;
    bool fallbackTarget;
    bool windowSizeSurface;
    int overlayPixels;  // the square's size in the window
  };
  for (const Case& c : {Case{"surface", false, false, 32}, Case{"window-size surface", false, true, 16},
                        Case{"fallback target", true, false, 32}}) {
    SCOPED_TRACE(c.name);
    MemoryDisplay::instance().reset();
    if (c.fallbackTarget) MemoryDisplay::instance().failures().primarySurface.arm(1);
    Pipeline pipeline;
    const HWND w = window(352, 288);
    pipeline.output.setVideoWindow(w, 0, 0, 352, 288);
    pipeline.output.setStretchMode(true);
    Overlay overlay;
    pipeline.output.setDrawFuncForRender(5, paintOverlay, &overlay, c.windowSizeSurface);
    ASSERT_TRUE(pipeline.decodeH264(kxtest::fixturePath("h264_baseline_176x144_gop12.h264"), 1));
    pipeline.output.playOneFrame();
    ASSERT_EQ(1, overlay.calls);
    EXPECT_EQ(c.windowSizeSurface ? 352 : 176, overlay.last.width);
    EXPECT_EQ(c.windowSizeSurface ? 288 : 144, overlay.last.height);
    EXPECT_EQ(1, overlay.last.imageFormat);
    WindowPixels shown = kxoutput::readWindow(w);
    EXPECT_EQ(0xFFFFFFFFu, shown.at(c.overlayPixels / 2, c.overlayPixels / 2));
    EXPECT_NE(0xFFFFFFFFu, shown.at(c.overlayPixels + 40, c.overlayPixels + 40));
    // Paused: redrawn, no callback.
    pipeline.output.setDrawCallbackEnabled(false);
    const size_t before = MemoryDisplay::instance().blitLog().size();
    pipeline.output.redrawCurrentPicture();
    EXPECT_EQ(1, overlay.calls);
    EXPECT_EQ(before + 1, MemoryDisplay::instance().blitLog().size());
    pipeline.output.setDrawCallbackEnabled(true);
    pipeline.output.drawVideoFrame(pipeline.decoder.currentPicture());
    EXPECT_EQ(2, overlay.calls);
    pipeline.output.clearDrawFunc();
    pipeline.output.drawVideoFrame(pipeline.decoder.currentPicture());
    EXPECT_EQ(2, overlay.calls);
  }
}

TEST_F(OutputFixture, RendererFailuresEndInTheRightPath) {
  if (!kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed";
  const std::string file = kxtest::fixturePath("h264_baseline_176x144_gop12.h264");
  struct Case {
    const char* name;
    std::function<void()> arm;
    bool afterFirstPicture;  // armed once a first picture was drawn
    bool armedDrawn;         // whether the picture drawn with the failure armed shows
    bool rgbFallback;
    bool fallbackTarget;
  };
  auto& failures = MemoryDisplay::instance().failures();
  const std::vector<Case> cases = {
      {"first primary refused", [&] { failures.primarySurface.arm(1); }, false, true, true, true},
      {"yv12 refused at open", [&] { failures.yv12Surface.arm(1); }, false, true, true, false},
      {"yv12 refused at draw time", [&] { failures.yuvBlit.arm(1); }, false, false, true, false},
      {"surface lost", [&] { failures.surfaceLost.arm(1); }, true, false, false, false},
      {"still drawing", [&] { failures.stillDrawing.arm(2); }, true, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryDisplay::instance().reset();
    Pipeline pipeline;
    const HWND w = window(352, 288);
    pipeline.output.setVideoWindow(w, 0, 0, 352, 288);
    pipeline.output.setStretchMode(true);
    int pictures = 0;
    size_t drawn = 0;
    if (c.afterFirstPicture) {
      ASSERT_TRUE(pipeline.decodeH264(file, ++pictures));
      pipeline.output.playOneFrame();
      ASSERT_EQ(++drawn, MemoryDisplay::instance().blitLog().size());
    }
    c.arm();
    ASSERT_TRUE(pipeline.decodeH264(file, ++pictures));
    pipeline.output.playOneFrame();
    if (c.armedDrawn) ++drawn;
    EXPECT_EQ(drawn, MemoryDisplay::instance().blitLog().size());
    EXPECT_EQ(c.rgbFallback, pipeline.output.isRgbFallback());
    EXPECT_EQ(c.fallbackTarget, pipeline.output.renderHolder().render().usesD2D());
    // The next picture is drawn whole, in the format the renderer has now.
    ASSERT_TRUE(pipeline.decodeH264(file, ++pictures));
    pipeline.output.playOneFrame();
    EXPECT_EQ(drawn + 1, MemoryDisplay::instance().blitLog().size());
    const std::vector<uint32_t> reference =
        kxoutput::referenceBgra(file, pictures - 1, 352, 288, c.fallbackTarget ? "bilinear" : "bicubic");
    const Difference diff = compareWithReference(w, Rect{0, 0, 352, 288}, reference);
    EXPECT_LT(diff.mean, kRgbMeanLevels);
    EXPECT_LT(diff.beyond, kRgbShareBeyond);
  }
}

TEST_F(OutputFixture, DesktopsOfEveryDepthShowThePicture) {
  if (!kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed";
  const std::string file = kxtest::fixturePath("h264_baseline_176x144_gop12.h264");
  // Unscaled: converted with accurate rounding (libswscale's fast unscaled converters are avoided).
  const std::vector<uint32_t> reference = kxoutput::referenceBgra(file, 0, 176, 144, "bicubic+accurate_rnd");
  struct Case {
    int bits;
    bool drawn;
    double meanLevels;  // 16 bits keep 5 or 6 bits a channel
  };
  for (const Case& c : {Case{32, true, 0.01}, Case{24, true, kRgbMeanLevels}, Case{16, true, 6.0}, Case{8, false, 0}}) {
    SCOPED_TRACE(c.bits);
    MemoryDisplay::instance().reset();
    MemoryDisplay::instance().setMonitors({{Rect{0, 0, 1280, 1024}, c.bits}});
    Pipeline pipeline;
    const HWND w = window(176, 144);
    pipeline.output.setVideoWindow(w, 0, 0, 176, 144);
    pipeline.output.setStretchMode(true);
    ASSERT_TRUE(pipeline.decodeH264(file, 1));
    platform::DebugCapture capture;
    pipeline.output.playOneFrame();
    // 8 bits: the YUV path opens, its conversion blit fails, the RGB reopen fails; then every open fails.
    pipeline.output.playOneFrame();
    EXPECT_EQ(c.drawn ? 2u : 0u, MemoryDisplay::instance().blitLog().size());
    EXPECT_EQ(!c.drawn, capture.contains("playOneFrame  openRenderByImageFormatID error !"));
    if (c.drawn) {
      EXPECT_LT(compareWithReference(w, Rect{0, 0, 176, 144}, reference).mean, c.meanLevels);
    }
  }
}

TEST_F(OutputFixture, ZoomedPictureShowsTheZoomRectangle) {
  if (!kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed";
  const std::string file = kxoutput::makeH264(320, 240, 1);
  Pipeline pipeline;
  const HWND w = window(640, 480);
  pipeline.output.setVideoWindow(w, 0, 0, 640, 480);
  EXPECT_EQ(-6, pipeline.output.zoomInVideo(160, 120, 320, 240));
  ASSERT_TRUE(pipeline.decodeH264(file, 1));
  pipeline.output.playOneFrame();
  ASSERT_EQ(0, pipeline.output.zoomInVideo(160, 120, 320, 240));
  EXPECT_EQ((Rect{80, 60, 240, 180}), pipeline.output.zoom().zoomRect());
  pipeline.output.playOneFrame();
  const std::string reference = kxtest::runCommand(
      "ffmpeg -nostdin -v error -i '" + file +
      "' -vf 'crop=160:120:80:60,scale=640:480:flags=bicubic' -frames:v 1 -pix_fmt bgra -f rawvideo -");
  std::vector<uint32_t> expected(reference.size() / 4);
  std::memcpy(expected.data(), reference.data(), expected.size() * 4);
  EXPECT_EQ(0, compareWithReference(w, Rect{0, 0, 640, 480}, expected).worst);
  // Restored: the whole picture again.
  pipeline.output.restoreVideo();
  pipeline.output.playOneFrame();
  EXPECT_EQ(0, compareWithReference(w, Rect{0, 0, 640, 480}, kxoutput::referenceBgra(file, 0, 640, 480)).worst);
}

TEST_F(OutputFixture, MjpegPictureOnA24BitDesktopKeepsItsColours) {
  if (!kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed";
  MemoryDisplay::instance().setMonitors({{Rect{0, 0, 1280, 1024}, 24}});
  const std::string bytes =
      kxtest::runCommand("ffmpeg -nostdin -v error -f lavfi -i color=c=red:s=64x48 -frames:v 1 -q:v 2 -f mjpeg -");
  Pipeline pipeline;
  const HWND w = window(64, 48);
  pipeline.output.setVideoWindow(w, 0, 0, 64, 48);
  ASSERT_TRUE(pipeline.decodeJpeg(std::vector<char>(bytes.begin(), bytes.end())));
  pipeline.output.playOneFrame();
  EXPECT_EQ(2, pipeline.output.renderHolder().render().imageFormatId());
  const uint32_t shown = kxoutput::readWindow(w).at(32, 24);
  EXPECT_GT((shown >> 16) & 0xFF, 0xF0u) << std::hex << shown;  // red
  EXPECT_LT(shown & 0xFF, 0x10u) << std::hex << shown;          // no blue
}

TEST_F(OutputFixture, NothingIsDrawnWithoutAPictureAWindowOrAUsableRectangle) {
  Pipeline pipeline;
  const HWND w = window(200, 100);
  platform::DebugCapture capture;
  pipeline.output.playOneFrame();
  EXPECT_TRUE(capture.contains("playOneFrame  data or displaywnd null !"));
  ASSERT_TRUE(pipeline.decodeH264(kxtest::fixturePath("h264_baseline_176x144_gop12.h264"), 1));
  pipeline.output.playOneFrame();
  pipeline.output.setVideoWindow(w);
  pipeline.output.playOneFrame();
  EXPECT_TRUE(capture.contains("drawVideoFrame BakDisplayRect error2 left(0) right(0) top(0) bottom(0) !"));
  pipeline.output.resizeWindow(-1, 0, 10, 10);
  pipeline.output.playOneFrame();
  EXPECT_TRUE(capture.contains("drawVideoFrame BakDisplayRect error1"));
  EXPECT_EQ(0u, MemoryDisplay::instance().blitLog().size());
  // Auto-resize takes the client area's size.
  pipeline.output.resizeWindow(0, 0, 10, 10);
  pipeline.output.setAutoResizeFlag(true);
  pipeline.output.playOneFrame();
  EXPECT_EQ((Rect{39, 0, 161, 100}), pipeline.output.displayRect());
  EXPECT_EQ(1u, MemoryDisplay::instance().blitLog().size());
}

TEST_F(OutputFixture, RefreshInvalidatesTheVideoArea) {
  auto& windows = platform::OffscreenWindowSystem::instance();
  Pipeline pipeline;
  const HWND top = window(300, 200);
  pipeline.output.setVideoWindow(top, 0, 0, 300, 200);
  windows.takeInvalidated(top);
  pipeline.output.refresh();
  EXPECT_EQ((std::vector<Rect>{{0, 0, 300, 200}}), windows.takeInvalidated(top));
  // A child window: its parent repaints the child's place.
  const HWND child = windows.create(top, 40, 30, 100, 80);
  pipeline.output.setVideoWindow(child, 0, 0, 100, 80);
  pipeline.output.refresh();
  EXPECT_EQ((std::vector<Rect>{{40, 30, 140, 110}}), windows.takeInvalidated(top));
  EXPECT_TRUE(windows.takeInvalidated(child).empty());
  windows.destroy(child);
  // A new rectangle repaints once before the next draw.
  pipeline.output.setVideoWindow(top, 0, 0, 300, 200);
  ASSERT_TRUE(pipeline.decodeH264(kxtest::fixturePath("h264_baseline_176x144_gop12.h264"), 2));
  windows.takeInvalidated(top);
  pipeline.output.playOneFrame();  // opens the renderer (one repaint) and draws (one more: new rectangle)
  EXPECT_EQ(2u, windows.takeInvalidated(top).size());
  pipeline.output.playOneFrame();
  EXPECT_TRUE(windows.takeInvalidated(top).empty());
}

TEST_F(OutputFixture, MovingToAnotherMonitorReopensTheRenderer) {
  MemoryDisplay::instance().setMonitors({{Rect{0, 0, 1920, 1080}, 32}, {Rect{1920, 0, 3200, 1024}, 16}});
  Pipeline pipeline;
  const HWND w = window(176, 144);
  pipeline.output.setVideoWindow(w, 0, 0, 176, 144);
  ASSERT_TRUE(pipeline.decodeH264(kxtest::fixturePath("h264_baseline_176x144_gop12.h264"), 1));
  pipeline.output.playOneFrame();
  EXPECT_EQ(2, pipeline.output.renderHolder().render().imageFormatId());
  const std::intptr_t first = pipeline.output.renderHolder().render().monitorHandle();
  // Mostly on the second monitor now.
  platform::OffscreenWindowSystem::instance().move(w, 1900, 0);
  pipeline.output.playOneFrame();
  EXPECT_NE(first, pipeline.output.renderHolder().render().monitorHandle());
  EXPECT_EQ(2u, MemoryDisplay::instance().blitLog().size());
}

}  // namespace
