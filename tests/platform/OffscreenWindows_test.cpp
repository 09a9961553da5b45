#include "platform/OffscreenWindows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "platform/MemoryDisplay.h"
#include "platform/OffscreenWindowSystem.h"
#include "platform/WindowSystem.h"

using platform::Point;
using platform::Rect;

namespace {

TEST(OffscreenWindows, FramebufferStartsBlackAtTheClientSize) {
  const HWND window = createOffscreenWindow(7, 5);
  ASSERT_NE(0u, window);
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
  ASSERT_TRUE(readWindowPixels(window, pixels, width, height));
  EXPECT_EQ(7, width);
  EXPECT_EQ(5, height);
  EXPECT_EQ(std::vector<uint32_t>(35, 0xFF000000u), pixels);
  destroyOffscreenWindow(window);
  EXPECT_FALSE(readWindowPixels(window, pixels, width, height));
  EXPECT_FALSE(platform::windows().isWindow(window));
}

TEST(OffscreenWindows, MessagesComeOutInPostingOrderAndAClosedWindowDropsThem) {
  const HWND window = createOffscreenWindow(10, 10);
  platform::WindowSystem& windows = platform::windows();
  EXPECT_TRUE(windows.postMessage(window, 0x7E8, 1, 2));
  EXPECT_TRUE(windows.invalidateRect(window, nullptr, true));
  EXPECT_TRUE(windows.postMessage(window, 0x7E8, 3, 4));
  std::vector<WindowMessage> out;
  EXPECT_EQ(3, pumpWindowMessages(window, out));
  ASSERT_EQ(3u, out.size());
  EXPECT_EQ(0x7E8u, out[0].message);
  EXPECT_EQ(1u, out[0].wParam);
  EXPECT_EQ(2, out[0].lParam);
  EXPECT_EQ(window, out[0].window);
  EXPECT_EQ(WM_PAINT, out[1].message);
  EXPECT_EQ(3u, out[2].wParam);
  EXPECT_EQ(0, pumpWindowMessages(window, out));
  destroyOffscreenWindow(window);
  EXPECT_FALSE(windows.postMessage(window, 0x7E8, 5, 6));
  EXPECT_FALSE(windows.invalidateRect(window, nullptr, true));
  EXPECT_EQ(0, pumpWindowMessages(window, out));
  EXPECT_FALSE(windows.postMessage(0, 0x7E8, 5, 6));
}

TEST(OffscreenWindows, GeometryOfTopLevelAndChildWindows) {
  auto& offscreen = platform::OffscreenWindowSystem::instance();
  platform::WindowSystem& windows = platform::windows();
  const HWND top = offscreen.create(0, 100, 50, 400, 300);
  const HWND child = offscreen.create(top, 20, 10, 64, 48);
  Rect rect;
  ASSERT_TRUE(windows.getClientRect(child, rect));
  EXPECT_EQ((Rect{0, 0, 64, 48}), rect);
  ASSERT_TRUE(windows.getWindowRect(child, rect));
  EXPECT_EQ((Rect{120, 60, 184, 108}), rect);
  Point point{1, 2};
  ASSERT_TRUE(windows.clientToScreen(child, point));
  EXPECT_EQ(121, point.x);
  EXPECT_EQ(62, point.y);
  EXPECT_EQ(top, windows.getParent(child));
  EXPECT_EQ(0u, windows.getParent(top));
  EXPECT_EQ(&platform::MemoryDisplay::instance(), windows.displayOf(child));
  ASSERT_TRUE(offscreen.move(top, 0, 0));
  ASSERT_TRUE(windows.getWindowRect(child, rect));
  EXPECT_EQ((Rect{20, 10, 84, 58}), rect);
  offscreen.destroy(child);
  offscreen.destroy(top);
  EXPECT_EQ(nullptr, windows.displayOf(child));
  EXPECT_FALSE(windows.getClientRect(top, rect));
}

TEST(MemoryDisplayLayer, MonitorsDriversAndSettings) {
  auto& display = platform::MemoryDisplay::instance();
  display.setMonitors({{Rect{0, 0, 1024, 768}, 16}, {Rect{-800, 0, 0, 600}, 24}});
  const std::vector<platform::MonitorInfo> monitors = display.monitors();
  ASSERT_EQ(2u, monitors.size());
  EXPECT_EQ((Rect{-800, 0, 0, 600}), monitors[1].rect);
  EXPECT_NE(monitors[0].handle, monitors[1].handle);
  const std::vector<platform::DisplayDriver> drivers = display.drivers();
  ASSERT_EQ(3u, drivers.size());
  EXPECT_EQ("display", drivers[0].name);
  EXPECT_FALSE(drivers[0].hasId);
  EXPECT_EQ(monitors[1].deviceName, drivers[2].name);
  platform::DisplaySettings settings;
  ASSERT_TRUE(display.displaySettings(monitors[1].deviceName, settings));
  EXPECT_EQ(600, settings.heightPixels);
  EXPECT_EQ(24, settings.bitsPerPixel);
  EXPECT_EQ(1024, display.screenWidth());
  std::unique_ptr<platform::DisplayDevice> device;
  ASSERT_EQ(platform::DD_OK, display.createDevice(nullptr, device));
  std::unique_ptr<platform::Surface> surface;
  ASSERT_EQ(platform::DD_OK, device->createPrimarySurface(surface));
  EXPECT_EQ(1024, surface->width());
  EXPECT_EQ(platform::SurfaceFormat::Rgb565, surface->format());
  EXPECT_EQ(platform::DDERR_UNSUPPORTED, device->waitForVerticalBlank(platform::VerticalBlankWait::BlockEnd));
  display.reset();
}

// The geometry a renderer keeps for its window follows the window's own moves, its parent's moves and
// its resizes, and says when the window is closed.
TEST(OffscreenWindows, KeptGeometryFollowsMovesResizesAndTheClose) {
  auto& offscreen = platform::OffscreenWindowSystem::instance();
  const HWND top = offscreen.create(0, 100, 50, 400, 300);
  const HWND child = offscreen.create(top, 20, 10, 64, 48);
  const std::shared_ptr<const platform::WindowGeometry> geometry = platform::windows().geometryOf(child);
  ASSERT_NE(nullptr, geometry);
  struct Case {
    const char* what;
    std::function<void()> change;
    Point origin;
    int width;
  };
  const Case cases[] = {
      {"as made", [] {}, {120, 60}, 64},
      {"moved", [&] { offscreen.move(child, 30, 40); }, {130, 90}, 64},
      {"parent moved", [&] { offscreen.move(top, 0, 0); }, {30, 40}, 64},
      {"resized", [&] { offscreen.resize(child, 80, 48); }, {30, 40}, 80},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::uint64_t before = geometry->changes();
    c.change();
    const platform::WindowGeometry::State state = geometry->read();
    EXPECT_EQ(c.origin.x, state.origin.x);
    EXPECT_EQ(c.origin.y, state.origin.y);
    EXPECT_EQ(c.width, state.width);
    EXPECT_TRUE(state.open);
    Point screen;
    ASSERT_TRUE(platform::windows().clientToScreen(child, screen));
    EXPECT_EQ(c.origin.x, screen.x) << "the same as the backend answers";
    if (std::string(c.what) != "as made") EXPECT_NE(before, geometry->changes());
  }
  offscreen.destroy(child);
  EXPECT_FALSE(geometry->read().open);
  EXPECT_EQ(nullptr, platform::windows().geometryOf(child));
  offscreen.destroy(top);
}

// A full-size blit from a YV12 surface onto an RGB surface shares the YV12 memory instead of copying
// it: writing the next picture into the YV12 surface (write-only, as a renderer does every frame, or
// read-write) leaves the RGB surface showing the picture it was given, and the next blit shows the new one.
TEST(MemoryDisplayLayer, RgbSurfaceKeepsItsPictureWhenTheYv12SurfaceIsWrittenAgain) {
  auto& display = platform::MemoryDisplay::instance();
  display.reset();
  std::unique_ptr<platform::DisplayDevice> device;
  ASSERT_EQ(platform::DD_OK, display.createDevice(nullptr, device));
  std::unique_ptr<platform::Surface> yv12, rgb;
  ASSERT_EQ(platform::DD_OK, device->createOffscreenSurface(16, 8, true, yv12));
  ASSERT_EQ(platform::DD_OK, device->createOffscreenSurface(16, 8, false, rgb));
  // Luma only (chroma 128, grey): the converted value follows the luma.
  auto fill = [&](std::uint8_t luma, platform::LockMode mode) {
    platform::SurfaceDesc desc;
    ASSERT_EQ(platform::DD_OK, yv12->lock(desc, mode));
    std::memset(desc.bits, luma, static_cast<size_t>(desc.pitch) * desc.height);
    std::memset(desc.bits + static_cast<size_t>(desc.pitch) * desc.height, 128,
                static_cast<size_t>(desc.pitch) * desc.height / 2);
    yv12->unlock();
  };
  auto rgbBlue = [&] {
    platform::SurfaceDesc desc;
    EXPECT_EQ(platform::DD_OK, rgb->lock(desc));
    const std::uint8_t value = desc.bits[0];
    rgb->unlock();
    return static_cast<int>(value);
  };
  for (platform::LockMode mode : {platform::LockMode::WriteOnly, platform::LockMode::ReadWrite}) {
    fill(200, mode);
    ASSERT_EQ(platform::DD_OK, rgb->blt(nullptr, *yv12, nullptr));
    const int bright = rgbBlue();
    fill(40, mode);
    EXPECT_EQ(bright, rgbBlue()) << "the RGB surface still shows the first picture";
    ASSERT_EQ(platform::DD_OK, rgb->blt(nullptr, *yv12, nullptr));
    fill(200, mode);  // written again before the second picture was ever looked at
    const int dark = rgbBlue();
    EXPECT_LT(dark, bright - 100) << "the second picture";
    for (int round = 0; round < 3; ++round) {  // the memories taking turns stay apart
      fill(static_cast<std::uint8_t>(round % 2 ? 200 : 40), mode);
      ASSERT_EQ(platform::DD_OK, rgb->blt(nullptr, *yv12, nullptr));
      fill(static_cast<std::uint8_t>(round % 2 ? 40 : 200), mode);
      EXPECT_EQ(round % 2 ? bright : dark, rgbBlue());
    }
  }
  display.reset();
}

}  // namespace
