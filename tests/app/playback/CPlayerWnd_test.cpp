#include "app/playback/CPlayerWnd.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <memory>

#include "app/controls/AppIds.h"
#include "app/playback/IVideoWindowRegistrar.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/FakeMainDialog.h"

using app::CPlayerWnd;

namespace {

const QRgb kBackground = qRgb(10, 20, 30);
const QRgb kLogo = qRgb(200, 150, 100);

// An executable folder holding synthetic skin bitmaps; the working folder is another one, since the
// video window finds its bitmaps through the executable's folder.
class PlayerWndTest : public apptest::WithApplication, public ::testing::Test {
 protected:
  void SetUp() override {
    const QString images = QString::fromStdString(m_moduleDir->path()) + QStringLiteral("mplayerstyle/images/");
    QDir().mkpath(images);
    QImage background(4, 4, QImage::Format_RGB32);
    background.fill(kBackground);
    background.save(images + QStringLiteral("middle_bkimg.bmp"));
    QImage logo(200, 100, QImage::Format_RGB32);
    logo.fill(kLogo);
    logo.save(images + QStringLiteral("middle_logo.bmp"));
    m_main.resize(800, 600);
    m_main.show();
  }

  std::unique_ptr<apptest::ScopedModuleDir> m_moduleDir = std::make_unique<apptest::ScopedModuleDir>();
  apptest::FakeMainDialog m_main;
};

TEST_F(PlayerWndTest, PaintsBackgroundCentredLogoAndSeparator) {
  CPlayerWnd window(&m_main);
  window.setGeometry(0, 0, 640, 480);
  window.show();
  const QImage shot = window.grab().toImage();
  auto at = [&](int x, int y) { return shot.pixel(x, y) & 0xFFFFFFu; };
  EXPECT_EQ(at(219, 240), kBackground & 0xFFFFFFu);
  EXPECT_EQ(at(220, 190), kLogo & 0xFFFFFFu);   // logo's top-left corner
  EXPECT_EQ(at(419, 289), kLogo & 0xFFFFFFu);   // its bottom-right corner
  EXPECT_EQ(at(420, 289), kBackground & 0xFFFFFFu);
  EXPECT_EQ(at(220, 189), kBackground & 0xFFFFFFu);
  for (int x : {0, 320, 639}) EXPECT_EQ(at(x, 463), qRgb(51, 51, 51) & 0xFFFFFFu) << x;
  EXPECT_EQ(at(5, 462), kBackground & 0xFFFFFFu);
  EXPECT_EQ(at(5, 464), kBackground & 0xFFFFFFu);
  EXPECT_EQ(window.videoRect(), QRect(0, 0, 640, 462));
}

TEST_F(PlayerWndTest, MissingBitmapsLeaveTheWindowUnskinned) {
  m_moduleDir.reset();
  m_moduleDir = std::make_unique<apptest::ScopedModuleDir>();  // an executable folder without them
  CPlayerWnd window(&m_main);
  window.setGeometry(0, 0, 300, 200);
  const QImage shot = window.grab().toImage();
  EXPECT_EQ(shot.pixel(150, 100) & 0xFFFFFFu, 0u);
}

TEST_F(PlayerWndTest, StatusTextsSitInTheStripInWhite) {
  CPlayerWnd window(&m_main);
  window.setGeometry(0, 0, 640, 480);
  window.show();
  EXPECT_EQ(window.stateText()->geometry(), QRect(5, 465, 90, 15));
  EXPECT_EQ(window.timeText()->geometry(), QRect(520, 465, 115, 15));
  EXPECT_EQ(window.frameText()->geometry(), QRect(375, 465, 115, 15));
  window.resize(200, 480);
  EXPECT_EQ(window.frameText()->geometry(), QRect(375, 465, 115, 15)) << "too narrow: stays where it was";
  window.resize(300, 480);
  EXPECT_EQ(window.frameText()->geometry(), QRect(35, 465, 115, 15));
  window.setFrameText(QStringLiteral("12 / 250"));
  window.stateText()->setText(QString::fromUtf8("播放"));
  EXPECT_EQ(window.frameText()->text(), QStringLiteral("12 / 250"));
  EXPECT_EQ(window.stateText()->palette().color(QPalette::WindowText), QColor(255, 255, 255));
  EXPECT_FALSE(window.stateText()->autoFillBackground());
  EXPECT_EQ(window.stateText()->font().pixelSize(), 12);
  // The text is drawn white over the skin: some pixel of the label's area turns white.
  const QImage shot = window.grab().toImage();
  bool white = false;
  for (int x = 5; x < 95 && !white; ++x)
    for (int y = 465; y < 480 && !white; ++y) white = (shot.pixel(x, y) & 0xFFFFFFu) == 0xFFFFFFu;
  EXPECT_TRUE(white);
}

TEST_F(PlayerWndTest, ClicksReachTheMainWindowAsItsMessages) {
  CPlayerWnd window(&m_main);
  window.setGeometry(10, 25, 640, 480);
  window.show();
  const QPoint point(100, 50);
  const QPoint screen = window.mapToGlobal(point);
  apptest::sendMouse(&window, QEvent::MouseButtonPress, point, Qt::LeftButton, Qt::LeftButton);
  apptest::sendMouse(&window, QEvent::MouseButtonRelease, point, Qt::LeftButton, Qt::NoButton);
  apptest::sendMouse(&window, QEvent::MouseButtonDblClick, point, Qt::LeftButton, Qt::LeftButton);
  apptest::sendMouse(&window, QEvent::MouseButtonRelease, point, Qt::LeftButton, Qt::NoButton);
  apptest::sendMouse(&window, QEvent::MouseButtonPress, point, Qt::RightButton, Qt::RightButton);

  EXPECT_EQ(m_main.mousePresses, 0) << "the presses reach the main window only as its messages";
  const auto& got = m_main.received;
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].message, app::WM_LBUTTONDOWN);
  EXPECT_EQ(got[0].wParam, app::MK_LBUTTON);
  EXPECT_EQ(app::unpackPoint(got[0].lParam), screen) << "the press point travels by value";
  EXPECT_EQ(got[1].message, app::WM_VIDEO_DOUBLE_CLICK);
  EXPECT_EQ(got[1].point, screen);
  EXPECT_EQ(got[2].message, app::WM_VIDEO_CONTEXT_MENU);
  EXPECT_EQ(got[2].wParam, app::MK_RBUTTON);
  EXPECT_EQ(got[2].point, screen);
}

