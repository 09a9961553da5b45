#include "player/render/VideoRender.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/DebugOutput.h"
#include "platform/MemoryDisplay.h"
#include "platform/OffscreenWindowSystem.h"
#include "platform/OffscreenWindows.h"
#include "player/decode/DecodedPicture.h"
#include "player/render/RenderHolder.h"

using platform::DDERR_INVALIDPIXELFORMAT;
using platform::MemoryDisplay;
using platform::Rect;

namespace {

constexpr uint32_t kBlue = 0xFF0000FFu;  // B, G, R, A bytes: 0xFF, 0, 0, 0xFF
constexpr uint32_t kBlack = 0xFF000000u;

// A renderer on the memory display with a clock the test moves, and one offscreen window.
struct RenderFixture : ::testing::Test {
  RenderFixture() : holder([this] { return now; }) {
    MemoryDisplay::instance().reset();
    window = createOffscreenWindow(320, 240);
  }
  ~RenderFixture() override {
    holder.close();
    destroyOffscreenWindow(window);
    MemoryDisplay::instance().reset();
  }
  VideoRender& render() { return holder.render(); }
  // A width x height picture of one colour (full or no intensity per channel) in the renderer's format.
  std::vector<uint8_t> solid(int width, int height, uint32_t bgra) const {
    const int bytes = holder.render().bytesPerPixel();
    uint32_t value = bgra;
    if (bytes == 2) {
      const uint32_t b = (bgra & 0xFF) >> 3, g = ((bgra >> 8) & 0xFF) >> 2, r = ((bgra >> 16) & 0xFF) >> 3;
      value = (r << 11) | (g << 5) | b;
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * bytes);
    for (size_t i = 0; i < pixels.size(); i += bytes) {
      for (int b = 0; b < bytes; ++b) pixels[i + b] = static_cast<uint8_t>(value >> (8 * b));
    }
    return pixels;
  }
  int drawSolid(const Rect& dst, uint32_t bgra, int width = 64, int height = 48) {
    const std::vector<uint8_t> pixels = solid(width, height, bgra);
    return render().draw(window, dst, pixels.data(), width, height, Rect{0, 0, width, height});
  }
  uint32_t pixelAt(int x, int y) const {
    std::vector<uint32_t> bgra;
    int w = 0, h = 0;
    EXPECT_TRUE(readWindowPixels(window, bgra, w, h));
    return bgra.at(static_cast<size_t>(y) * w + x);
  }
  size_t blits() const { return MemoryDisplay::instance().blitLog().size(); }

