#include "app/controls/AppMessage.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QKeyEvent>

#include "app/controls/AppIds.h"
#include "app/controls/FontMapper.h"
#include "app/controls/QtUiServices.h"
#include "app/controls/UiServices.h"
#include "app/window/AcceleratorTable.h"
#include "tests/app/AppTestSupport.h"

namespace {

class MessageTest : public ::testing::Test {
 protected:
  void SetUp() override { apptest::application(); }
  // Runs the event loop until the recorder holds `count` messages (or a generous time has passed).
  void waitFor(apptest::MessageRecorder& recorder, std::size_t count) {
    QElapsedTimer waited;
    waited.start();
    while (recorder.received.size() < count && waited.elapsed() < 10000) {
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
  }
};

TEST_F(MessageTest, SentMessagesArriveAtOnceWithTheirResult) {
  struct Answering : apptest::MessageRecorder {
    app::LRESULT onAppMessage(std::uint32_t message, app::WPARAM wParam, app::LPARAM lParam) override {
      MessageRecorder::onAppMessage(message, wParam, lParam);
      return 77;
    }
  } window;
  EXPECT_EQ(app::sendAppMessage(&window, app::WM_FILE_END, 1, 2), 77);
  ASSERT_EQ(window.received.size(), 1u);
  EXPECT_EQ(window.received[0].message, app::WM_FILE_END);
  EXPECT_EQ(app::sendCommand(&window, app::IDC_OPEN, app::BN_CLICKED, nullptr), 77);
  EXPECT_EQ(window.received[1].wParam, app::makeCommandWParam(app::IDC_OPEN, app::BN_CLICKED));
  QObject plain;
  EXPECT_EQ(app::sendAppMessage(&plain, app::WM_FILE_END, 0, 0), 0) << "a bystander answers 0";
  EXPECT_EQ(app::sendAppMessage(nullptr, app::WM_FILE_END, 0, 0), 0);
}

TEST_F(MessageTest, MessagesForADestroyedWindowAreDropped) {
  auto* window = new apptest::MessageRecorder;
  app::postAppMessage(window, app::WM_FILE_END, 0, 0);
  delete window;
  QApplication::processEvents();  // must not touch the deleted window
  SUCCEED();
}

TEST_F(MessageTest, TheKeyTableGivesTheMenuCommands) {
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    std::uint32_t command;
  };
  const Case cases[] = {
      {Qt::Key_O, Qt::ControlModifier, app::ID_MENU_OPEN},
      {Qt::Key_Return, Qt::ControlModifier, app::ID_MENU_PLAY_PAUSE},
      {Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier, app::ID_MENU_PLAY_PAUSE},
      {Qt::Key_S, Qt::ControlModifier, app::ID_MENU_STOP},
      {Qt::Key_Down, Qt::ControlModifier, app::ID_MENU_NEXT_FRAME},
      {Qt::Key_Up, Qt::ControlModifier, app::ID_MENU_PREVIOUS_FRAME},
      {Qt::Key_Left, Qt::ControlModifier, app::ID_MENU_SLOW},
      {Qt::Key_Right, Qt::ControlModifier, app::ID_MENU_FAST},
      {Qt::Key_I, Qt::ControlModifier, app::ID_MENU_SNAPSHOT},
      {Qt::Key_Delete, Qt::ControlModifier, app::ID_DELETE_LIST_ITEMS},
      {Qt::Key_Space, Qt::NoModifier, app::ID_MENU_PLAY_PAUSE},
      {Qt::Key_Space, Qt::ShiftModifier, app::ID_MENU_PLAY_PAUSE},
      {Qt::Key_O, Qt::NoModifier, 0},
      {Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier, 0},
      {Qt::Key_S, Qt::ControlModifier | Qt::AltModifier, 0},
      {Qt::Key_Delete, Qt::NoModifier, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::AcceleratorTable::commandForKey(c.key, c.modifiers), c.command) << c.key;
  }
}

TEST_F(MessageTest, KeysInsideTheWindowBecomeCommandsOfTheWindow) {
  apptest::MessageRecorder window;
  QWidget child(&window);
  QWidget outsider;
  app::AcceleratorTable keys(&window);
  QKeyEvent ctrlO(QEvent::KeyPress, Qt::Key_O, Qt::ControlModifier);
  QApplication::sendEvent(&child, &ctrlO);
  QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
  QApplication::sendEvent(&window, &space);
  QKeyEvent elsewhere(QEvent::KeyPress, Qt::Key_O, Qt::ControlModifier);
  QApplication::sendEvent(&outsider, &elsewhere);
  const auto commands = window.only(app::WM_COMMAND);
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(app::commandId(commands[0].wParam), app::ID_MENU_OPEN);
  EXPECT_EQ(app::commandId(commands[1].wParam), app::ID_MENU_PLAY_PAUSE);
}

TEST_F(MessageTest, TimersDeliverWmTimerUntilKilled) {
  apptest::MessageRecorder window;
  app::IUiServices& services = app::uiServices();
  services.setTimer(&window, app::TIMER_AUTO_SCROLL, 5);
  EXPECT_TRUE(services.isTimerRunning(&window, app::TIMER_AUTO_SCROLL));
  waitFor(window, 3);
  ASSERT_GE(window.received.size(), 3u);
  EXPECT_EQ(window.received[0].message, app::WM_TIMER);
  EXPECT_EQ(window.received[0].wParam, app::TIMER_AUTO_SCROLL);
  services.killTimer(&window, app::TIMER_AUTO_SCROLL);
  EXPECT_FALSE(services.isTimerRunning(&window, app::TIMER_AUTO_SCROLL));
  const std::size_t count = window.received.size();
  for (int turn = 0; turn < 10; ++turn) QApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(window.received.size(), count);
}

TEST_F(MessageTest, TestsCanReplaceTheServices) {
  struct Scripted : app::QtUiServices {
    std::uint32_t trackPopupMenu(const std::vector<app::MenuEntry>& menu, QPoint, QWidget*) override {
      shown = menu;
      return app::ID_MODE_ORDER;
    }
    std::vector<app::MenuEntry> shown;
  } scripted;
  EXPECT_EQ(app::setUiServices(&scripted), nullptr);
  const std::vector<app::MenuEntry> menu = {app::MenuEntry::radioItem(app::ID_MODE_SINGLE, QStringLiteral("a"), false),
                                            app::MenuEntry::radioItem(app::ID_MODE_ORDER, QStringLiteral("b"), true)};
  EXPECT_EQ(app::uiServices().trackPopupMenu(menu, QPoint(), nullptr), app::ID_MODE_ORDER);
  EXPECT_EQ(scripted.shown.size(), 2u);
  EXPECT_EQ(app::setUiServices(nullptr), &scripted);
  EXPECT_NE(&app::uiServices(), &scripted);
}

TEST_F(MessageTest, FileDialogFiltersTakeQtsForm) {
  EXPECT_EQ(app::QtUiServices::qtFilter(QStringLiteral("Video Files (*.ts)|*.ts|All Files (*.*)|*.*||")),
            QStringLiteral("Video Files (*.ts);;All Files (*)"));
}

TEST_F(MessageTest, ChineseCaptionsGetAFontThatHoldsThem) {
  const QString family = app::FontMapper::family(QString::fromUtf8("宋体"));
  EXPECT_EQ(family, QStringLiteral("WenQuanYi Zen Hei"));
  const QFontMetrics metrics(app::FontMapper::pixelFont(QString::fromUtf8("宋体"), 12));
  EXPECT_TRUE(metrics.inFont(QChar(0x64AD)));  // 播
  EXPECT_TRUE(metrics.inFont(QChar(0x653E)));  // 放
  EXPECT_EQ(app::FontMapper::family(QStringLiteral("Tahoma")), QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(app::FontMapper::family(QStringLiteral("MS Shell Dlg")), QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(app::FontMapper::pointFont(QStringLiteral("Tahoma"), 9).pointSize(), 9);
}

}  // namespace
