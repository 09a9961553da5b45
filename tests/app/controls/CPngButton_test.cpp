#include "app/controls/CPngButton.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/controls/AppIds.h"
#include "tests/app/AppTestSupport.h"

using app::CPngButton;

namespace {

// A 4-frame strip, 30 x 25 per frame: every frame a solid colour of its own, its top-left 3 x 3
// corner fully transparent.
const QRgb kFrameColours[4] = {qRgb(200, 10, 10), qRgb(10, 200, 10), qRgb(10, 10, 200), qRgb(90, 90, 90)};

QString writeStrip(const QTemporaryDir& dir) {
  QImage strip(120, 25, QImage::Format_ARGB32);
  for (int x = 0; x < 120; ++x) {
    for (int y = 0; y < 25; ++y) {
      const bool corner = (x % 30) < 3 && y < 3;
      strip.setPixel(x, y, corner ? qRgba(0, 0, 0, 0) : kFrameColours[x / 30]);
    }
  }
  const QString path = dir.path() + QStringLiteral("/strip.png");
  strip.save(path);
  return path;
}

class PngButtonTest : public apptest::WithApplication, public ::testing::Test {
 protected:
  void SetUp() override {
    apptest::application();
    m_parent.resize(200, 100);
    m_button = new CPngButton(&m_parent, app::IDC_PLAY);
    m_button->move(20, 30);
    ASSERT_TRUE(m_button->loadImage(writeStrip(m_dir)));
    m_parent.show();
  }

  // The colour the button shows in the middle of its face, from a real paint.
  QRgb shownColour() {
    const QImage shot = m_button->grab().toImage();
    return shot.pixel(15, 12) & 0xFFFFFFu;
  }

  QTemporaryDir m_dir;
  apptest::MessageRecorder m_parent;
  CPngButton* m_button = nullptr;
};

TEST_F(PngButtonTest, TakesTheSizeOfOneFrameAndKeepsItsPlace) {
  EXPECT_EQ(m_button->geometry(), QRect(20, 30, 30, 25));
  EXPECT_EQ(m_button->frameWidth(), 30);
  CPngButton missing(&m_parent);
  missing.move(5, 5);
  EXPECT_TRUE(missing.loadImage(m_dir.path() + QStringLiteral("/none.png")));
  EXPECT_EQ(missing.geometry(), QRect(5, 5, 0, 0));
}

TEST_F(PngButtonTest, EachStateDrawsItsFrameOfTheStrip) {
  EXPECT_EQ(m_button->currentFrame(), 0);
  const QImage normal = m_button->grab().toImage();
  for (int x = 0; x < 30; ++x) {
    for (int y = 0; y < 25; ++y) {
      if (x < 3 && y < 3) continue;  // transparent: shows what lies below
      ASSERT_EQ(normal.pixel(x, y) & 0xFFFFFFu, kFrameColours[0] & 0xFFFFFFu) << x << "," << y;
    }
  }
  apptest::sendMouse(m_button, QEvent::MouseMove, QPoint(15, 12), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(m_button->currentFrame(), 1);
  EXPECT_EQ(shownColour(), kFrameColours[1] & 0xFFFFFFu);
  apptest::sendMouse(m_button, QEvent::MouseButtonPress, QPoint(15, 12), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(m_button->currentFrame(), 2);
  EXPECT_EQ(shownColour(), kFrameColours[2] & 0xFFFFFFu);
  apptest::sendMouse(m_button, QEvent::MouseButtonRelease, QPoint(15, 12), Qt::LeftButton, Qt::NoButton);
  m_button->setEnabled(false);
  EXPECT_EQ(m_button->currentFrame(), 3);
  EXPECT_EQ(shownColour(), kFrameColours[3] & 0xFFFFFFu);
}

TEST_F(PngButtonTest, ToggleModeShowsOnAndDisabledWhateverTheHover) {
  m_button->setMode(CPngButton::ToggleMode);
  apptest::sendMouse(m_button, QEvent::MouseMove, QPoint(15, 12), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(m_button->currentFrame(), 2) << "hover";
  m_button->setToggledOn(true);
  EXPECT_EQ(m_button->currentFrame(), 1);
  EXPECT_EQ(shownColour(), kFrameColours[1] & 0xFFFFFFu);
  m_button->setEnabled(false);
  EXPECT_EQ(m_button->currentFrame(), 3);
}

TEST_F(PngButtonTest, ClicksOnOpaquePixelsSendTheCommandAndTransparentOnesNothing) {
  apptest::sendMouse(m_button, QEvent::MouseButtonPress, QPoint(1, 1), Qt::LeftButton, Qt::LeftButton);
  EXPECT_FALSE(m_button->isDown());
  apptest::sendMouse(m_button, QEvent::MouseButtonRelease, QPoint(1, 1), Qt::LeftButton, Qt::NoButton);
  EXPECT_TRUE(m_parent.only(app::WM_COMMAND).empty());

  apptest::sendMouse(m_button, QEvent::MouseButtonPress, QPoint(15, 12), Qt::LeftButton, Qt::LeftButton);
  apptest::sendMouse(m_button, QEvent::MouseButtonRelease, QPoint(15, 12), Qt::LeftButton, Qt::NoButton);
  const auto commands = m_parent.only(app::WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(app::commandId(commands[0].wParam), app::IDC_PLAY);
  EXPECT_EQ(app::commandCode(commands[0].wParam), app::BN_CLICKED);
  EXPECT_EQ(commands[0].lParam, reinterpret_cast<app::LPARAM>(m_button));
}

TEST_F(PngButtonTest, ADoubleClickIsTwoClicks) {
  apptest::sendMouse(m_button, QEvent::MouseButtonPress, QPoint(15, 12), Qt::LeftButton, Qt::LeftButton);
  apptest::sendMouse(m_button, QEvent::MouseButtonRelease, QPoint(15, 12), Qt::LeftButton, Qt::NoButton);
  apptest::sendMouse(m_button, QEvent::MouseButtonDblClick, QPoint(15, 12), Qt::LeftButton, Qt::LeftButton);
  apptest::sendMouse(m_button, QEvent::MouseButtonRelease, QPoint(15, 12), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(m_parent.only(app::WM_COMMAND).size(), 2u);
}

TEST_F(PngButtonTest, HoverStartsAtTheFirstOpaquePixelAndEndsOnLeaving) {
  apptest::sendMouse(m_button, QEvent::MouseMove, QPoint(1, 1), Qt::NoButton, Qt::NoButton);
  EXPECT_FALSE(m_button->isHovering());
  apptest::sendMouse(m_button, QEvent::MouseMove, QPoint(4, 4), Qt::NoButton, Qt::NoButton);
  EXPECT_TRUE(m_button->isHovering());
  apptest::sendMouse(m_button, QEvent::MouseMove, QPoint(1, 1), Qt::NoButton, Qt::NoButton);
  EXPECT_TRUE(m_button->isHovering()) << "once tracking, only leaving ends the hover";
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(m_button, &leave);
  EXPECT_FALSE(m_button->isHovering());
  EXPECT_EQ(m_button->currentFrame(), 0);
}

TEST_F(PngButtonTest, TooltipTextIsReplacedAndANullTextIgnored) {
  m_button->setToolTipText(QStringLiteral("Play"));
  m_button->setToolTipText(QString::fromUtf8("播放"));
  EXPECT_EQ(m_button->toolTip(), QString::fromUtf8("播放"));
  m_button->setToolTipText(QString());
  EXPECT_EQ(m_button->toolTip(), QString::fromUtf8("播放"));
}

}  // namespace
