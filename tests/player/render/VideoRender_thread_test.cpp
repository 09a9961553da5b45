// Many players draw at once, each into its own window: a drawing held inside one window's framebuffer
// (a slow scale, a stalled blit) must not hold up another window's drawing or any window's look-ups.
// ThreadSanitizer runs this suite; every test that could hang runs under a time limit.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "platform/MemoryDisplay.h"
#include "platform/OffscreenWindowSystem.h"
#include "platform/OffscreenWindows.h"
#include "player/render/RenderHolder.h"
#include "tests/player/Deadline.h"

using platform::MemoryDisplay;
using platform::OffscreenWindowSystem;
using platform::Rect;

namespace {

using std::chrono::seconds;

constexpr uint32_t kBlue = 0xFF0000FFu;

// Holds window A's framebuffer from another thread (as a blit inside A's drawing would) until released.
class HeldFramebuffer {
 public:
  explicit HeldFramebuffer(HWND window) {
    m_holder = std::thread([this, window] {
      OffscreenWindowSystem::instance().withFramebuffer(window, [this](std::uint8_t*, int, int) {
        m_entered.set_value();
        m_release.get_future().wait();
      });
    });
    m_entered.get_future().wait();
  }
  ~HeldFramebuffer() {
    m_release.set_value();
    m_holder.join();
  }

 private:
  std::promise<void> m_entered;
  std::promise<void> m_release;
  std::thread m_holder;
};

// While A's drawing is held: B's renderer opens and draws a picture that lands in B, B's framebuffer
// and every look-up of both windows answer, and both windows can be moved, all without waiting for
// A. (A finished-in-time failure, not a hang, names what blocked.)
TEST(VideoRenderThreads, AHeldBlitInOneWindowBlocksNeitherAnotherWindowsDrawingNorLookUps) {
  kxtest::finishWithin(seconds(60), "drawing beside a held window", [] {
    MemoryDisplay::instance().reset();
    const HWND a = createOffscreenWindow(320, 240);
    const HWND b = createOffscreenWindow(320, 240);
    RenderHolder rendererB;
    ASSERT_EQ(0, rendererB.open(b, 64, 48, false));
    std::vector<uint8_t> blue(64 * 48 * 4);
    for (size_t i = 0; i < blue.size(); i += 4) {
      for (int k = 0; k < 4; ++k) blue[i + k] = static_cast<uint8_t>(kBlue >> (8 * k));
    }
    std::atomic<const char*> step{"nothing yet"};
    {
      HeldFramebuffer held(a);
      std::packaged_task<void()> beside([&] {
        platform::WindowSystem& windows = platform::windows();
        step = "B's renderer draws";
        EXPECT_EQ(0, rendererB.render().draw(b, Rect{0, 0, 320, 240}, blue.data(), 64, 48, Rect{0, 0, 64, 48}));
        step = "B's framebuffer";
        EXPECT_TRUE(OffscreenWindowSystem::instance().withFramebuffer(b, [](std::uint8_t*, int, int) {}));
        step = "look-ups of A and B";
        for (HWND window : {a, b}) {
          Rect rect;
          platform::Point origin;
          EXPECT_TRUE(windows.isWindow(window));
          EXPECT_TRUE(windows.getClientRect(window, rect));
          EXPECT_TRUE(windows.getWindowRect(window, rect));
          EXPECT_TRUE(windows.clientToScreen(window, origin));
          EXPECT_NE(nullptr, windows.displayOf(window));
          EXPECT_NE(nullptr, windows.geometryOf(window));
          EXPECT_TRUE(windows.invalidateRect(window, nullptr, false));
          EXPECT_TRUE(windows.postMessage(window, 0x7E8, 0, 0));
        }
        step = "B's renderer checks its monitor";
        EXPECT_TRUE(rendererB.render().isOnOpenedMonitor(b));
        step = "moving A and B";
        EXPECT_TRUE(OffscreenWindowSystem::instance().move(a, 5, 5));
        EXPECT_TRUE(OffscreenWindowSystem::instance().move(b, 0, 0));
        step = "done";
      });
      std::future<void> done = beside.get_future();
      std::thread runner(std::move(beside));
      const bool finished = done.wait_for(seconds(20)) == std::future_status::ready;
      EXPECT_TRUE(finished) << "blocked by A's drawing at: " << step.load();
      if (!finished) std::_Exit(3);  // the runner is stuck behind A's lock: a failure, not a hang
      runner.join();
    }
    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    ASSERT_TRUE(readWindowPixels(b, pixels, w, h));
    EXPECT_EQ(kBlue, pixels.at(static_cast<size_t>(120) * w + 160)) << "B's picture reached B";
    rendererB.close();
    destroyOffscreenWindow(a);
    destroyOffscreenWindow(b);
    MemoryDisplay::instance().reset();
  });
}

// Renderers on several threads draw at once, each its own colour into its own window, while another
// thread reads every window's pixels: each window ends up all of its own colour (no picture lands in
// another window, no drawing is torn by a read).
TEST(VideoRenderThreads, RenderersOnManyThreadsDrawOnlyIntoTheirOwnWindows) {
  kxtest::finishWithin(seconds(60), "drawing on many threads", [] {
    MemoryDisplay::instance().reset();
    constexpr int kWindows = 4, kPictures = 200;
    const uint32_t colours[kWindows] = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFFFFFFFFu};
    std::vector<HWND> windows;
    for (int i = 0; i < kWindows; ++i) windows.push_back(createOffscreenWindow(64, 48));
    std::atomic<bool> stop{false};
    std::thread reader([&] {
      std::vector<uint32_t> pixels;
      int w = 0, h = 0;
      while (!stop.load()) {
        for (HWND window : windows) readWindowPixels(window, pixels, w, h);
      }
    });
    std::vector<std::thread> drawers;
    std::atomic<int> failures{0};
    for (int i = 0; i < kWindows; ++i) {
      drawers.emplace_back([&, i] {
        std::vector<uint8_t> picture(32 * 24 * 4);
        for (size_t p = 0; p < picture.size(); p += 4) {
          for (int k = 0; k < 4; ++k) picture[p + k] = static_cast<uint8_t>(colours[i] >> (8 * k));
        }
        RenderHolder holder;
        if (holder.open(windows[i], 32, 24, false) != 0) {
          ++failures;
          return;
        }
        for (int n = 0; n < kPictures; ++n) {
          if (holder.render().draw(windows[i], Rect{0, 0, 64, 48}, picture.data(), 32, 24, Rect{0, 0, 32, 24}) != 0) {
            ++failures;
          }
        }
        holder.close();
      });
    }
    for (std::thread& drawer : drawers) drawer.join();
    stop.store(true);
    reader.join();
    EXPECT_EQ(0, failures.load());
    for (int i = 0; i < kWindows; ++i) {
      std::vector<uint32_t> pixels;
      int w = 0, h = 0;
      ASSERT_TRUE(readWindowPixels(windows[i], pixels, w, h));
      for (uint32_t pixel : pixels) ASSERT_EQ(colours[i], pixel) << "window " << i;
      destroyOffscreenWindow(windows[i]);
    }
    MemoryDisplay::instance().reset();
  });
}

}  // namespace
