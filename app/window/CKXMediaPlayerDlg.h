#pragma once
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "app/controls/AppMessage.h"
#include "app/playback/IPlaybackView.h"
#include "app/playback/PlaybackController.h"
#include "app/playback/SerialisedPlayer.h"
#include "app/playlist/IMainDialog.h"
#include "player/KXPlayer.h"

class QLabel;

namespace app {

class AcceleratorTable;
class CBmpSliderCtrl;
class CDlgFileList;
class CPlayerWnd;
class CPngButton;
class CSplitterControl;
class IMainDialogParts;
class QtVideoWindowRegistrar;

// The main window: a frameless window painted from the skin, with 18 image buttons, the seek slider (a
// volume slider is made and hidden), the video window, the play-list panel and a splitter between them.
// It owns the one player and the playback control (PlaybackController) that drives it; the skin, layout,
// menus, keys, full screen, drops and snapshots plug in through IMainDialogParts.
class CKXMediaPlayerDlg : public QWidget, public AppMessageHandler, public IMainDialog, public IPlaybackView {
 public:
  enum WindowState { WINDOW_NORMAL = 0, WINDOW_MAXIMIZED = 1, WINDOW_FULL_SCREEN = 2 };
  // The size the window opens with (the skin may change it before start-up ends).
  static constexpr int kInitialWidth = 621;
  static constexpr int kInitialHeight = 519;

  // The registrar gives the video window its drawing surface (null: none, nothing is drawn).
  explicit CKXMediaPlayerDlg(QtVideoWindowRegistrar* registrar = nullptr, QWidget* parent = nullptr);
  ~CKXMediaPlayerDlg() override;

  void setParts(IMainDialogParts* parts) { m_parts = parts; }
  void setStartupFile(const QString& path) { m_strStartupFile = path; }
  const QString& startupFile() const { return m_strStartupFile; }

  // The start-up sequence; the window is shown afterwards by its owner.
  bool OnInitDialog();
  // Closes the item, destroys the list panel (which saves the list) and the video window. Runs once,
  // whichever way the program ends.
  void OnDestroy();

  // Parts of the window, for the pluggable classes.
  CPngButton* button(std::uint32_t controlId) const;
  CBmpSliderCtrl* seekSlider() const { return m_sliderSeek; }
  CBmpSliderCtrl* volumeSlider() const { return m_sliderVolume; }
  CSplitterControl* splitter() const { return m_splitter; }
  CDlgFileList* listPanel() const { return m_pDlgFileList; }
  CPlayerWnd* videoWindow() const { return m_pPlayerWnd; }
  QLabel* saveFailureText() const { return m_saveFailure; }  // null until a save has failed
  KXPlayer& player() { return m_objKXPlayer; }
  PlaybackController& playback() { return m_playback; }
  std::uint32_t windowId() const { return m_windowId; }
  int windowStateValue() const { return m_nWindowState; }
  void setWindowStateValue(int state) { m_nWindowState = state; }
  bool isListShown() const { return m_bListShown; }
  void setListShown(bool shown) { m_bListShown = shown; }
  int listWidth() const { return m_nListWidth; }
  bool isTopmost() const { return m_bTopmost; }
  void setTopmost(bool topmost) { m_bTopmost = topmost; }
  // The drop in hand: whether an item of it was added, and the id of the first one added.
  bool isDropRecorded() const { return m_bDropRecorded; }
  int firstDroppedId() const { return m_nFirstDroppedId; }
  void setDropState(bool recorded, int firstId) {
    m_bDropRecorded = recorded;
    m_nFirstDroppedId = firstId;
  }
  QSize minimumDialogSize() const { return QSize(m_nMinWidth, m_nMinHeight); }

  // The player's video area: the video window's client area less its status strip, never negative.
  static QRect videoAreaFor(QSize videoWindow);
  void resizeVideoArea();
  void onSplitterMoved(int delta);
  void layoutControls();
  void layoutPanes();

