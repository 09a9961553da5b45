#include "app/window/MainWindowCommands.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <ctime>

#include "app/controls/AppMessage.h"
#include "app/controls/CBmpSliderCtrl.h"
#include "app/controls/CPngButton.h"
#include "app/controls/CSplitterControl.h"
#include "app/playback/CPlayerWnd.h"
#include "app/playlist/CDlgFileList.h"
#include "app/settings/AppSettings.h"
#include "app/settings/FolderScan.h"
#include "app/settings/LanguageText.h"
#include "app/settings/SnapshotNaming.h"
#include "app/window/CAboutDlg.h"
#include "app/window/CDlgSnapshotPath.h"
#include "app/window/CKXMediaPlayerDlg.h"
#include "technic/PathUtilities.h"

namespace app {
namespace {

const char* const kOpenFilter = "Video Files (*.ts)|*.ts|All Files (*.*)|*.*||";

// Play modes in menu order: the commands and the modes do not run in the same order.
struct ModeCommand {
  std::uint32_t id;
  int mode;
  const char* key;
};
constexpr ModeCommand kModeCommands[] = {{ID_MODE_SINGLE, PLAY_MODE_SINGLE, "singleplay"},
                                         {ID_MODE_ORDER, PLAY_MODE_ORDER, "orderplay"},
                                         {ID_MODE_CIRCLE, PLAY_MODE_CIRCLE, "circleplay"},
                                         {ID_MODE_SINGLE_CIRCLE, PLAY_MODE_SINGLE_CIRCLE, "scircleplay"}};

constexpr std::uint32_t kAllButtons[] = {IDC_OPEN, IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_SLOW, IDC_FAST,
                                         IDC_PREVIOUS_FRAME, IDC_NEXT_FRAME, IDC_PREVIOUS_FILE, IDC_NEXT_FILE,
                                         IDC_SNAPSHOT, IDC_SOUND, IDC_FULLSCREEN, IDC_MAXIMIZE, IDC_MINIMIZE,
                                         IDC_CLOSE, IDC_SETTINGS, IDC_EXPAND};
constexpr std::uint32_t kAlwaysEnabled[] = {IDC_OPEN,     IDC_SOUND, IDC_FULLSCREEN, IDC_MAXIMIZE,
                                            IDC_MINIMIZE, IDC_CLOSE, IDC_SETTINGS,   IDC_EXPAND};

QString text(const char* key) { return languageText(key); }

}  // namespace

MainWindowCommands::MainWindowCommands(CKXMediaPlayerDlg& dialog, std::function<void()> updateTexts)
    : m_dialog(dialog), m_updateTexts(std::move(updateTexts)) {}

bool MainWindowCommands::onCommand(std::uint32_t id) {
  switch (id) {
    case IDC_SETTINGS: onSettingsMenu(); return true;
    case ID_ABOUT: {
      CAboutDlg about(&m_dialog);
      about.exec();
      return true;
    }
    case ID_TOPMOST: toggleTopmost(); return true;
    case ID_INIT_SHOW_LIST: {
      bool show = false;
      readShowList(show);
      writeShowList(!show);  // the next start only; the expand button changes the running window
      return true;
    }
    case ID_VIDEO_STRETCH: {
      bool stretch = false;
      readVideoStretch(stretch);
      writeVideoStretch(!stretch);  // applied at the next open
      return true;
    }
    case ID_SNAPSHOT_PATH: {
      CDlgSnapshotPath dialog(&m_dialog);
      dialog.exec();
      return true;
    }
    case ID_LANGUAGE_ENGLISH: setLanguage(1); return true;
    case ID_LANGUAGE_CHINESE: setLanguage(2); return true;
    case IDC_OPEN:
    case ID_MENU_OPEN: onOpenFiles(); return true;
    case IDC_SNAPSHOT:
    case ID_MENU_SNAPSHOT: takeSnapshot(); return true;
    case ID_DELETE_LIST_ITEMS:
      if (m_dialog.listPanel() != nullptr) m_dialog.listPanel()->deleteSelected();
      return true;
    case IDC_MINIMIZE: m_dialog.showMinimized(); return true;
    case IDC_MAXIMIZE: onMaximize(); return true;
    case IDC_FULLSCREEN:
    case ID_MENU_FULLSCREEN: enterFullScreen(); return true;
    case ID_MENU_EXIT_FULLSCREEN: leaveFullScreen(); return true;
    default: break;
  }
  for (const ModeCommand& mode : kModeCommands) {
    if (mode.id == id) {
      setPlayMode(mode.mode);
      return true;
    }
  }
  return false;
}

std::vector<MenuEntry> MainWindowCommands::buildSettingsMenu() {
  bool showList = false, topmost = false, stretch = false;
  int mode = 0, language = 1;
  readShowList(showList);
  readTopmostMode(topmost);
  readPlayMode(mode);
  m_dialog.setPlayMode(mode);
  readLanguage(language);
  readVideoStretch(stretch);
  std::vector<MenuEntry> modes;
  for (const ModeCommand& entry : kModeCommands) {
    modes.push_back(MenuEntry::radioItem(entry.id, text(entry.key), entry.mode == mode));
  }
  return {
      MenuEntry::submenu(text("showmode"), {MenuEntry::command(ID_TOPMOST, text("showtopmost"), true, topmost),
                                            MenuEntry::command(ID_INIT_SHOW_LIST, text("initshowlist"), true, showList),
                                            MenuEntry::command(ID_VIDEO_STRETCH, text("videostretch"), true, stretch)}),
      MenuEntry::submenu(text("playmode"), modes),
      MenuEntry::command(ID_SNAPSHOT_PATH, text("snapshotpath")),
      MenuEntry::submenu(text("languagesel"),
                         {MenuEntry::radioItem(ID_LANGUAGE_ENGLISH, QStringLiteral("English"), language == 1),
                          MenuEntry::radioItem(ID_LANGUAGE_CHINESE, QString::fromUtf8("中文(简体)"), language != 1)}),
      MenuEntry::command(ID_ABOUT, text("about")),
  };
}

std::vector<MenuEntry> MainWindowCommands::buildContextMenu() const {
  const bool open = m_dialog.isItemOpen();
  const CDlgFileList* panel = m_dialog.listPanel();
  std::vector<MenuEntry> menu{MenuEntry::command(ID_MENU_OPEN, text("menu_open")), MenuEntry::separator()};
  if (open || panel != nullptr) {
    const bool selected = panel != nullptr && panel->getSelectedId() > 0;
    menu.push_back(MenuEntry::command(ID_MENU_PLAY_PAUSE, text("menu_play"), open || selected));
  }
  menu.push_back(MenuEntry::command(ID_MENU_STOP, text("menu_stop"), open));
  if (open) {
    menu.push_back(MenuEntry::submenu(text("menu_playctrl"),
                                      {MenuEntry::command(ID_MENU_NEXT_FRAME, text("menu_nextframe")),
                                       MenuEntry::command(ID_MENU_PREVIOUS_FRAME, text("menu_previousframe")),
                                       MenuEntry::command(ID_MENU_SLOW, text("menu_playslow")),
                                       MenuEntry::command(ID_MENU_FAST, text("menu_playfast"))}));
  } else {
    menu.push_back(MenuEntry::command(0, text("menu_playctrl"), false));
  }
  menu.push_back(MenuEntry::separator());
  menu.push_back(MenuEntry::command(ID_MENU_SNAPSHOT, text("menu_snapshot"), open));
  menu.push_back(MenuEntry::separator());
  if (m_dialog.windowStateValue() == CKXMediaPlayerDlg::WINDOW_FULL_SCREEN) {
    menu.push_back(MenuEntry::command(ID_MENU_EXIT_FULLSCREEN, text("menu_exit_fullscreen")));
  } else {
    menu.push_back(MenuEntry::command(ID_MENU_FULLSCREEN, text("menu_fullscreen")));
  }
  return menu;
}

void MainWindowCommands::onSettingsMenu() {
  const std::vector<MenuEntry> menu = buildSettingsMenu();
  CPngButton* settings = m_dialog.button(IDC_SETTINGS);
  const QPoint corner = settings != nullptr ? settings->mapToGlobal(QPoint(0, settings->height())) : QPoint();
  const std::uint32_t chosen = uiServices().trackPopupMenu(menu, corner, &m_dialog);
  if (chosen != 0) sendAppMessage(&m_dialog, WM_COMMAND, makeCommandWParam(chosen, BN_CLICKED), 0);
}

void MainWindowCommands::onContextMenu(QPoint screenPoint) {
  const std::uint32_t chosen = uiServices().trackPopupMenu(buildContextMenu(), screenPoint, &m_dialog);
  if (chosen != 0) sendAppMessage(&m_dialog, WM_COMMAND, makeCommandWParam(chosen, BN_CLICKED), 0);
}

void MainWindowCommands::toggleTopmost() {
  const bool topmost = !m_dialog.isTopmost();
  m_dialog.setTopmost(topmost);
  const bool visible = m_dialog.isVisible();
  m_dialog.setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
  if (visible) m_dialog.show();  // a change of window flags hides the window
  writeTopmostMode(topmost);
}

void MainWindowCommands::setPlayMode(int mode) {
  writePlayMode(mode);
  m_dialog.setPlayMode(mode);
}

void MainWindowCommands::setLanguage(int language) {
  int stored = 1;
  readLanguage(stored);
  const bool english = stored == 1;
  if (english == (language == 1)) return;
  writeLanguage(language);
  // Every lookup reads the setting, so the captions change as soon as they are applied again.
  if (m_updateTexts) m_updateTexts();
}

void MainWindowCommands::onMaximize() {
  if (m_dialog.windowStateValue() == CKXMediaPlayerDlg::WINDOW_MAXIMIZED) {
    m_dialog.showNormal();
    m_dialog.setWindowStateValue(CKXMediaPlayerDlg::WINDOW_NORMAL);
  } else {
    m_dialog.showMaximized();
    m_dialog.setWindowStateValue(CKXMediaPlayerDlg::WINDOW_MAXIMIZED);
  }
  m_dialog.setFocus();
}

void MainWindowCommands::onVideoDoubleClick() {
  switch (m_dialog.windowStateValue()) {
    case CKXMediaPlayerDlg::WINDOW_NORMAL:
      m_dialog.showMaximized();
      m_dialog.setWindowStateValue(CKXMediaPlayerDlg::WINDOW_MAXIMIZED);
      break;
    case CKXMediaPlayerDlg::WINDOW_MAXIMIZED: enterFullScreen(); break;
    default: leaveFullScreen(); break;
  }
}

void MainWindowCommands::enterFullScreen() {
  if (m_dialog.windowStateValue() == CKXMediaPlayerDlg::WINDOW_FULL_SCREEN) return;
  m_dialog.setWindowStateValue(CKXMediaPlayerDlg::WINDOW_FULL_SCREEN);
  m_dialog.showFullScreen();
  if (CPlayerWnd* video = m_dialog.videoWindow()) {
    const QSize screen = m_dialog.screen() != nullptr ? m_dialog.screen()->geometry().size() : m_dialog.size();
    video->setGeometry(QRect(QPoint(0, 0), screen));
    video->raise();
    m_dialog.resizeVideoArea();
  }
  enableControls(true);
  m_dialog.setFocus();
}

void MainWindowCommands::leaveFullScreen() {
  m_dialog.showNormal();
  m_dialog.setWindowStateValue(CKXMediaPlayerDlg::WINDOW_NORMAL);
  enableControls(false);
  m_dialog.layoutControls();
  m_dialog.setFocus();
}

void MainWindowCommands::enableControls(bool fullScreen) {
  CDlgFileList* panel = m_dialog.listPanel();
  const bool listShown = panel != nullptr && m_dialog.isListShown();
  if (fullScreen) {
    for (std::uint32_t id : kAllButtons) {
      if (CPngButton* button = m_dialog.button(id)) button->setEnabled(false);
    }
    m_dialog.seekSlider()->setEnabled(false);
    m_dialog.volumeSlider()->setEnabled(false);
    if (listShown) {
      panel->hide();
      m_dialog.splitter()->hide();
    }
    return;
  }
  m_dialog.updateStateDisplay();
  for (std::uint32_t id : kAlwaysEnabled) {
    if (CPngButton* button = m_dialog.button(id)) button->setEnabled(true);
  }
  m_dialog.volumeSlider()->setEnabled(true);
  if (listShown) {
    panel->show();
    m_dialog.splitter()->show();
  }
}

void MainWindowCommands::onOpenFiles() {
  const QStringList chosen = uiServices().getOpenFileNames(&m_dialog, QString::fromLatin1(kOpenFilter));
  if (chosen.isEmpty()) return;
  CDlgFileList* panel = m_dialog.listPanel();
  if (panel != nullptr) panel->clearAll();
  int first = 0;
  for (const QString& path : chosen) {
    if (panel == nullptr) continue;
    const int id = panel->addFile(path.toStdU16String());
    if (first == 0) first = id;
  }
  m_dialog.openItem(first);
}

void MainWindowCommands::addDropped(const std::string& path) {
  CDlgFileList* panel = m_dialog.listPanel();
  if (panel == nullptr) return;
  const int id = panel->addFile(QString::fromStdString(path).toStdU16String());
  if (!m_dialog.isDropRecorded()) m_dialog.setDropState(true, id);
}

void MainWindowCommands::addFolder(const std::string& path) {
  for (const std::string& recording : collectRecordings(path)) addDropped(recording);
}

void MainWindowCommands::onDropFiles(const QStringList& paths, QPoint screenPoint) {
  m_dialog.setDropState(false, m_dialog.firstDroppedId());
  for (const QString& name : paths) {
    const QFileInfo info(name);
    if (!info.exists()) continue;  // a name that cannot be looked up is skipped
    const std::string path = name.toStdString();
    if (info.isDir()) {
      addFolder(path);
    } else if (isRecordingName(path)) {
      addDropped(path);
    }
  }
  if (!m_dialog.isDropRecorded()) return;
  // A drop onto the list panel only adds.
  const CDlgFileList* panel = m_dialog.listPanel();
  if (panel == nullptr) return;
  const bool onPanel = panel->isVisible() && QRect(panel->mapToGlobal(QPoint(0, 0)), panel->size()).contains(screenPoint);
  if (!onPanel) m_dialog.openItem(m_dialog.firstDroppedId());
}

void MainWindowCommands::openStartupFile() {
  const QString file = m_dialog.startupFile();
  if (file.isEmpty()) return;
  if (CDlgFileList* panel = m_dialog.listPanel()) m_dialog.openItem(panel->addFile(file.toStdU16String()));
  m_dialog.setStartupFile(QString());
}

bool MainWindowCommands::takeSnapshot() {
  std::string folder;
  readSnapshotPath(folder);
  SnapshotRefusal refusal;
  if (!prepareSnapshotFolder(folder, refusal)) {
    showMessage(languageMessage(refusal.textKey.c_str(), refusal.folder));
    return false;
  }
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const SnapshotTarget target = snapshotTarget(folder, local, [](const std::string& path) { return pathExists(path); });
  if (target.path.empty()) {
    showMessage(languageMessage(target.refusal.textKey.c_str(), target.refusal.folder));
    return false;
  }
  // A failed picture (none yet, write error) stays silent, as the engine reports it to nobody.
  m_dialog.player().snapshot(target.path.c_str(), "JPG");
  return true;
}

void MainWindowCommands::showMessage(const QString& message) {
  if (m_messageSink) {
    m_messageSink(message);
    return;
  }
  auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("KXMediaPlayer"), message, QMessageBox::Ok, &m_dialog);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

}  // namespace app