  int64_t now = 1000000;
  RenderHolder holder;
  HWND window = 0;
};

TEST_F(RenderFixture, OpensOnTheDesktopAndDrawsClippedAndScaledIntoTheWindow) {
  ASSERT_EQ(0, holder.open(window, 64, 48, false));
  EXPECT_TRUE(holder.isOpened());
  EXPECT_EQ(1, render().imageFormatId());
  EXPECT_EQ(4, render().bytesPerPixel());
  EXPECT_FALSE(render().usesD2D());
  EXPECT_TRUE(render().isNoVerticalBlank());  // the memory display cannot wait for it
  ASSERT_EQ(0, drawSolid(Rect{10, 20, 110, 95}, kBlue));
  EXPECT_EQ(kBlue, pixelAt(10, 20));
  EXPECT_EQ(kBlue, pixelAt(109, 94));
  EXPECT_EQ(kBlack, pixelAt(9, 20));
  EXPECT_EQ(kBlack, pixelAt(110, 94));
  EXPECT_EQ(kBlack, pixelAt(10, 95));
  const std::vector<platform::BlitRecord> log = MemoryDisplay::instance().blitLog();
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(window, log[0].window);
  EXPECT_EQ((Rect{10, 20, 110, 95}), log[0].rect);
  EXPECT_EQ(1u, log[0].frameId);
  // A destination reaching outside the client area is clipped to it.
  ASSERT_EQ(0, drawSolid(Rect{300, 200, 400, 300}, kBlue));
  EXPECT_EQ((Rect{300, 200, 320, 240}), MemoryDisplay::instance().blitLog().back().rect);
  EXPECT_EQ(2u, MemoryDisplay::instance().blitLog().back().frameId);
}

TEST_F(RenderFixture, DesktopDepthGivesTheReportedFormat) {
  struct Case {
    int bits;
    int result;
    int formatId;
    int bytes;
  };
  for (const Case& c : {Case{32, 0, 1, 4}, Case{24, 0, 2, 3}, Case{16, 0, 3, 2}, Case{8, 1, 0, 4}}) {
    SCOPED_TRACE(c.bits);
    MemoryDisplay::instance().setMonitors({{Rect{0, 0, 1920, 1080}, c.bits}});
    platform::DebugCapture capture;
    RenderHolder fresh;
    EXPECT_EQ(c.result, fresh.open(window, 64, 48, false));
    EXPECT_EQ(c.formatId, fresh.render().imageFormatId());
    EXPECT_EQ(c.bytes, fresh.render().bytesPerPixel());
    EXPECT_EQ(c.bits == 8, capture.contains("dwRGBBitCount: 8\n"));
  }
}

TEST_F(RenderFixture, EveryDesktopDepthShowsTheSameColours) {
  // 24-bit surfaces hold B, G, R like the others: pure colours survive every depth.
  for (int bits : {32, 24, 16}) {
    SCOPED_TRACE(bits);
    MemoryDisplay::instance().setMonitors({{Rect{0, 0, 1920, 1080}, bits}});
    holder.close();
    ASSERT_EQ(0, holder.open(window, 64, 48, false));
    for (uint32_t colour : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}) {
      ASSERT_EQ(0, drawSolid(Rect{0, 0, 64, 48}, colour));
      EXPECT_EQ(colour, pixelAt(30, 20));
    }
  }
}

TEST_F(RenderFixture, FirstPrimaryRefusedTurnsToTheFallbackTargetForGood) {
  MemoryDisplay::instance().failures().primarySurface.arm(1);
  EXPECT_EQ(DDERR_INVALIDPIXELFORMAT, holder.open(window, 64, 48, true));
  EXPECT_FALSE(holder.isOpened());
  EXPECT_TRUE(render().usesD2D());
  ASSERT_EQ(0, holder.open(window, 64, 48, true));
  // The fallback target takes 32-bit RGB whatever was asked.
  EXPECT_FALSE(render().isYuv());
  EXPECT_EQ(1, render().imageFormatId());
  EXPECT_EQ(4, render().bytesPerPixel());
  ASSERT_EQ(0, drawSolid(Rect{0, 0, 160, 120}, kBlue));
  EXPECT_EQ(kBlue, pixelAt(80, 60));
  EXPECT_EQ(kBlack, pixelAt(200, 60));
  // release keeps the choice.
  holder.close();
  ASSERT_EQ(0, holder.open(window, 64, 48, false));
  EXPECT_TRUE(render().usesD2D());
}

TEST_F(RenderFixture, PrimaryRefusedAfterItWorkedBlocksOpensForOneSecond) {
  ASSERT_EQ(0, holder.open(window, 64, 48, false));
  holder.close();
  MemoryDisplay::instance().failures().primarySurface.arm(1);
  EXPECT_EQ(1, holder.open(window, 64, 48, false));
  EXPECT_FALSE(render().usesD2D());
  now += VideoRender::kReopenDelayUs - 1;
  EXPECT_EQ(1, holder.open(window, 64, 48, false));
  now += 1;
  EXPECT_EQ(0, holder.open(window, 64, 48, false));
}

TEST_F(RenderFixture, Yv12RefusedAtOpenAsksForTheRgbPath) {
  MemoryDisplay::instance().failures().yv12Surface.arm(1);
  EXPECT_EQ(DDERR_INVALIDPIXELFORMAT, holder.open(window, 64, 48, true));
  EXPECT_FALSE(render().usesD2D());
  EXPECT_EQ(0, holder.open(window, 64, 48, false));
}

