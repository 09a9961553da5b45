#include "app/controls/CBmpSliderCtrl.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "app/controls/AppIds.h"
#include "tests/app/AppTestSupport.h"

using app::CBmpSliderCtrl;

namespace {

const QRgb kEmpty = qRgb(60, 60, 60);
const QRgb kFilled = qRgb(40, 100, 200);
const QRgb kThumbNormal = qRgb(220, 220, 220);
const QRgb kThumbPressed = qRgb(250, 200, 0);

QImage solid(int width, int height, QRgb colour) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// Thumb strip of three 12 x 10 frames: normal, pressed, hover.
QImage thumbStrip() {
  QImage image(36, 10, QImage::Format_RGB32);
  image.fill(qRgb(1, 2, 3));
  for (int x = 0; x < 12; ++x)
    for (int y = 0; y < 10; ++y) {
      image.setPixel(x, y, kThumbNormal);
      image.setPixel(12 + x, y, kThumbPressed);
    }
  return image;
}

class BmpSliderTest : public apptest::WithApplication, public ::testing::Test {
 protected:
  void SetUp() override {
    apptest::application();
    m_parent.resize(420, 60);
    m_slider = new CBmpSliderCtrl(&m_parent, app::IDC_SEEK_SLIDER);
    m_slider->setGeometry(10, 10, 358, 18);
    m_slider->setChannelBitmap(solid(40, 18, kEmpty));
    m_slider->setFilledChannelBitmap(solid(40, 18, kFilled));
    m_slider->setThumbBitmap(thumbStrip());
    m_slider->setThumbTop(4);
    m_slider->setRange(0, 100);
    m_parent.show();
  }
  QRgb shown(const QImage& shot, int x, int y) const { return shot.pixel(x, y) & 0xFFFFFFu; }

