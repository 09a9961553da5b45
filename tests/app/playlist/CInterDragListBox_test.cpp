#include "app/playlist/CInterDragListBox.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QScrollBar>

#include "app/controls/AppIds.h"
#include "app/controls/QtUiServices.h"
#include "app/playback/CPlayerWnd.h"
#include "app/playlist/CDlgFileList.h"
#include "app/settings/TextConversion.h"
#include "tests/app/PanelTestSupport.h"

using app::CDragListBoxEx;

namespace {

// Timers are started and killed as usual but fire only when the test says so.
struct ManualTimers : app::QtUiServices {
  void setTimer(QObject*, std::uint32_t id, int milliseconds) override {
    running = true;
    lastId = id;
    period = milliseconds;
  }
  void killTimer(QObject*, std::uint32_t) override { running = false; }
  bool isTimerRunning(QObject*, std::uint32_t) const override { return running; }
  bool running = false;
  std::uint32_t lastId = 0;
  int period = 0;
};

// The main window with its video window on the left and the play-list panel on the right, holding
// the rows a..(count) with ids 1..count.
class DragListTest : public apptest::WithApplication, public ::testing::Test {
 protected:
  void SetUp() override { app::setUiServices(&m_timers); }
  void TearDown() override { app::setUiServices(nullptr); }

  void build(int rows, int listHeight = 300) {
    for (int i = 1; i <= rows; ++i) {
      app::PlayList::getInstance().append(app::PlayListItem(i, u"/rec/" + std::u16string(1, static_cast<char16_t>(u'a' + i - 1)) + u".ts"));
    }
    m_main.setGeometry(0, 0, 800, listHeight + 60);
    m_video = new app::CPlayerWnd(&m_main);
    m_video->setGeometry(10, 25, 500, 300);
    m_other = new QWidget(&m_main);
    m_other->setGeometry(520, 0, 60, 20);
    m_panel = new app::CDlgFileList(&m_main);
    m_panel->setGeometry(600, 25, 175, listHeight + 30);
    m_main.show();
    QApplication::processEvents();
    m_list = m_panel->listBox();
    m_list->clearSelection();
  }