TEST_F(RenderFixture, FailingYuvBlitAsksForTheRgbPath) {
  ASSERT_EQ(0, holder.open(window, 64, 48, true));
  EXPECT_EQ(2, render().imageFormatId());
  std::vector<uint8_t> y(64 * 48, 128), u(32 * 24, 128), v(32 * 24, 128);
  DecodedPicture planes;
  planes.data[0] = y.data();
  planes.data[1] = u.data();
  planes.data[2] = v.data();
  planes.linesize[0] = 64;
  planes.linesize[1] = planes.linesize[2] = 32;
  MemoryDisplay::instance().failures().yuvBlit.arm(1);
  EXPECT_EQ(DDERR_INVALIDPIXELFORMAT, render().draw(window, Rect{0, 0, 64, 48}, &planes, 64, 48, Rect{0, 0, 64, 48}));
  EXPECT_EQ(0u, blits());
  EXPECT_EQ(0, render().draw(window, Rect{0, 0, 64, 48}, &planes, 64, 48, Rect{0, 0, 64, 48}));
  EXPECT_EQ(1u, blits());
}

TEST_F(RenderFixture, LostSurfacesDropOnePictureAndStillDrawingIsRetried) {
  ASSERT_EQ(0, holder.open(window, 64, 48, false));
  MemoryDisplay::instance().failures().surfaceLost.arm(1);
  EXPECT_EQ(0, drawSolid(Rect{0, 0, 64, 48}, kBlue));
  EXPECT_EQ(0u, blits());
  EXPECT_EQ(kBlack, pixelAt(10, 10));
  EXPECT_EQ(0, drawSolid(Rect{0, 0, 64, 48}, kBlue));
  EXPECT_EQ(1u, blits());
  EXPECT_EQ(kBlue, pixelAt(10, 10));
  platform::DebugCapture capture;
  MemoryDisplay::instance().failures().stillDrawing.arm(3);
  EXPECT_EQ(0, drawSolid(Rect{0, 0, 64, 48}, kBlue));
  EXPECT_EQ(2u, blits());
  EXPECT_TRUE(capture.contains("copyPixelToSurface lock err: 8876021C"));
}

TEST_F(RenderFixture, FailingPrimaryBlitFails) {
  ASSERT_EQ(0, holder.open(window, 64, 48, false));
  MemoryDisplay::instance().failures().primaryBlit.arm(1);
  EXPECT_EQ(1, drawSolid(Rect{0, 0, 64, 48}, kBlue));
  EXPECT_EQ(1, render().draw(0, Rect{0, 0, 64, 48}, nullptr, 64, 48, Rect{0, 0, 64, 48}));
}

long recordSize(long, HDC dc, void* user) {
  *static_cast<std::pair<int, int>*>(user) = {dc->width, dc->height};
  return 0;
}

TEST_F(RenderFixture, WindowSizeSurfaceFollowsTheDestinationOnBothTargets) {
  for (bool fallbackTarget : {false, true}) {
    SCOPED_TRACE(fallbackTarget);
    holder.close();
    RenderHolder fresh;
    if (fallbackTarget) {
      MemoryDisplay::instance().failures().primarySurface.arm(1);
      ASSERT_EQ(DDERR_INVALIDPIXELFORMAT, fresh.open(window, 64, 48, false));
    }
    ASSERT_EQ(0, fresh.open(window, 64, 48, false));
    std::pair<int, int> seen{0, 0};
    fresh.render().setDrawCallback(1, recordSize, &seen, true);
    const std::vector<uint8_t> pixels = solid(64, 48, kBlue);
    for (const Rect& dst : {Rect{0, 0, 200, 100}, Rect{10, 10, 130, 90}}) {
      ASSERT_EQ(0, fresh.render().draw(window, dst, pixels.data(), 64, 48, Rect{0, 0, 64, 48}));
      // The callback draws on a surface of the destination's size; the fallback target on the picture.
      EXPECT_EQ(fallbackTarget ? std::make_pair(64, 48) : std::make_pair(dst.width(), dst.height()), seen);
      EXPECT_EQ(kBlue, pixelAt(dst.right - 1, dst.bottom - 1));
    }
  }
}

