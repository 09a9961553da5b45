// The skinned main window on Qt's offscreen platform: skin, layout, list and splitter, menus, language
// switch, window states and full screen, the open dialog, drops and snapshots.
#include "app/window/MainDialogParts.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/controls/CBmpSliderCtrl.h"
#include "app/controls/CPngButton.h"
#include "app/controls/CSplitterControl.h"
#include "app/playback/CPlayerWnd.h"
#include "app/playlist/CDlgFileList.h"
#include "app/playlist/CInterDragListBox.h"
#include "app/settings/AppPaths.h"
#include "app/settings/AppSettings.h"
#include "app/settings/LanguageText.h"
#include "app/window/MainWindowLayout.h"
#include "tests/app/window/MainWindowTestSupport.h"

namespace {

using app::CKXMediaPlayerDlg;
using app::MainWindowLayout;
namespace fs = std::filesystem;

class MainDialogPartsTest : public ::testing::Test {
 protected:
  apptest::MainWindowEnvironment m_environment;
};

const app::MenuEntry* findEntry(const std::vector<app::MenuEntry>& menu, std::uint32_t id) {
  for (const app::MenuEntry& entry : menu) {
    if (entry.kind == app::MenuEntry::Command && entry.id == id) return &entry;
    if (const app::MenuEntry* inner = findEntry(entry.children, id)) return inner;
  }
  return nullptr;
}

TEST_F(MainDialogPartsTest, SkinIsPaintedAndEveryControlSitsAtItsPlace) {
  // The working folder is an unrelated one: the skin comes from the executable's folder.
  apptest::SkinnedWindow window;
  CKXMediaPlayerDlg& dialog = *window.dialog;
  const QImage corner(QString::fromStdString(m_environment.path()) + QStringLiteral("mplayerstyle/images/left_top_bkimg.bmp"));
  ASSERT_FALSE(corner.isNull());
  EXPECT_FALSE(window.parts->skin().background().piece(app::NineSliceSkin::TopLeft).isNull());
  const QImage shot = dialog.grab().toImage();
  // The frame is widened by one pixel to either side: the corner starts one pixel left of the window.
  EXPECT_EQ(shot.pixel(0, 0), corner.pixel(1, 0));
  const MainWindowLayout layout = MainWindowLayout::compute(dialog.size(), dialog.isListShown(), dialog.listWidth());
  for (const MainWindowLayout::ButtonPlace& place : layout.buttons) {
    EXPECT_EQ(dialog.button(place.id)->pos(), place.topLeft) << place.id;
    EXPECT_GT(dialog.button(place.id)->imageWidth(), 0) << place.id;
  }
  EXPECT_EQ(dialog.seekSlider()->geometry().topLeft(), layout.seekSlider.topLeft());
  EXPECT_EQ(dialog.seekSlider()->height(), dialog.seekSlider()->channelBitmap().height());
  EXPECT_FALSE(dialog.volumeSlider()->isVisible());
  EXPECT_EQ(dialog.videoWindow()->geometry(), layout.video);
  EXPECT_EQ(dialog.button(app::IDC_SOUND)->mode(), app::CPngButton::ToggleMode);
  EXPECT_EQ(dialog.button(app::IDC_OPEN)->toolTip(), app::languageText("open"));
  EXPECT_TRUE(dialog.button(app::IDC_EXPAND)->toolTip().isEmpty());
}

TEST(MainDialogPartsSkinless, WithoutSkinFilesTheWindowStillLaysOutItsControls) {
  apptest::MainWindowEnvironment noImages(false);
  apptest::SkinnedWindow window;
  CKXMediaPlayerDlg& dialog = *window.dialog;
  EXPECT_TRUE(window.parts->skin().background().piece(app::NineSliceSkin::TopLeft).isNull());
  EXPECT_EQ(dialog.button(app::IDC_PLAY)->imageWidth(), 0);
  EXPECT_EQ(dialog.button(app::IDC_CLOSE)->pos(), QPoint(dialog.width() - 30, 3));
  (void)dialog.grab();  // painting with nothing loaded does not fail
}

TEST_F(MainDialogPartsTest, ExpandShowsAndHidesTheListAndASplitterDragSurvivesResizes) {
  app::writeShowList(true);
  apptest::SkinnedWindow window;
  CKXMediaPlayerDlg& dialog = *window.dialog;
  ASSERT_TRUE(dialog.isListShown());
  EXPECT_EQ(dialog.videoWindow()->geometry().right() + 1, dialog.width() - 177);
  EXPECT_EQ(dialog.listPanel()->geometry().left(), dialog.width() - 175);

  app::SplitterNotify drag;
  drag.header.idFrom = app::IDC_SPLITTER;
  drag.header.code = app::SPLITTER_MOVED;
  drag.delta = -60;
  app::sendAppMessage(&dialog, app::WM_NOTIFY, app::IDC_SPLITTER, reinterpret_cast<app::LPARAM>(&drag));
  EXPECT_EQ(dialog.listPanel()->geometry().left(), dialog.width() - 235);
  dialog.resize(dialog.width() + 100, dialog.height() + 50);
  QCoreApplication::processEvents();
  EXPECT_EQ(dialog.listPanel()->geometry().left(), dialog.width() - 235) << "the dragged width is kept";
  EXPECT_EQ(dialog.splitter()->geometry().left(), dialog.width() - 237);

  app::sendCommand(&dialog, app::IDC_EXPAND, 0, nullptr);
  EXPECT_FALSE(dialog.isListShown());
  EXPECT_FALSE(dialog.listPanel()->isVisible());
  EXPECT_EQ(dialog.videoWindow()->geometry().right() + 1, dialog.width() - 10);
  bool stored = false;
  app::readShowList(stored);
  EXPECT_TRUE(stored) << "the expand button changes the running window only";
}

TEST_F(MainDialogPartsTest, SettingsMenuShowsTheStoredSettingsAndItsCommandsStoreThem) {
  app::writePlayMode(app::PLAY_MODE_CIRCLE);
  app::writeTopmostMode(false);
  app::writeVideoStretch(true);
  apptest::SkinnedWindow window;
  CKXMediaPlayerDlg& dialog = *window.dialog;
  m_environment.services.choice = app::ID_MODE_ORDER;
  app::sendCommand(&dialog, app::IDC_SETTINGS, 0, nullptr);
  const std::vector<app::MenuEntry>& menu = m_environment.services.shownMenu;
  ASSERT_EQ(menu.size(), 5u);
  EXPECT_TRUE(findEntry(menu, app::ID_MODE_CIRCLE)->checked);
  EXPECT_FALSE(findEntry(menu, app::ID_MODE_ORDER)->checked);
  EXPECT_TRUE(findEntry(menu, app::ID_VIDEO_STRETCH)->checked);
  EXPECT_FALSE(findEntry(menu, app::ID_TOPMOST)->checked);
  EXPECT_TRUE(findEntry(menu, app::ID_LANGUAGE_ENGLISH)->checked);
  const QPoint corner = dialog.button(app::IDC_SETTINGS)->mapToGlobal(QPoint(0, dialog.button(app::IDC_SETTINGS)->height()));
  EXPECT_EQ(m_environment.services.shownAt, corner);
  int mode = -1;
  app::readPlayMode(mode);
  EXPECT_EQ(mode, app::PLAY_MODE_ORDER);
  EXPECT_EQ(dialog.playMode(), app::PLAY_MODE_ORDER);

  struct Toggle {
    std::uint32_t command;
    bool (*read)(bool&);
  };
  for (const Toggle& toggle : {Toggle{app::ID_TOPMOST, app::readTopmostMode}, Toggle{app::ID_INIT_SHOW_LIST, app::readShowList},
                               Toggle{app::ID_VIDEO_STRETCH, app::readVideoStretch}}) {
    bool before = false, after = false;
    toggle.read(before);
    app::sendCommand(&dialog, toggle.command, 0, nullptr);
    toggle.read(after);
    EXPECT_NE(before, after) << toggle.command;
  }
  EXPECT_TRUE(dialog.isTopmost());
  EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(MainDialogPartsTest, LanguageSwitchRefreshesEveryCaptionAtOnce) {
  app::writeLanguage(1);
  apptest::SkinnedWindow window;
  CKXMediaPlayerDlg& dialog = *window.dialog;
  const QString english = dialog.button(app::IDC_OPEN)->toolTip();
  app::sendCommand(&dialog, app::ID_LANGUAGE_CHINESE, 0, nullptr);
  int language = 0;
  app::readLanguage(language);
  EXPECT_EQ(language, 2);
  EXPECT_EQ(dialog.button(app::IDC_OPEN)->toolTip(), QString::fromUtf8("打开文件"));
  EXPECT_NE(dialog.button(app::IDC_OPEN)->toolTip(), english);
  EXPECT_EQ(dialog.videoWindow()->stateText()->text(), app::languageText("readyplay"));
  app::sendCommand(&dialog, app::ID_LANGUAGE_ENGLISH, 0, nullptr);
  EXPECT_EQ(dialog.button(app::IDC_OPEN)->toolTip(), english);
}

TEST_F(MainDialogPartsTest, DoubleClicksCycleNormalMaximizedFullScreenAndEscapeReturns) {
  apptest::SkinnedWindow window;
  CKXMediaPlayerDlg& dialog = *window.dialog;
  QPoint point(5, 5);
  const auto doubleClick = [&] {
    app::sendAppMessage(&dialog, app::WM_VIDEO_DOUBLE_CLICK, 0, reinterpret_cast<app::LPARAM>(&point));
  };
  doubleClick();
  EXPECT_EQ(dialog.windowStateValue(), CKXMediaPlayerDlg::WINDOW_MAXIMIZED);
  doubleClick();
  EXPECT_EQ(dialog.windowStateValue(), CKXMediaPlayerDlg::WINDOW_FULL_SCREEN);
  EXPECT_TRUE(dialog.windowState().testFlag(Qt::WindowFullScreen));
  EXPECT_FALSE(dialog.button(app::IDC_OPEN)->isEnabled());
  EXPECT_FALSE(dialog.seekSlider()->isEnabled());
  // The context menu offers the way back.
  app::sendAppMessage(&dialog, app::WM_VIDEO_CONTEXT_MENU, 0, reinterpret_cast<app::LPARAM>(&point));
  EXPECT_NE(findEntry(m_environment.services.shownMenu, app::ID_MENU_EXIT_FULLSCREEN), nullptr);
  window.parts->onCancel(dialog);  // Escape
  EXPECT_EQ(dialog.windowStateValue(), CKXMediaPlayerDlg::WINDOW_NORMAL);
  EXPECT_FALSE(dialog.windowState().testFlag(Qt::WindowFullScreen) || dialog.windowState().testFlag(Qt::WindowMaximized));
  EXPECT_TRUE(dialog.button(app::IDC_OPEN)->isEnabled());
  EXPECT_FALSE(dialog.button(app::IDC_STOP)->isEnabled()) << "playback buttons follow the play state";
  // The maximize button toggles; full screen from the button.
  app::sendCommand(&dialog, app::IDC_MAXIMIZE, 0, nullptr);
  EXPECT_EQ(dialog.windowStateValue(), CKXMediaPlayerDlg::WINDOW_MAXIMIZED);
  app::sendCommand(&dialog, app::IDC_MAXIMIZE, 0, nullptr);
  EXPECT_EQ(dialog.windowStateValue(), CKXMediaPlayerDlg::WINDOW_NORMAL);
  app::sendCommand(&dialog, app::IDC_FULLSCREEN, 0, nullptr);
  EXPECT_EQ(dialog.windowStateValue(), CKXMediaPlayerDlg::WINDOW_FULL_SCREEN);
  doubleClick();
  EXPECT_EQ(dialog.windowStateValue(), CKXMediaPlayerDlg::WINDOW_NORMAL);
}

TEST_F(MainDialogPartsTest, ContextMenuWithNothingOpenGraysPlaybackEntries) {
  apptest::SkinnedWindow window;
  QPoint point(40, 50);
  app::sendAppMessage(window.dialog.get(), app::WM_VIDEO_CONTEXT_MENU, 0, reinterpret_cast<app::LPARAM>(&point));
  const std::vector<app::MenuEntry>& menu = m_environment.services.shownMenu;
  EXPECT_EQ(m_environment.services.shownAt, point);
  EXPECT_TRUE(findEntry(menu, app::ID_MENU_OPEN)->enabled);
  EXPECT_FALSE(findEntry(menu, app::ID_MENU_PLAY_PAUSE)->enabled) << "nothing selected in the list";
  EXPECT_FALSE(findEntry(menu, app::ID_MENU_STOP)->enabled);
  EXPECT_FALSE(findEntry(menu, app::ID_MENU_SNAPSHOT)->enabled);
  EXPECT_EQ(findEntry(menu, app::ID_MENU_NEXT_FRAME), nullptr) << "a grayed plain item replaces the submenu";
  EXPECT_NE(findEntry(menu, app::ID_MENU_FULLSCREEN), nullptr);
}

class DropTest : public MainDialogPartsTest {
 protected:
  std::string make(const std::string& relative) {
    const fs::path path = fs::path(m_files.path().toStdString()) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "not a recording";
    return path.string();
  }
  std::vector<std::u16string> listed() const {
    std::vector<std::u16string> paths;
    const app::PlayList& store = app::PlayList::getInstance();
    for (int i = 0; i < store.count(); ++i) paths.push_back(store.itemAt(i).getPath());
    return paths;
  }
  QTemporaryDir m_files;
};

TEST_F(DropTest, DroppedRecordingsAndFoldersAreAddedInOrderAndTheFirstPlaysUnlessDroppedOnTheList) {
  app::writeShowList(true);
  apptest::SkinnedWindow window;
  CKXMediaPlayerDlg& dialog = *window.dialog;
  const std::string first = make("one.ts");
  make("folder/inner.ts");
  make("folder/skip.txt");
  const std::string other = make("two.TS");
  const std::string folder = m_files.path().toStdString() + "/folder";
  fs::create_directory_symlink(folder, folder + "/loop");
  const QPoint outside = dialog.videoWindow()->mapToGlobal(QPoint(10, 10));
  window.parts->commands().onDropFiles({QString::fromStdString(first), QString::fromStdString(other),
                                        QString::fromStdString(folder), QStringLiteral("/no/such.ts")},
                                       outside);
  const std::vector<std::u16string> paths = listed();
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(QString::fromStdU16String(paths[0]).toStdString(), first);
  EXPECT_EQ(QString::fromStdU16String(paths[1]).toStdString(), folder + "/inner.ts");
  EXPECT_EQ(dialog.openItemId(), dialog.firstDroppedId());
  EXPECT_TRUE(dialog.isItemOpen());
  dialog.closeItem();

  // Onto the list panel: added, not played.
  const std::string third = make("three.ts");
  window.parts->commands().onDropFiles({QString::fromStdString(third)}, dialog.listPanel()->mapToGlobal(QPoint(5, 5)));
  EXPECT_EQ(listed().size(), 3u);
  EXPECT_FALSE(dialog.isItemOpen());
  // A drop whose names are all skipped opens nothing.
  window.parts->commands().onDropFiles({QString::fromStdString(other)}, outside);
  EXPECT_FALSE(dialog.isItemOpen());
}

TEST_F(DropTest, OpenDialogReplacesTheListAndPlaysTheFirstChosen) {
  apptest::SkinnedWindow window;
  CKXMediaPlayerDlg& dialog = *window.dialog;
  dialog.listPanel()->addFile(QString::fromStdString(make("old.ts")).toStdU16String());
  const std::string a = make("a.ts"), b = make("b.ts");
  m_environment.services.files = {QString::fromStdString(a), QString::fromStdString(b)};
  app::sendCommand(&dialog, app::IDC_OPEN, 0, nullptr);
  EXPECT_EQ(m_environment.services.lastFilter, QStringLiteral("Video Files (*.ts)|*.ts|All Files (*.*)|*.*||"));
  const std::vector<std::u16string> paths = listed();
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(QString::fromStdU16String(paths[0]).toStdString(), a);
  EXPECT_TRUE(dialog.isItemOpen());
  EXPECT_EQ(dialog.openItemId(), app::PlayList::getInstance().itemAt(0).getId());
  dialog.closeItem();
}

TEST_F(MainDialogPartsTest, SnapshotIntoAFolderTooLongForTheSystemIsRefusedWithAMessage) {
  apptest::SkinnedWindow window;
  QStringList messages;
  window.parts->commands().setMessageSink([&](const QString& text) { messages << text; });
  app::writeSnapshotPath("/tmp/" + std::string(400, 'z'));
  EXPECT_FALSE(window.parts->commands().takeSnapshot());
  ASSERT_EQ(messages.size(), 1);
  EXPECT_FALSE(messages.front().isEmpty());
  // A folder that can be made is made, even before any picture exists.
  QTemporaryDir root;
  const std::string folder = root.path().toStdString() + "/" + std::string(200, 's') + "/" + std::string(200, 't');
  app::writeSnapshotPath(folder);
  EXPECT_TRUE(window.parts->commands().takeSnapshot());
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(messages.size(), 1);
}

}  // namespace

namespace {

TEST_F(MainDialogPartsTest, ASaveThatFailsIsToldOnceInTheWindow) {
  apptest::SkinnedWindow window;
  CKXMediaPlayerDlg& dialog = *window.dialog;
  EXPECT_EQ(dialog.saveFailureText(), nullptr);
  // Neither the program's config folder nor the user's can be made (paths through a file); the
  // language files are still beside the program.
  QTemporaryDir dir;
  const std::string blocker = dir.path().toStdString() + "/file";
  ASSERT_TRUE(apptest::writeFile(blocker, "x"));
  const std::string program = dir.path().toStdString() + "/bin/";
  ASSERT_TRUE(fs::create_directories(program + "mplayerstyle"));
  fs::create_directory_symlink(std::string(KX_APP_DATA_DIR) + "/language", program + "mplayerstyle/language");
  ASSERT_TRUE(apptest::writeFile(program + "mplayerstyle/config", "x"));
  const char* previous = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = previous != nullptr ? previous : "";
  setenv("XDG_CONFIG_HOME", (blocker + "/config").c_str(), 1);
  app::overrideModuleDir(program);
  EXPECT_FALSE(app::writeShowList(true));
  EXPECT_FALSE(app::writePlayMode(2));
  app::overrideModuleDir(m_environment.path());
  if (previous != nullptr) {
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
  ASSERT_NE(dialog.saveFailureText(), nullptr);
  EXPECT_TRUE(dialog.saveFailureText()->isVisible());
  EXPECT_EQ(dialog.saveFailureText()->text(),
            QString::fromStdString("Cannot save " + blocker + "/config/KXMediaPlayer/configinfo.ini"));
}

// The settings can be read (the language with them), the play list cannot be written: a folder, not
// empty, stands where the list file goes, which no user can replace with a file.
TEST_F(MainDialogPartsTest, ASaveFailureIsToldInTheChosenLanguage) {
  const struct {
    int language;
    const char* text;
  } languages[] = {{1, "Cannot save "}, {2, "无法保存 "}};
  for (const auto& language : languages) {
    ASSERT_TRUE(app::writeLanguage(language.language));
    ASSERT_TRUE(fs::create_directories(app::getListFile() + "/in-the-way"));
    {
      apptest::SkinnedWindow window;
      EXPECT_FALSE(app::PlayList::getInstance().save());
      ASSERT_NE(window.dialog->saveFailureText(), nullptr);
      EXPECT_EQ(window.dialog->saveFailureText()->text(),
                QString::fromUtf8(language.text) + QString::fromStdString(app::getListFile()));
    }
    fs::remove_all(app::getListFile());
  }
}

// The snapshot folder exists but takes no file: /proc refuses every user, root too; a folder without
// write permission refuses a normal user, while root writes through the permission bits and gets no
// message.
TEST_F(MainDialogPartsTest, ASnapshotIntoAFolderThatCannotBeWrittenIsToldInEitherLanguage) {
  QTemporaryDir root;
  const std::string readOnly = root.path().toStdString() + "/read-only";
  ASSERT_TRUE(fs::create_directory(readOnly));
  apptest::writeFile(readOnly + "/older.jpg", "an earlier snapshot");
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const bool readOnlyTakesFiles = apptest::writeFile(readOnly + "/probe", "");
  fs::remove(readOnly + "/probe");
  const std::string notAFolder = root.path().toStdString() + "/plain";
  apptest::writeFile(notAFolder, "x");
  const struct {
    int language;
    std::string folder;
    const char* message;  // empty: the snapshot is taken
  } cases[] = {
      {1, "/proc/self", "The snapshot folder cannot be written: /proc/self"},
      {2, "/proc/self", "无法写入抓图目录: /proc/self"},
      {1, readOnly, readOnlyTakesFiles ? "" : "The snapshot folder cannot be written: "},
      {2, readOnly, readOnlyTakesFiles ? "" : "无法写入抓图目录: "},
      {1, notAFolder + "/below", "The snapshot folder cannot be created: "},
      {2, notAFolder + "/below", "无法创建抓图目录: "},
  };
  for (const auto& entry : cases) {
    app::writeLanguage(entry.language);
    apptest::SkinnedWindow window;
    QStringList messages;
    window.parts->commands().setMessageSink([&](const QString& text) { messages << text; });
    app::writeSnapshotPath(entry.folder);
    const bool taken = window.parts->commands().takeSnapshot();
    if (std::string(entry.message).empty()) {
      EXPECT_TRUE(taken) << entry.folder;
      EXPECT_TRUE(messages.isEmpty()) << entry.folder;
      continue;
    }
    EXPECT_FALSE(taken) << entry.folder;
    ASSERT_EQ(messages.size(), 1) << entry.folder;
    QString expected = QString::fromUtf8(entry.message);
    if (!expected.endsWith(QStringLiteral("/proc/self"))) expected += QString::fromStdString(entry.folder);
    EXPECT_EQ(messages.front(), expected);
  }
  fs::permissions(readOnly, fs::perms::owner_all);
}

// Clear empties the list: with nothing left to choose, Play is disabled, whether an item was open or
// only selected.
TEST_F(DropTest, ClearingTheListLeavesPlayDisabled) {
  app::writeShowList(true);
  apptest::SkinnedWindow window;
  CKXMediaPlayerDlg& dialog = *window.dialog;
  app::CDlgFileList* panel = dialog.listPanel();
  ASSERT_NE(panel, nullptr);
  for (bool openFirst : {false, true}) {
    panel->addFile(QString::fromStdString(make("one.ts")).toStdU16String());
    panel->addFile(QString::fromStdString(make("two.ts")).toStdU16String());
    panel->listBox()->setCurrentRow(1);
    if (openFirst) {
      dialog.openItem(panel->getSelectedId());
      ASSERT_TRUE(dialog.isItemOpen());
    } else {
      dialog.updateStateDisplay();
      ASSERT_TRUE(dialog.button(app::IDC_PLAY)->isEnabled()) << "an item is selected";
    }
    app::sendCommand(panel, app::IDC_LIST_CLEAR, 0, nullptr);
    EXPECT_EQ(panel->listBox()->count(), 0);
    EXPECT_FALSE(dialog.isItemOpen());
    EXPECT_TRUE(dialog.button(app::IDC_PLAY)->isVisible());
    EXPECT_FALSE(dialog.button(app::IDC_PLAY)->isEnabled()) << (openFirst ? "after an open item" : "after a selection");
    // Play with nothing in the list opens nothing.
    app::sendCommand(&dialog, app::IDC_PLAY, 0, nullptr);
    EXPECT_FALSE(dialog.isItemOpen());
  }
}

}  // namespace
