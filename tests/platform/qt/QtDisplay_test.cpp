#include "platform/qt/QtDisplay.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QScreen>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <vector>

#include "platform/MemoryDisplay.h"
#include "platform/OffscreenWindowSystem.h"
#include "platform/OffscreenWindows.h"
#include "platform/qt/QtVideoWidget.h"
#include "platform/qt/QtWindowSystem.h"
#include "player/render/RenderHolder.h"

using platform::Rect;

namespace {

// One application for the whole suite, on Qt's offscreen platform (no display needed), made by the
// first test and ended after the last one, inside main.
class QtEnvironment : public ::testing::Environment {
 public:
  QApplication& application() {
    if (m_pApp == nullptr) {
      ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
      m_pApp = new QApplication(m_nArgc, m_argv);
    }
    return *m_pApp;
  }
  void TearDown() override {
    delete m_pApp;
    m_pApp = nullptr;
  }

 private:
  int m_nArgc = 1;
  char m_name[32] = "platform_qt_tests";
  char* m_argv[2] = {m_name, nullptr};
  QApplication* m_pApp = nullptr;
};

QtEnvironment* const environment =
    static_cast<QtEnvironment*>(::testing::AddGlobalTestEnvironment(new QtEnvironment));

QApplication& application() { return environment->application(); }

// A picture with every pixel different: a gradient of 32-bit B, G, R, A.
std::vector<uint8_t> gradient(int width, int height) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
      p[0] = static_cast<uint8_t>(x * 255 / width);
      p[1] = static_cast<uint8_t>(y * 255 / height);
      p[2] = static_cast<uint8_t>((x + y) * 3);
      p[3] = 255;
    }
  }
  return pixels;
}

int drawInto(HWND window, const std::vector<uint8_t>& picture) {
  RenderHolder holder;
  const int opened = holder.open(window, 176, 144, false);
  if (opened != 0) return opened;
  return holder.render().draw(window, Rect{10, 20, 330, 260}, picture.data(), 176, 144, Rect{0, 0, 176, 144});
}

std::vector<uint32_t> rgbOf(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  std::vector<uint32_t> out;
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) out.push_back(row[x] & 0x00FFFFFFu);
  }
  return out;
}

struct QtFixture : ::testing::Test {
  QtFixture() {
    widget.resize(400, 300);
    widget.show();
    QApplication::processEvents();
  }
  QApplication& app = application();  // before any widget
  platform::QtVideoWidget widget;
};

TEST_F(QtFixture, PictureInAWidgetEqualsTheMemoryFramebuffer) {
  const std::vector<uint8_t> picture = gradient(176, 144);
  ASSERT_EQ(0, drawInto(widget.windowId(), picture));
  QApplication::processEvents();
  // The same draw on the memory display, with a monitor like Qt's screen and the window at the same place.
  const platform::MonitorInfo screen = platform::QtDisplay::instance().monitors().at(0);
  platform::DisplaySettings settings;
  ASSERT_TRUE(platform::QtDisplay::instance().displaySettings(screen.deviceName, settings));
  platform::MemoryDisplay::instance().setMonitors({{screen.rect, settings.bitsPerPixel}});
  platform::Point origin;
  ASSERT_TRUE(platform::windows().clientToScreen(widget.windowId(), origin));
  const HWND offscreen = platform::OffscreenWindowSystem::instance().create(0, origin.x, origin.y, 400, 300);
  ASSERT_EQ(0, drawInto(offscreen, picture));
  std::vector<uint32_t> memory;
  int width = 0, height = 0;
  ASSERT_TRUE(readWindowPixels(offscreen, memory, width, height));
  for (uint32_t& pixel : memory) pixel &= 0x00FFFFFFu;
  const std::vector<uint32_t> grabbed = rgbOf(widget.grab().toImage());
  ASSERT_EQ(memory.size(), grabbed.size());
  EXPECT_TRUE(memory == grabbed) << "the widget shows other pixels than the memory framebuffer";
  EXPECT_NE(0u, grabbed[static_cast<size_t>(100) * 400 + 100]);  // something was drawn
  destroyOffscreenWindow(offscreen);
  platform::MemoryDisplay::instance().reset();
}

TEST_F(QtFixture, DrawingFromAnotherThreadNeverWaitsForTheGuiThread) {
  const std::vector<uint8_t> picture = gradient(176, 144);
  // The GUI thread (this one) runs no event loop until the draw is back.
  std::future<int> drawn = std::async(std::launch::async, [&] { return drawInto(widget.windowId(), picture); });
  ASSERT_EQ(std::future_status::ready, drawn.wait_for(std::chrono::seconds(60)));
  EXPECT_EQ(0, drawn.get());
  QApplication::processEvents();
  const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(rgbOf(widget.backImage()), rgbOf(shown));
}