  apptest::MessageRecorder m_parent;
  CBmpSliderCtrl* m_slider = nullptr;
};

TEST_F(BmpSliderTest, ThumbAndChannelPositionsForValuesAndSizes) {
  struct Case {
    int width, minimum, maximum, position, thumbLeft;
  };
  const Case cases[] = {
      {358, 0, 100, 0, 0},    {358, 0, 100, 50, 173},  {358, 0, 100, 100, 346}, {358, 0, 3600, 900, 86},
      {200, 0, 100, 33, 62},  {200, 10, 20, 15, 94},   {200, 0, 0, 0, 0},       {80, 0, 100, 100, 68},
  };
  for (const Case& c : cases) {
    m_slider->resize(c.width, 18);
    m_slider->setRange(c.minimum, c.maximum);
    m_slider->setPos(c.position);
    EXPECT_EQ(m_slider->thumbRect(), QRect(c.thumbLeft, 4, 12, 10)) << c.width << " " << c.position;
    const QImage shot = m_slider->grab().toImage();
    const int thumbRight = c.thumbLeft + 12;
    // Filled left of the thumb's right edge (after the 8-pixel cap), empty to its right, thumb on top.
    if (thumbRight > 9 && thumbRight <= c.width - 8) {  // the right cap always shows the empty channel
      EXPECT_EQ(shown(shot, thumbRight - 1, 1), kFilled & 0xFFFFFFu) << c.position;
    }
    if (thumbRight < c.width - 8) {
      EXPECT_EQ(shown(shot, thumbRight, 1), kEmpty & 0xFFFFFFu) << c.position;
    }
    EXPECT_EQ(shown(shot, 3, 9), c.thumbLeft <= 3 ? kThumbNormal & 0xFFFFFFu : kFilled & 0xFFFFFFu) << "left cap";
    EXPECT_EQ(shown(shot, c.width - 3, 1), kEmpty & 0xFFFFFFu) << "right cap";
    EXPECT_EQ(shown(shot, c.thumbLeft + 6, 8), kThumbNormal & 0xFFFFFFu);
  }
}

TEST_F(BmpSliderTest, AClickOnTheChannelJumpsThereAndTellsTheParent) {
  m_slider->setPos(20);
  apptest::sendMouse(m_slider, QEvent::MouseButtonPress, QPoint(179, 9), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(m_slider->pageSize(), 30);
  EXPECT_EQ(m_slider->pos(), 50);
  const auto clicks = m_parent.only(app::WM_SLIDER_CLICK);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].wParam, app::MK_LBUTTON);
  EXPECT_EQ(clicks[0].point, m_slider->mapToGlobal(QPoint(179, 9)));
  apptest::sendMouse(m_slider, QEvent::MouseButtonRelease, QPoint(179, 9), Qt::LeftButton, Qt::NoButton);
  const auto notes = m_parent.only(app::WM_NOTIFY);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].header.code, app::NM_RELEASEDCAPTURE);
  EXPECT_EQ(notes[0].header.idFrom, app::IDC_SEEK_SLIDER);
  EXPECT_EQ(notes[0].header.from, m_slider);

  // Clicking below the thumb's position moves back; a click at the thumb's own value changes nothing.
  apptest::sendMouse(m_slider, QEvent::MouseButtonPress, QPoint(35, 9), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(m_slider->pos(), 9);
  EXPECT_EQ(m_slider->pageSize(), 41);

  // A range that does not start at 0 aims at the value under the pointer all the same.
  m_slider->setRange(1000, 1100);
  m_slider->setPos(1000);
  apptest::sendMouse(m_slider, QEvent::MouseButtonPress, QPoint(179, 9), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(m_slider->pos(), 1050);
}

TEST_F(BmpSliderTest, DraggingTheThumbShowsThePressedFrameAndFollowsThePointer) {
  m_slider->setPos(50);
  const QPoint grab = m_slider->thumbRect().center();
  apptest::sendMouse(m_slider, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
  EXPECT_TRUE(m_slider->isThumbPressed());
  EXPECT_EQ(shown(m_slider->grab().toImage(), grab.x(), grab.y()), kThumbPressed & 0xFFFFFFu);
  apptest::sendMouse(m_slider, QEvent::MouseMove, grab + QPoint(173, 0), Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(m_slider->pos(), 100);
  apptest::sendMouse(m_slider, QEvent::MouseMove, grab - QPoint(500, 0), Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(m_slider->pos(), 0);
  apptest::sendMouse(m_slider, QEvent::MouseButtonRelease, grab, Qt::LeftButton, Qt::NoButton);
  EXPECT_FALSE(m_slider->isThumbPressed());
  EXPECT_EQ(shown(m_slider->grab().toImage(), 6, 8), kThumbNormal & 0xFFFFFFu);
  EXPECT_EQ(m_parent.only(app::WM_SLIDER_MOVE).size(), 2u);
  EXPECT_EQ(m_parent.only(app::WM_SLIDER_MOVE)[1].point, m_slider->mapToGlobal(grab - QPoint(500, 0)));
}

TEST_F(BmpSliderTest, AMoveWithoutButtonsStillReachesTheParent) {
  apptest::sendMouse(m_slider, QEvent::MouseMove, QPoint(100, 5), Qt::NoButton, Qt::NoButton);
  const auto moves = m_parent.only(app::WM_SLIDER_MOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].wParam, 0u);
  EXPECT_EQ(m_slider->pos(), 0);
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST_F(BmpSliderTest, AnIdleSliderDoesNotRepaint) {
  PaintCounter counter;
  m_slider->installEventFilter(&counter);
  m_slider->update();
  QElapsedTimer waited;
  waited.start();
  while (counter.paints == 0 && waited.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_GE(counter.paints, 1);
  const int afterFirst = counter.paints;
  // Plenty of turns of the event loop: a slider that invalidated itself while painting would be
  // painted again on each.
  for (int turn = 0; turn < 50; ++turn) QApplication::processEvents(QEventLoop::AllEvents, 5);
  EXPECT_EQ(counter.paints, afterFirst);
  EXPECT_FALSE(m_slider->hasFocus());
  m_slider->setPos(30);
  for (int turn = 0; turn < 5; ++turn) QApplication::processEvents();
  EXPECT_GT(counter.paints, afterFirst) << "a change of position repaints";
}

}  // namespace
