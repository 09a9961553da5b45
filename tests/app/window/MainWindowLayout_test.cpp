// The main window's layout: every control's place for a client size, with and without the list.
#include "app/window/MainWindowLayout.h"

#include <gtest/gtest.h>

#include "app/controls/AppIds.h"

namespace {

using app::MainWindowLayout;

TEST(MainWindowLayout, ButtonsSitAtTheirOffsetsFromTheClientEdges) {
  struct Case {
    std::uint32_t id;
    int x, y;  // for a 621 x 519 client
  };
  const Case cases[] = {
      {app::IDC_SNAPSHOT, 28, 519 - 44},       {app::IDC_OPEN, 50, 519 - 68},
      {app::IDC_PLAY, 75, 519 - 46},           {app::IDC_PAUSE, 75, 519 - 46},
      {app::IDC_STOP, 122, 519 - 43},          {app::IDC_PREVIOUS_FRAME, 185, 519 - 40},
      {app::IDC_NEXT_FRAME, 215, 519 - 40},    {app::IDC_SLOW, 245, 519 - 40},
      {app::IDC_FAST, 275, 519 - 40},          {app::IDC_PREVIOUS_FILE, 305, 519 - 40},
      {app::IDC_NEXT_FILE, 335, 519 - 40},     {app::IDC_SOUND, 621 - 135, 519 - 40},
      {app::IDC_SETTINGS, 621 - 120, 3},       {app::IDC_FULLSCREEN, 621 - 90, 3},
      {app::IDC_MAXIMIZE, 621 - 70, 3},        {app::IDC_MINIMIZE, 621 - 50, 3},
      {app::IDC_CLOSE, 621 - 30, 3},           {app::IDC_EXPAND, 621 - 7, 519 / 2 - 45},
  };
  const MainWindowLayout layout = MainWindowLayout::compute(QSize(621, 519), true);
  for (const Case& c : cases) EXPECT_EQ(layout.buttonPosition(c.id), QPoint(c.x, c.y)) << c.id;
  // Every one of the 18 buttons has a place.
  for (const MainWindowLayout::ButtonPlace& place : layout.buttons) EXPECT_NE(place.id, 0u);
}

TEST(MainWindowLayout, PanesAndSlidersForEachListStateAndSize) {
  struct Case {
    QSize client;
    bool listShown;
    QRect video, list, splitter;
  };
  const Case cases[] = {
      // Shown: 175 for the list and 2 for the splitter at the right.
      {{621, 519}, true, QRect(10, 25, 621 - 177 - 10, 519 - 76 - 25), QRect(621 - 175, 25, 175 - 9, 519 - 76 - 25),
       QRect(621 - 177, 25, 2, 519 - 76 - 25)},
      // Hidden: the video reaches 10 pixels from the right edge; list and splitter empty.
      {{621, 519}, false, QRect(10, 25, 621 - 20, 519 - 76 - 25), QRect(), QRect()},
      {{1920, 1080}, true, QRect(10, 25, 1920 - 177 - 10, 1080 - 101), QRect(1920 - 175, 25, 166, 1080 - 101),
       QRect(1920 - 177, 25, 2, 1080 - 101)},
      // Smaller than the strips: nothing gets a negative size.
      {{50, 60}, false, QRect(10, 25, 30, 0), QRect(), QRect()},
  };
  for (const Case& c : cases) {
    const MainWindowLayout layout = MainWindowLayout::compute(c.client, c.listShown);
    EXPECT_EQ(layout.video, c.video) << c.client.width() << " " << c.listShown;
    EXPECT_EQ(layout.list.isEmpty() ? QRect() : layout.list, c.list);
    EXPECT_EQ(layout.splitter.isEmpty() ? QRect() : layout.splitter, c.splitter);
    const int w = c.client.width(), h = c.client.height();
    EXPECT_EQ(layout.seekSlider, app::rectFromEdges(148, h - 63, w - 7, h - 45));
    EXPECT_EQ(layout.volumeSlider, app::rectFromEdges(w - 100, h - 35, w - 21, h - 19));
  }
}

TEST(MainWindowLayout, AListWidthLeftByTheSplitterIsUsedAndKeptInsideTheWindow) {
  const MainWindowLayout wider = MainWindowLayout::compute(QSize(800, 500), true, 300);
  EXPECT_EQ(wider.list.left(), 800 - 300);
  EXPECT_EQ(wider.splitter.left(), 800 - 302);
  EXPECT_EQ(wider.video.right() + 1, 800 - 302);
  // A width beyond the window leaves the video window its margin and the splitter.
  const MainWindowLayout tooWide = MainWindowLayout::compute(QSize(400, 500), true, 1000);
  EXPECT_GE(tooWide.video.width(), 0);
  EXPECT_GE(tooWide.splitter.left(), 10);
  EXPECT_EQ(MainWindowLayout::clampListWidth(400, -50), 10);
}

}  // namespace

TEST(MainWindowLayoutFrame, TheSizingFrameTellsTheEdgesOfEveryPoint) {
  const QSize client(600, 400);
  struct Case {
    QPoint point;
    Qt::Edges edges;
  } cases[] = {
      {{300, 200}, {}},
      {{5, 200}, {}},  // just inside the frame
      {{0, 200}, Qt::LeftEdge},
      {{4, 200}, Qt::LeftEdge},
      {{599, 200}, Qt::RightEdge},
      {{300, 0}, Qt::TopEdge},
      {{300, 399}, Qt::BottomEdge},
      {{599, 399}, Qt::RightEdge | Qt::BottomEdge},
      {{590, 398}, Qt::RightEdge | Qt::BottomEdge},  // the corner reaches along the edge
      {{598, 390}, Qt::RightEdge | Qt::BottomEdge},
      {{0, 0}, Qt::LeftEdge | Qt::TopEdge},
      {{2, 395}, Qt::LeftEdge | Qt::BottomEdge},
      {{597, 3}, Qt::RightEdge | Qt::TopEdge},
      {{-1, 200}, {}},
      {{600, 200}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::MainWindowLayout::resizeEdgesAt(client, c.point), c.edges) << c.point.x() << "," << c.point.y();
  }
}