TEST_F(RenderFixture, OutsideThePictureIsTheBackgroundWhateverWasDrawnThereBeforeOnBothTargets) {
  constexpr uint32_t kRed = 0xFFFF0000u;
  struct Step {
    const char* what;
    int pictureHeight;  // a reopen for another shape when it differs from the step before
    Rect picture;
    uint32_t colour;
    Rect band;  // all of it must be black afterwards
  };
  const Step steps[] = {
      {"stretched over the whole window", 48, Rect{0, 0, 320, 240}, kBlue, Rect{}},
      {"moved to the middle, same open (stretch switched off)", 48, Rect{0, 80, 320, 160}, kRed, Rect{0, 0, 320, 80}},
      {"narrower and full height", 48, Rect{40, 0, 280, 240}, kBlue, Rect{0, 0, 40, 240}},
      {"another shape opened, letterboxed", 16, Rect{0, 100, 320, 180}, kRed, Rect{0, 0, 320, 100}},
      {"below it too", 16, Rect{0, 100, 320, 180}, kRed, Rect{0, 180, 320, 240}},
  };
  for (bool fallbackTarget : {false, true}) {
    SCOPED_TRACE(fallbackTarget ? "fallback target" : "primary surface");
    RenderHolder fresh;
    if (fallbackTarget) {
      MemoryDisplay::instance().failures().primarySurface.arm(1);
      ASSERT_EQ(DDERR_INVALIDPIXELFORMAT, fresh.open(window, 64, 48, false));
    }
    MemoryDisplay::instance().clearBlitLog();
    int openHeight = 0;
    for (const Step& step : steps) {
      SCOPED_TRACE(step.what);
      if (step.pictureHeight != openHeight) {
        fresh.close();
        ASSERT_EQ(0, fresh.open(window, 64, step.pictureHeight, false));
        ASSERT_EQ(fallbackTarget, fresh.render().usesD2D());
        openHeight = step.pictureHeight;
      }
      const std::vector<uint8_t> pixels = solid(64, step.pictureHeight, step.colour);
      ASSERT_EQ(0, fresh.render().draw(window, step.picture, pixels.data(), 64, step.pictureHeight,
                                       Rect{0, 0, 64, step.pictureHeight}));
      EXPECT_EQ(step.colour, pixelAt((step.picture.left + step.picture.right) / 2, (step.picture.top + step.picture.bottom) / 2));
      std::vector<uint32_t> bgra;
      int w = 0, h = 0;
      ASSERT_TRUE(readWindowPixels(window, bgra, w, h));
      int coloured = 0;
      for (int y = step.band.top; y < step.band.bottom; ++y) {
        for (int x = step.band.left; x < step.band.right; ++x) coloured += bgra[static_cast<size_t>(y) * w + x] != kBlack;
      }
      EXPECT_EQ(0, coloured) << "pixels of an earlier picture left beside this one";
    }
    EXPECT_EQ(std::size(steps), blits()) << "the background is no picture";
  }
}

TEST_F(RenderFixture, SingleDisplayIsTheWholeScreen) {
  Rect rect;
  std::string name;
  EXPECT_EQ(-1, render().getMonitorInfo(window, rect, name));
  EXPECT_EQ("DISPLAY", name);
  EXPECT_EQ((Rect{0, 0, 1920, 1080}), rect);
}