TEST(PackedPoint, NegativeCoordinatesSurvive) {
  for (const QPoint point : {QPoint(0, 0), QPoint(1919, 1079), QPoint(-1280, -5), QPoint(32767, -32768)}) {
    EXPECT_EQ(app::unpackPoint(app::packPoint(point)), point);
  }
}

TEST_F(PlayerWndTest, VideoWindowsRegisterWithTheWindowLayer) {
  struct Registrar : app::IVideoWindowRegistrar {
    std::uint32_t registerVideoWindow(QWidget* window) override {
      windows.push_back(window);
      return 0x10000 + static_cast<std::uint32_t>(windows.size());
    }
    void unregisterVideoWindow(std::uint32_t id) override { unregistered.push_back(id); }
    bool paintVideo(std::uint32_t id, QPainter& painter, const QRect& videoRect) override {
      painted.push_back(id);
      painter.fillRect(videoRect, QColor(0, 255, 0));  // the engine's picture
      return true;
    }
    std::vector<QWidget*> windows;
    std::vector<std::uint32_t> painted;
    std::vector<std::uint32_t> unregistered;
  } registrar;
  {
    CPlayerWnd unregistered(&m_main);
    EXPECT_EQ(unregistered.windowId(), 0u);
  }
  CPlayerWnd::setWindowRegistrar(&registrar);
  {
    CPlayerWnd window(&m_main);
    EXPECT_EQ(window.windowId(), 0x10001u);
    ASSERT_EQ(registrar.windows.size(), 1u);
    EXPECT_EQ(registrar.windows[0], &window);
    window.setGeometry(0, 0, 320, 240);
    const QImage shot = window.grab().toImage();
    EXPECT_EQ(registrar.painted, std::vector<std::uint32_t>{0x10001u});
    EXPECT_EQ(shot.pixel(160, 110) & 0xFFFFFFu, 0x00FF00u) << "the picture covers the logo";
    EXPECT_EQ(shot.pixel(160, 221) & 0xFFFFFFu, 0x00FF00u) << "the video area ends above the status strip";
    EXPECT_EQ(shot.pixel(160, 222) & 0xFFFFFFu, kBackground & 0xFFFFFFu);
    EXPECT_EQ(shot.pixel(160, 223) & 0xFFFFFFu, qRgb(51, 51, 51) & 0xFFFFFFu);
  }
  CPlayerWnd::setWindowRegistrar(nullptr);
  EXPECT_EQ(registrar.unregistered, std::vector<std::uint32_t>{0x10001u});
}

}  // namespace
