#pragma once
#include <QPoint>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/controls/AppIds.h"
#include "app/controls/UiServices.h"

class QString;

namespace app {

class CKXMediaPlayerDlg;

// The ways a user drives the main window besides its playback buttons: the settings menu, the video
// window's context menu, the window buttons and full screen, the open dialog, dropped files and folders,
// the file named on the command line and snapshots.
class MainWindowCommands {
 public:
  // How a refused snapshot is told to the user; by default a message box that does not block.
  using MessageSink = std::function<void(const QString& text)>;

  // `updateTexts` applies the captions of the present language to the whole window.
  MainWindowCommands(CKXMediaPlayerDlg& dialog, std::function<void()> updateTexts);

  // A command of a button, a menu or the accelerator table; false when it is not one of these.
  bool onCommand(std::uint32_t id);

  // The menus as they would be shown now.
  std::vector<MenuEntry> buildSettingsMenu();
  std::vector<MenuEntry> buildContextMenu() const;
  void onSettingsMenu();
  void onContextMenu(QPoint screenPoint);

  void onMaximize();
  void onVideoDoubleClick();
  void enterFullScreen();
  void leaveFullScreen();
  void enableControls(bool fullScreen);

  void onOpenFiles();
  // Dropped paths (files and folders) and where they were dropped, in screen coordinates.
  void onDropFiles(const QStringList& paths, QPoint screenPoint);
  void openStartupFile();
  // Writes a picture of the present video; false when no file name could be made.
  bool takeSnapshot();

  void setMessageSink(MessageSink sink) { m_messageSink = std::move(sink); }

 private:
  void addDropped(const std::string& path);
  void addFolder(const std::string& path);
  void setLanguage(int language);
  void setPlayMode(int mode);
  void toggleTopmost();
  void showMessage(const QString& text);

  CKXMediaPlayerDlg& m_dialog;
  std::function<void()> m_updateTexts;
  MessageSink m_messageSink;
};

}  // namespace app