TEST_F(RenderFixture, TwoMonitorsTakeTheOneShowingMostOfTheWindow) {
  MemoryDisplay::instance().setMonitors({{Rect{0, 0, 1920, 1080}, 32}, {Rect{1920, 0, 3200, 1024}, 16}});
  auto& windows = platform::OffscreenWindowSystem::instance();
  struct Case {
    int x;
    int y;
    std::intptr_t monitor;  // index + 1, 0 for none
    int formatId;
  };
  for (const Case& c : {Case{100, 100, 1, 1}, Case{2000, 100, 2, 3}, Case{1700, 100, 1, 1}, Case{1800, 100, 2, 3},
                        Case{5000, 100, 0, 0}}) {
    SCOPED_TRACE(c.x);
    ASSERT_TRUE(windows.move(window, c.x, c.y));
    holder.close();
    Rect rect;
    std::string name;
    const std::intptr_t handle = render().getMonitorInfo(window, rect, name);
    if (c.monitor == 0) {
      EXPECT_EQ(0, handle);
      EXPECT_EQ(1, holder.open(window, 64, 48, false));
      continue;
    }
    EXPECT_EQ("\\\\.\\DISPLAY" + std::to_string(c.monitor), name);
    ASSERT_EQ(0, holder.open(window, 64, 48, false));
    EXPECT_EQ(c.formatId, render().imageFormatId());
    EXPECT_EQ(handle, render().monitorHandle());
    ASSERT_EQ(0, drawSolid(Rect{0, 0, 320, 240}, kBlue));
    // The whole client area shows the picture, on whichever monitors it lies (5 bits of blue on 16 bits).
    const uint32_t shown = c.formatId == 3 ? 0xFF0000F8u : kBlue;
    EXPECT_EQ(shown, pixelAt(0, 0));
    EXPECT_EQ(shown, pixelAt(319, 239));
  }
}

// The renderer keeps the window's screen position and monitor between pictures; they follow the
// window's moves (its own and its parent's), resizes and a change of the monitors: the next picture
// lands at the same client position and a move to another monitor is noticed.
TEST_F(RenderFixture, KeptLookUpsFollowMovesResizesAndMonitorChanges) {
  auto& windows = platform::OffscreenWindowSystem::instance();
  MemoryDisplay::instance().setMonitors({{Rect{0, 0, 1920, 1080}, 32}, {Rect{1920, 0, 3840, 1080}, 32}});
  const HWND parent = windows.create(0, 100, 100, 800, 600);
  const HWND child = windows.create(parent, 10, 10, 320, 240);
  struct Case {
    const char* what;
    std::function<void()> change;
    bool onOpenedMonitor;
  };
  const Case cases[] = {
      {"nothing changed", [] {}, true},
      {"moved on the monitor", [&] { windows.move(child, 50, 60); }, true},
      {"parent moved on the monitor", [&] { windows.move(parent, 300, 200); }, true},
      {"resized", [&] { windows.resize(child, 200, 150); }, true},
      {"parent moved to the second monitor", [&] { windows.move(parent, 2000, 100); }, false},
      {"monitors changed under it", [&] { MemoryDisplay::instance().setMonitors({{Rect{0, 0, 3840, 1080}, 32}}); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    holder.close();
    MemoryDisplay::instance().setMonitors({{Rect{0, 0, 1920, 1080}, 32}, {Rect{1920, 0, 3840, 1080}, 32}});
    windows.move(parent, 100, 100);
    windows.move(child, 10, 10);
    windows.resize(child, 320, 240);
    ASSERT_EQ(0, holder.open(child, 64, 48, false));
    const std::vector<uint8_t> blue = solid(64, 48, kBlue);
    ASSERT_EQ(0, render().draw(child, Rect{0, 0, 20, 20}, blue.data(), 64, 48, Rect{0, 0, 64, 48}));
    ASSERT_TRUE(render().isOnOpenedMonitor(child));
    c.change();
    EXPECT_EQ(c.onOpenedMonitor, render().isOnOpenedMonitor(child));
    if (!c.onOpenedMonitor) continue;
    const std::vector<uint8_t> white = solid(64, 48, 0xFFFFFFFFu);
    ASSERT_EQ(0, render().draw(child, Rect{0, 0, 20, 20}, white.data(), 64, 48, Rect{0, 0, 64, 48}));
    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    ASSERT_TRUE(readWindowPixels(child, pixels, w, h));
    EXPECT_EQ(0xFFFFFFFFu, pixels.at(0)) << "the picture starts at the client origin";
    EXPECT_EQ(0xFFFFFFFFu, pixels.at(static_cast<size_t>(19) * w + 19));
    EXPECT_EQ(kBlack, pixels.at(static_cast<size_t>(20) * w + 20)) << "and nothing lands beside it";
  }
  holder.close();
  windows.destroy(child);
  windows.destroy(parent);
}

}  // namespace