  QPoint rowPoint(int row, int dy = 2) const {
    const QRect rect = m_list->visualItemRect(m_list->item(row));
    return QPoint(rect.left() + 20, rect.top() + dy);
  }
  QPoint belowLastRow() const { return rowPoint(m_list->count() - 1, m_list->visualItemRect(m_list->item(0)).height() + 6); }
  QWidget* viewport() const { return m_list->viewport(); }
  void press(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    apptest::sendMouse(viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, modifiers);
  }
  void moveTo(QPoint at) { apptest::sendMouse(viewport(), QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
  void release(QPoint at) { apptest::sendMouse(viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
  // Points given in another widget's coordinates, delivered to the list as a captured pointer would be.
  QPoint fromWidget(QWidget* widget, QPoint point) const { return viewport()->mapFromGlobal(widget->mapToGlobal(point)); }
  void select(const std::vector<int>& rows) {
    m_list->clearSelection();
    for (int row : rows) m_list->item(row)->setSelected(true);
  }

  ManualTimers m_timers;
  apptest::PanelEnvironment m_environment;
  apptest::FakeMainDialog m_main;
  app::CPlayerWnd* m_video = nullptr;
  QWidget* m_other = nullptr;
  app::CDlgFileList* m_panel = nullptr;
  app::CInterDragListBox* m_list = nullptr;
};

TEST_F(DragListTest, ReorderCasesKeepRowsStoreAndListFileInStep) {
  struct Case {
    const char* what;
    std::vector<int> selected;
    int pressRow;
    int targetRow;  // drop on the upper part of this row; the row count drops below the last row
    bool escape;
    std::vector<int> ids;
  };
  const Case cases[] = {
      {"up", {3}, 3, 1, false, {1, 4, 2, 3, 5}},
      {"down", {1}, 1, 4, false, {1, 3, 4, 2, 5}},
      {"to the top", {2, 4}, 4, 0, false, {3, 5, 1, 2, 4}},
      {"past the end", {1, 3}, 1, 5, false, {1, 3, 5, 2, 4}},
      {"on itself", {2}, 2, 2, false, {1, 2, 3, 4, 5}},
      {"on one of the dragged rows", {0, 2}, 2, 2, false, {2, 1, 3, 4, 5}},
      {"cancelled", {1}, 1, 4, true, {1, 2, 3, 4, 5}},
  };
  build(5);
  for (const Case& c : cases) {
    // Back to a..e.
    app::PlayList::getInstance().clear();
    m_list->clear();
    for (int i = 1; i <= 5; ++i) m_panel->addFile(u"/rec/" + std::u16string(1, static_cast<char16_t>(u'a' + i - 1)) + u".ts");
    ASSERT_EQ(apptest::rowIds(*m_list), (std::vector<int>{1, 2, 3, 4, 5}));
    select(c.selected);

    const QPoint start = rowPoint(c.pressRow, 5);
    press(start);
    EXPECT_EQ(m_list->dragState(), CDragListBoxEx::Pressed);
    const QPoint target = c.targetRow < 5 ? rowPoint(c.targetRow) : belowLastRow();
    moveTo(start + QPoint(30, 0));  // past the drag distance
    EXPECT_EQ(m_list->dragState(), CDragListBoxEx::Dragging) << c.what;
    moveTo(target);
    EXPECT_EQ(m_list->markerIndex(), c.targetRow) << c.what;
    if (c.escape) {
      QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(m_list, &escape);
      EXPECT_EQ(m_list->dragState(), CDragListBoxEx::Idle);
      EXPECT_EQ(m_list->markerIndex(), -1);
    }
    release(target);
    EXPECT_EQ(m_list->dragState(), CDragListBoxEx::Idle);
    EXPECT_FALSE(m_timers.running);
    EXPECT_EQ(apptest::rowIds(*m_list), c.ids) << c.what;
    EXPECT_EQ(apptest::storeIds(), c.ids) << c.what;
    if (!c.escape) {
      std::vector<int> stillSelected;
      for (int row = 0; row < 5; ++row) {
        if (m_list->item(row)->isSelected()) stillSelected.push_back(m_list->rowId(row));
      }
      std::vector<int> dragged;
      for (int row : c.selected) dragged.push_back(row + 1);
      EXPECT_EQ(stillSelected, dragged) << c.what << ": the moved rows stay selected";
    }
    ASSERT_TRUE(app::PlayList::getInstance().save());
    std::string expected;
    for (int id : c.ids) expected += "/rec/" + std::string(1, static_cast<char>('a' + id - 1)) + ".ts\r\n";
    EXPECT_EQ(apptest::readFile(m_environment.path() + "mplayerstyle/config/listinfo.txt"), expected) << c.what;
    EXPECT_TRUE(m_main.opened.empty());
  }
}

TEST_F(DragListTest, APressOnOneOfSeveralSelectedRowsSelectsOnlyItWithoutMoving) {
  build(5);
  select({1, 3});
  press(rowPoint(3, 5));
  EXPECT_TRUE(m_list->isSelectionDeferred());
  EXPECT_TRUE(m_list->item(1)->isSelected()) << "the selection stays for a drag";
  release(rowPoint(3, 5));
  EXPECT_FALSE(m_list->item(1)->isSelected());
  EXPECT_TRUE(m_list->item(3)->isSelected());
  EXPECT_EQ(m_list->dragState(), CDragListBoxEx::Idle);
  EXPECT_EQ(apptest::storeIds(), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(DragListTest, ControlTogglesAsUsualAndDefersNothing) {
  build(5);
  select({1, 3});
  press(rowPoint(3, 5), Qt::ControlModifier);
  EXPECT_FALSE(m_list->isSelectionDeferred());
  apptest::sendMouse(viewport(), QEvent::MouseButtonRelease, rowPoint(3, 5), Qt::LeftButton, Qt::NoButton,
                     Qt::ControlModifier);
  EXPECT_TRUE(m_list->item(1)->isSelected());
  EXPECT_FALSE(m_list->item(3)->isSelected());
}

TEST_F(DragListTest, HoldingThePointerAtTheTopScrollsOneRowPerTick) {
  build(40, 120);
  m_list->setTopIndex(5);
  ASSERT_EQ(m_list->topIndex(), 5);
  select({8});
  const QPoint start = rowPoint(8, 5);
  press(start);
  moveTo(start + QPoint(0, 30));
  moveTo(QPoint(20, 1));  // in the top row's band
  EXPECT_EQ(m_list->autoScrollDirection(), -1);
  EXPECT_TRUE(m_timers.running);
  EXPECT_EQ(m_timers.lastId, app::TIMER_AUTO_SCROLL);
  EXPECT_EQ(m_timers.period, 50);
  for (int tick = 1; tick <= 3; ++tick) {
    app::sendAppMessage(m_list, app::WM_TIMER, app::TIMER_AUTO_SCROLL, 0);
    EXPECT_EQ(m_list->topIndex(), 5 - tick);
    EXPECT_EQ(m_list->markerIndex(), 5 - tick) << "the marker follows the scrolled rows";
  }
  // Dropped while scrolling: before the row the marker shows.
  release(QPoint(20, 1));
  EXPECT_FALSE(m_timers.running);
  std::vector<int> expected;
  for (int id = 1; id <= 40; ++id) {
    if (id == 3) expected.push_back(9);
    if (id != 9) expected.push_back(id);
  }
  EXPECT_EQ(apptest::rowIds(*m_list), expected);
  EXPECT_EQ(apptest::storeIds(), expected);
  // At the top the ticks stop moving anything.
  m_list->setTopIndex(0);
  select({0});
  press(rowPoint(0, 5));
  moveTo(rowPoint(0, 5) + QPoint(0, 30));
  moveTo(QPoint(20, 1));
  for (int tick = 0; tick < 3; ++tick) app::sendAppMessage(m_list, app::WM_TIMER, app::TIMER_AUTO_SCROLL, 0);
  EXPECT_EQ(m_list->topIndex(), 0);
  release(QPoint(20, 1));
}

TEST_F(DragListTest, ADropOnTheVideoWindowPlaysTheFirstSelectedRow) {
  build(5);
  ASSERT_EQ(QApplication::widgetAt(m_video->mapToGlobal(QPoint(250, 150))), m_video);
  select({1, 3});
  const QPoint start = rowPoint(3, 5);
  press(start);
  moveTo(start + QPoint(0, 30));
  const QPoint overVideo = fromWidget(m_video, QPoint(250, 150));
  moveTo(overVideo);
  release(overVideo);
  EXPECT_EQ(m_main.opened, std::vector<int>{2});
  EXPECT_EQ(apptest::rowIds(*m_list), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(apptest::storeIds(), (std::vector<int>{1, 2, 3, 4, 5}));
  // Over the status texts the video window is still the target.
  m_video->stateText()->setGeometry(5, 285, 90, 15);
  select({4});
  press(rowPoint(4, 5));
  moveTo(rowPoint(4, 5) + QPoint(0, -30));
  release(fromWidget(m_video, QPoint(20, 290)));
  EXPECT_EQ(m_main.opened, (std::vector<int>{2, 5}));
}

TEST_F(DragListTest, ADropOnAnyOtherWindowDoesNothing) {
  build(5);
  select({2});
  const QPoint start = rowPoint(2, 5);
  press(start);
  moveTo(start + QPoint(0, 30));
  const QPoint overOther = fromWidget(m_other, QPoint(30, 10));
  moveTo(overOther);
  EXPECT_EQ(m_list->viewport()->cursor().shape(), Qt::ForbiddenCursor);
  EXPECT_EQ(m_list->markerIndex(), -1) << "no marker while over a window that refuses the drop";
  release(overOther);
  // The main window's own client area refuses too.
  select({2});
  press(start);
  moveTo(start + QPoint(0, 30));
  release(fromWidget(&m_main, QPoint(560, 200)));
  EXPECT_TRUE(m_main.opened.empty());
  EXPECT_EQ(apptest::rowIds(*m_list), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(apptest::storeIds(), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(DragListTest, RowsAreDrawnInTheListColours) {
  build(3);
  select({1});
  const QImage shot = m_list->viewport()->grab().toImage();
  const QPoint selected = rowPoint(1, 1);
  const QPoint plain = rowPoint(0, 1);
  EXPECT_EQ(shot.pixel(m_list->viewport()->width() - 3, selected.y()) & 0xFFFFFFu, qRgb(49, 106, 179) & 0xFFFFFFu);
  EXPECT_EQ(shot.pixel(m_list->viewport()->width() - 3, plain.y()) & 0xFFFFFFu, qRgb(35, 36, 40) & 0xFFFFFFu);
}

}  // namespace