// Counts the queued calls (repaint requests) the widget receives.
struct QueuedCallCounter : QObject {
  int calls = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MetaCall) ++calls;
    return false;
  }
};

// Pictures drawn while the GUI thread is busy ask for one repaint between them, which shows the last
// of them; once the GUI thread has taken that request, the next picture asks again.
TEST_F(QtFixture, PicturesDrawnWhileARepaintIsPendingShareIt) {
  QueuedCallCounter counter;
  widget.installEventFilter(&counter);
  std::vector<uint8_t> last = gradient(176, 144);
  for (uint8_t& byte : last) byte = static_cast<uint8_t>(255 - byte);
  for (const std::vector<uint8_t>& picture : {gradient(176, 144), gradient(176, 144), last}) {
    ASSERT_EQ(0, std::async(std::launch::async, [&] { return drawInto(widget.windowId(), picture); }).get());
  }
  QApplication::processEvents();
  EXPECT_EQ(1, counter.calls);
  const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(rgbOf(widget.backImage()), rgbOf(shown));
  ASSERT_EQ(0, drawInto(widget.windowId(), gradient(176, 144)));
  QApplication::processEvents();
  EXPECT_EQ(2, counter.calls) << "a picture after the repaint asks for another";
  widget.removeEventFilter(&counter);
}

TEST_F(QtFixture, MessagesArriveThroughTheEventLoopAndNotForAClosedWindow) {
  std::vector<platform::WindowMessage> received;
  auto* other = new platform::QtVideoWidget;
  const HWND window = other->windowId();
  platform::QtWindowSystem::instance().setMessageHandler(
      window, [&](const platform::WindowMessage& message) { received.push_back(message); });
  std::async(std::launch::async, [&] { EXPECT_TRUE(platform::windows().postMessage(window, 0x7E8, 1, 2)); }).get();
  EXPECT_TRUE(received.empty());
  QApplication::processEvents();
  ASSERT_EQ(1u, received.size());
  EXPECT_EQ(0x7E8u, received[0].message);
  EXPECT_EQ(2, received[0].lParam);
  delete other;
  EXPECT_FALSE(platform::windows().postMessage(window, 0x7E8, 1, 2));
  EXPECT_FALSE(platform::windows().isWindow(window));
}

}  // namespace

namespace {

// The screens as the window system has them now, as monitor rectangles.
std::vector<Rect> screenRects(QScreen* leaving = nullptr) {
  std::vector<Rect> rects;
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen == leaving) continue;
    const QRect g = screen->geometry();
    rects.push_back(Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
  }
  return rects;
}

std::vector<Rect> monitorRects() {
  std::vector<Rect> rects;
  for (const platform::MonitorInfo& monitor : platform::QtDisplay::instance().monitors()) rects.push_back(monitor.rect);
  return rects;
}

bool sameRects(const std::vector<Rect>& a, const std::vector<Rect>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].left != b[i].left || a[i].top != b[i].top || a[i].right != b[i].right || a[i].bottom != b[i].bottom) {
      return false;
    }
  }
  return true;
}

}  // namespace

TEST_F(QtFixture, ScreenEventsOfTheWindowSystemRefreshTheMonitors) {
  platform::QtDisplay& display = platform::QtDisplay::instance();
  display.refreshMonitors();  // a window registered: the screen events are followed from here on
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(nullptr, screen);
  const std::vector<platform::SoftwareDisplay::Monitor> stale{{Rect{0, 0, 10, 10}, 32}, {Rect{10, 0, 20, 10}, 32}};
  struct Event {
    const char* name;
    std::function<void()> happen;
    QScreen* leaving;
  } events[] = {
      {"screen added", [screen] { Q_EMIT qGuiApp->screenAdded(screen); }, nullptr},
      {"geometry changed", [screen] { Q_EMIT screen->geometryChanged(screen->geometry()); }, nullptr},
      {"primary screen changed", [screen] { Q_EMIT qGuiApp->primaryScreenChanged(screen); }, nullptr},
      {"screen removed", [screen] { Q_EMIT qGuiApp->screenRemoved(screen); }, screen},
  };
  for (const Event& event : events) {
    display.setMonitors(stale);
    event.happen();
    EXPECT_TRUE(sameRects(monitorRects(), screenRects(event.leaving))) << event.name;
  }
  display.refreshMonitors();
  EXPECT_TRUE(sameRects(monitorRects(), screenRects()));
}
