#include "app/playlist/CDlgFileList.h"

#include <gtest/gtest.h>

#include "app/controls/AppIds.h"
#include "app/controls/CPngButton.h"
#include "app/controls/QtUiServices.h"
#include "app/playlist/CInterDragListBox.h"
#include "app/settings/AppSettings.h"
#include "tests/app/PanelTestSupport.h"

using app::CDlgFileList;

namespace {

// The file dialog and the menus answer what the test scripted.
struct ScriptedServices : app::QtUiServices {
  QStringList getOpenFileNames(QWidget*, const QString& filter) override {
    lastFilter = filter;
    return files;
  }
  std::uint32_t trackPopupMenu(const std::vector<app::MenuEntry>& menu, QPoint point, QWidget*) override {
    shownMenu = menu;
    shownAt = point;
    return choice;
  }
  QStringList files;
  QString lastFilter;
  std::vector<app::MenuEntry> shownMenu;
  QPoint shownAt;
  std::uint32_t choice = 0;
};

class FileListTest : public apptest::WithApplication, public ::testing::Test {
 protected:
  void SetUp() override {
    app::setUiServices(&m_services);
    m_main.resize(800, 600);
    m_main.show();
  }
  void TearDown() override { app::setUiServices(nullptr); }

  CDlgFileList* makePanel(QSize size = QSize(175, 400)) {
    auto* panel = new CDlgFileList(&m_main);
    panel->setGeometry(QRect(QPoint(600, 25), size));
    panel->show();
    return panel;
  }
  void click(CDlgFileList* panel, std::uint32_t id) {
    app::CPngButton* button = panel->button(id);
    ASSERT_NE(button, nullptr);
    const QPoint centre(button->width() / 2, button->height() / 2);
    apptest::sendMouse(button, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    apptest::sendMouse(button, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
  }

  ScriptedServices m_services;
  apptest::PanelEnvironment m_environment;
  apptest::FakeMainDialog m_main;
};

TEST_F(FileListTest, LayoutAtTwoSizes) {
  CDlgFileList* panel = makePanel(QSize(175, 400));
  const std::pair<std::uint32_t, int> buttons[] = {{app::IDC_LIST_ADD, 5}, {app::IDC_LIST_DELETE, 37},
                                                   {app::IDC_LIST_MODE, 69}, {app::IDC_LIST_CLEAR, 101},
                                                   {app::IDC_LIST_SELECT, 133}};
  for (const auto& [id, x] : buttons) {
    EXPECT_EQ(panel->button(id)->geometry(), QRect(x, 4, 26, 18)) << id;
  }
  EXPECT_FALSE(panel->button(app::IDC_LIST_SELECT)->isVisible());
  EXPECT_TRUE(panel->button(app::IDC_LIST_ADD)->isVisible());
  EXPECT_EQ(panel->listBox()->geometry(), QRect(3, 25, 169, 370));
  panel->resize(300, 520);
  EXPECT_EQ(panel->listBox()->geometry(), QRect(3, 25, 294, 490));
  EXPECT_EQ(panel->button(app::IDC_LIST_CLEAR)->geometry(), QRect(101, 4, 26, 18));
  // The skin: the list panel's colour between the buttons.
  const QImage shot = panel->grab().toImage();
  EXPECT_EQ(shot.pixel(150, 520 - 3) & 0xFFFFFFu, qRgb(35, 36, 40) & 0xFFFFFFu);
}

TEST_F(FileListTest, PressesOnThePanelDoNotReachTheMainWindow) {
  CDlgFileList* panel = makePanel();
  apptest::sendMouse(panel, QEvent::MouseButtonPress, QPoint(160, 10), Qt::LeftButton, Qt::LeftButton);
  apptest::sendMouse(panel, QEvent::MouseButtonRelease, QPoint(160, 10), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(m_main.mousePresses, 0);
  apptest::sendMouse(&m_main, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(m_main.mousePresses, 1) << "the main window itself still gets its own presses";
}

TEST_F(FileListTest, ADraggedWindowOfAPanelKeepsItsMinimumSize) {
  CDlgFileList floating;
  floating.resize(200, 200);
  EXPECT_EQ(floating.size(), QSize(250, 300));
}

TEST_F(FileListTest, StartsFromTheStoreAndAddsFilesOnce) {
  app::PlayList::getInstance().append(app::PlayListItem(1, u"/rec/one.ts"));
  app::PlayList::getInstance().append(app::PlayListItem(2, u"/rec/two.ts"));
  CDlgFileList* panel = makePanel();
  EXPECT_EQ(apptest::rowIds(*panel->listBox()), (std::vector<int>{1, 2}));
  EXPECT_EQ(panel->listBox()->item(1)->text(), QStringLiteral("two.ts"));
  EXPECT_EQ(panel->getSelectedId(), 1);

  m_services.files = {QStringLiteral("/rec/three.ts"), QStringLiteral("/rec/one.ts"), QString::fromUtf8("/录像/四.ts")};
  click(panel, app::IDC_LIST_ADD);
  EXPECT_EQ(m_services.lastFilter, QStringLiteral("Video Files (*.ts)|*.ts|All Files (*.*)|*.*||"));
  EXPECT_EQ(apptest::rowIds(*panel->listBox()), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(apptest::storeIds(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(panel->listBox()->item(3)->text(), QString::fromUtf8("四.ts"));
  EXPECT_EQ(panel->addFile(u"/rec/two.ts"), 2) << "a listed path keeps its id";
  EXPECT_TRUE(m_main.opened.empty()) << "adding opens nothing";
}

TEST_F(FileListTest, NeighboursAndSelection) {
  CDlgFileList* panel = makePanel();
  for (const char16_t* path : {u"/a.ts", u"/b.ts", u"/c.ts"}) panel->addFile(path);
  EXPECT_EQ(panel->getNextId(1), 2);
  EXPECT_EQ(panel->getNextId(3), 0);
  EXPECT_EQ(panel->getPreviousId(2), 1);
  EXPECT_EQ(panel->getPreviousId(1), 0);
  EXPECT_EQ(panel->getNextId(42), 0);
  panel->selectItemById(3);
  EXPECT_TRUE(panel->listBox()->item(2)->isSelected());
  panel->selectItemById(2);
  EXPECT_FALSE(panel->listBox()->item(2)->isSelected());
  EXPECT_TRUE(panel->listBox()->item(1)->isSelected());
  panel->selectItemById(42);
  EXPECT_FALSE(panel->listBox()->item(1)->isSelected()) << "only the previous highlight is cleared";
}

TEST_F(FileListTest, DeleteAndClearCloseWhatIsOpen) {
  CDlgFileList* panel = makePanel();
  for (const char16_t* path : {u"/a.ts", u"/b.ts", u"/c.ts", u"/d.ts"}) panel->addFile(path);
  m_main.openItem(3);
  m_main.opened.clear();
  panel->listBox()->clearSelection();
  panel->listBox()->item(1)->setSelected(true);
  panel->listBox()->item(2)->setSelected(true);
  const int refreshes = m_main.stateRefreshes;
  click(panel, app::IDC_LIST_DELETE);
  EXPECT_EQ(apptest::rowIds(*panel->listBox()), (std::vector<int>{1, 4}));
  EXPECT_EQ(apptest::storeIds(), (std::vector<int>{1, 4}));
  EXPECT_EQ(m_main.closes, 1);
  EXPECT_GT(m_main.stateRefreshes, refreshes);
  EXPECT_EQ(panel->getSelectedId(), 1);

  m_main.openItem(4);
  click(panel, app::IDC_LIST_CLEAR);
  EXPECT_EQ(m_main.closes, 2);
  EXPECT_EQ(panel->listBox()->count(), 0);
  EXPECT_EQ(app::PlayList::getInstance().count(), 0);
  EXPECT_EQ(app::PlayList::getInstance().nextId(), 1);
  const int before = m_main.stateRefreshes;
  click(panel, app::IDC_LIST_CLEAR);
  EXPECT_EQ(m_main.closes, 2) << "nothing open: only the display is refreshed";
  EXPECT_EQ(m_main.stateRefreshes, before + 1);
}

TEST_F(FileListTest, TheModeMenuShowsAndSetsThePlayMode) {
  CDlgFileList* panel = makePanel();
  m_main.mode = app::PLAY_MODE_ORDER;
  m_services.choice = app::ID_MODE_CIRCLE;
  click(panel, app::IDC_LIST_MODE);
  ASSERT_EQ(m_services.shownMenu.size(), 4u);
  const std::uint32_t ids[] = {app::ID_MODE_SINGLE, app::ID_MODE_ORDER, app::ID_MODE_CIRCLE, app::ID_MODE_SINGLE_CIRCLE};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(m_services.shownMenu[i].id, ids[i]);
    EXPECT_TRUE(m_services.shownMenu[i].radio);
    EXPECT_EQ(m_services.shownMenu[i].checked, ids[i] == app::ID_MODE_ORDER) << i;
  }
  const app::CPngButton* mode = panel->button(app::IDC_LIST_MODE);
  EXPECT_EQ(m_services.shownAt, mode->mapToGlobal(QPoint(0, mode->height())));
  EXPECT_EQ(m_main.mode, app::PLAY_MODE_CIRCLE);
  int stored = -1;
  app::readPlayMode(stored);
  EXPECT_EQ(stored, app::PLAY_MODE_CIRCLE);
  // Cancelled: nothing changes.
  m_services.choice = 0;
  click(panel, app::IDC_LIST_MODE);
  EXPECT_EQ(m_main.mode, app::PLAY_MODE_CIRCLE);
}

TEST_F(FileListTest, ADoubleClickPlaysTheRow) {
  CDlgFileList* panel = makePanel();
  for (const char16_t* path : {u"/a.ts", u"/b.ts", u"/c.ts"}) panel->addFile(path);
  QListWidget* list = panel->listBox();
  const QRect row = list->visualItemRect(list->item(2));
  apptest::sendMouse(list->viewport(), QEvent::MouseButtonPress, row.center(), Qt::LeftButton, Qt::LeftButton);
  apptest::sendMouse(list->viewport(), QEvent::MouseButtonRelease, row.center(), Qt::LeftButton, Qt::NoButton);
  apptest::sendMouse(list->viewport(), QEvent::MouseButtonDblClick, row.center(), Qt::LeftButton, Qt::LeftButton);
  apptest::sendMouse(list->viewport(), QEvent::MouseButtonRelease, row.center(), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(m_main.opened, std::vector<int>{3});
}

TEST_F(FileListTest, TooltipsFollowTheLanguage) {
  app::overrideModuleDir(std::string(KX_APP_DATA_DIR) + "/..");
  CDlgFileList* panel = makePanel();
  panel->updateTexts();
  EXPECT_EQ(panel->button(app::IDC_LIST_ADD)->toolTip(), QStringLiteral("Add files"));
  app::overrideModuleDir(m_environment.path());
}

TEST_F(FileListTest, DestroyingThePanelSavesTheList) {
  CDlgFileList* panel = makePanel();
  panel->addFile(u"/rec/one.ts");
  panel->addFile(u"/rec/二.ts");
  delete panel;
  EXPECT_EQ(apptest::readFile(m_environment.path() + "mplayerstyle/config/listinfo.txt"), "/rec/one.ts\r\n/rec/二.ts\r\n");
}

}  // namespace
