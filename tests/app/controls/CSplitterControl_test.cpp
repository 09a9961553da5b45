#include "app/controls/CSplitterControl.h"

#include <gtest/gtest.h>

#include "app/controls/AppIds.h"
#include "tests/app/AppTestSupport.h"

using app::CSplitterControl;

namespace {

class SplitterTest : public apptest::WithApplication, public ::testing::Test {
 protected:
  void SetUp() override {
    apptest::application();
    m_parent.resize(800, 600);
    m_parent.show();
  }
  // Presses the bar's centre, moves the pointer by `offset` and releases it there.
  void drag(CSplitterControl& bar, QPoint offset) {
    const QPoint centre(bar.width() / 2, bar.height() / 2);
    apptest::sendMouse(&bar, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    apptest::sendMouse(&bar, QEvent::MouseMove, centre + offset, Qt::NoButton, Qt::LeftButton);
    apptest::sendMouse(&bar, QEvent::MouseButtonRelease, centre + offset, Qt::LeftButton, Qt::NoButton);
  }
  apptest::MessageRecorder m_parent;
};

TEST_F(SplitterTest, CreationChoosesTheOrientationAndAFivePixelBar) {
  CSplitterControl vertical;
  vertical.create(QRect(600, 25, 2, 500), &m_parent);
  EXPECT_EQ(vertical.orientation(), CSplitterControl::VerticalBar);
  EXPECT_EQ(vertical.geometry(), QRect(600, 25, 5, 500));
  EXPECT_EQ(vertical.controlId(), app::IDC_SPLITTER);
  EXPECT_EQ(vertical.cursor().shape(), Qt::SizeHorCursor);
  EXPECT_EQ(vertical.rangeMinimum(), 602);
  EXPECT_EQ(vertical.rangeMaximum(), 602);
  CSplitterControl horizontal;
  horizontal.create(QRect(10, 300, 400, 20), &m_parent);
  EXPECT_EQ(horizontal.orientation(), CSplitterControl::HorizontalBar);
  EXPECT_EQ(horizontal.geometry(), QRect(10, 300, 400, 5));
  EXPECT_EQ(horizontal.cursor().shape(), Qt::SizeVerCursor);
}

TEST_F(SplitterTest, DragsStayInsideTheRangeAndReportTheirDelta) {
  struct Case {
    QPoint offset;
    int delta;
  };
  const Case cases[] = {
      {QPoint(-50, 0), -50},   // within range
      {QPoint(150, 0), 100},   // stops 100 after the centre
      {QPoint(-400, 30), -300},  // stops 300 before it
      {QPoint(0, 40), 0},      // released without moving sideways
  };
  for (const Case& c : cases) {
    CSplitterControl bar;
    bar.create(QRect(600, 25, 2, 500), &m_parent);
    bar.setRange(300, 100);
    EXPECT_EQ(bar.rangeMinimum(), 302);
    EXPECT_EQ(bar.rangeMaximum(), 702);
    m_parent.received.clear();
    drag(bar, c.offset);
    const auto notes = m_parent.only(app::WM_NOTIFY);
    ASSERT_EQ(notes.size(), 1u) << c.offset.x();
    EXPECT_EQ(notes[0].wParam, app::IDC_SPLITTER);
    EXPECT_EQ(notes[0].header.code, app::SPLITTER_MOVED);
    EXPECT_EQ(notes[0].header.idFrom, app::IDC_SPLITTER);
    EXPECT_EQ(notes[0].header.from, &bar);
    EXPECT_EQ(notes[0].splitterDelta, c.delta) << c.offset.x();
    EXPECT_EQ(bar.geometry(), QRect(600 + c.delta, 25, 5, 500)) << "the bar moves with the drag, not sideways";
    EXPECT_FALSE(bar.isPressed());
  }
}

TEST_F(SplitterTest, WithoutARangeTheBarStaysWhereItIs) {
  CSplitterControl bar;
  bar.create(QRect(10, 300, 400, 2), &m_parent);
  drag(bar, QPoint(0, 80));
  const auto notes = m_parent.only(app::WM_NOTIFY);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].splitterDelta, 0);
  EXPECT_EQ(bar.geometry(), QRect(10, 300, 400, 5));
}

TEST_F(SplitterTest, TheBarPaintsItsFrameAndFace) {
  CSplitterControl bar;
  bar.create(QRect(600, 25, 2, 500), &m_parent);
  const QImage shot = bar.grab().toImage();
  EXPECT_EQ(shot.pixel(2, 250) & 0xFFFFFFu, qRgb(200, 220, 220) & 0xFFFFFFu);
  EXPECT_EQ(shot.pixel(1, 250) & 0xFFFFFFu, qRgb(200, 200, 200) & 0xFFFFFFu);
}

}  // namespace