  // IMainDialog
  int openItem(int id) override { return m_playback.openItem(id); }
  void closeItem() override { m_playback.closeItem(); }
  void updateStateDisplay() override { m_playback.updateStateDisplay(); }
  bool isItemOpen() const override { return m_playback.isItemOpen(); }
  int openItemId() const override { return m_playback.currentItemId(); }
  int playMode() const override { return m_playback.playMode(); }
  void setPlayMode(int mode) override { m_playback.setPlayMode(mode); }

  // IPlaybackView
  bool hasListPanel() const override;
  void selectListItem(int id) override;
  int selectedListId() const override;
  int nextListId(int id) const override;
  int previousListId(int id) const override;
  int firstListId() const override;
  void setSeekRange(int maximum) override;
  void setSeekPos(int position) override;
  int seekPos() const override;
  void setSoundButtonOff(bool soundOff) override;
  bool isFullScreen() const override { return m_nWindowState == WINDOW_FULL_SCREEN; }
  void showControls(const ControlStates& states) override;
  bool hasVideoWindow() const override { return m_pPlayerWnd != nullptr; }
  void setStateTextKey(const char* key) override;
  void setTimeText(const std::string& text) override;
  void setFrameText(const std::string& text) override;
  void showPictures(bool show) override;
  void startPositionTimer() override;
  void stopPositionTimer() override;
  void debugText(const char* text) override;

  LRESULT onAppMessage(std::uint32_t message, WPARAM wParam, LPARAM lParam) override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void createControls();
  void createVideoWindow();
  void createListPanel();
  bool onCommand(std::uint32_t id);
  void beginDrag(QPoint screenPoint);
  Qt::Edges resizeEdgesAt(QPoint point) const;
  void postEnd(long tag, long result);
  void showSaveFailure(const std::string& path);

  QtVideoWindowRegistrar* m_registrar;
  IMainDialogParts* m_parts = nullptr;
  CPngButton* m_btnOpen = nullptr;
  CPngButton* m_btnPlay = nullptr;
  CPngButton* m_btnPause = nullptr;
  CPngButton* m_btnStop = nullptr;
  CPngButton* m_btnSlow = nullptr;
  CPngButton* m_btnFast = nullptr;
  CPngButton* m_btnPreviousFrame = nullptr;
  CPngButton* m_btnNextFrame = nullptr;
  CPngButton* m_btnPreviousFile = nullptr;
  CPngButton* m_btnNextFile = nullptr;
  CPngButton* m_btnSnapshot = nullptr;
  CPngButton* m_btnSound = nullptr;
  CBmpSliderCtrl* m_sliderVolume = nullptr;
  CBmpSliderCtrl* m_sliderSeek = nullptr;
  CPngButton* m_btnFullScreen = nullptr;
  CPngButton* m_btnMaximize = nullptr;
  CPngButton* m_btnMinimize = nullptr;
  CPngButton* m_btnClose = nullptr;
  CPngButton* m_btnSettings = nullptr;
  CPngButton* m_btnExpand = nullptr;
  CSplitterControl* m_splitter = nullptr;
  QLabel* m_saveFailure = nullptr;  // tells the user once that a settings or list file cannot be written
  CDlgFileList* m_pDlgFileList = nullptr;
  CPlayerWnd* m_pPlayerWnd = nullptr;
  int m_nMinWidth = 0;
  int m_nMinHeight = 0;
  int m_nWindowState = WINDOW_NORMAL;
  int m_nListWidth = 175;
  bool m_bListShown = false;
  bool m_bTopmost = false;
  bool m_bDropRecorded = false;
  int m_nFirstDroppedId = 0;
  QString m_strStartupFile;
  KXPlayer m_objKXPlayer;
  SerialisedPlayer m_player{m_objKXPlayer};
  PlaybackController m_playback;
  AcceleratorTable* m_accelerators = nullptr;
  std::uint32_t m_windowId = 0;
  bool m_destroyed = false;
  // A drag of the window by its client area where the window system cannot move it itself.
  bool m_dragging = false;
  QPoint m_dragOffset;
};

}  // namespace app
