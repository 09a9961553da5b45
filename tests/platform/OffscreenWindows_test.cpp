#include "platform/OffscreenWindows.h"

#include <gtest/gtest.h>

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

}  // namespace
