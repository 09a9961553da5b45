#include "player/VideoPictureOutput.h"

#include <gtest/gtest.h>

#include <cstdlib>
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
// scales the RGB picture: on average under 2 levels apart, and fewer than 5 % of the channels more than
// kRgbLevels apart, all of them at sharp colour edges.
constexpr double kRgbMeanLevels = 2.0;
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
  };
  const std::string d1 = kxoutput::makeH264(704, 576, 3);
  const std::string crop = kxtest::fixturePath("h264_baseline_crop_322x242_gop10.h264");
  const std::vector<Case> cases = {
      {d1, 1, 400, 400, false, false, Rect{0, 36, 400, 363}},
      {d1, 1, 400, 400, false, true, Rect{0, 36, 400, 363}},
      {d1, 3, 400, 400, true, false, Rect{0, 0, 400, 400}},
      {crop, 4, 640, 360, false, false, Rect{80, 0, 559, 360}},
      {crop, 4, 640, 360, false, true, Rect{80, 0, 559, 360}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + (c.rgbFallback ? " rgb" : " yuv") + (c.stretch ? " stretched" : ""));
    MemoryDisplay::instance().reset();
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

}  // namespace
