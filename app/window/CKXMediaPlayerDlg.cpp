#include "app/window/CKXMediaPlayerDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QGuiApplication>
#include <QPainter>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "app/controls/CBmpSliderCtrl.h"
#include "app/controls/CPngButton.h"
#include "app/controls/CSplitterControl.h"
#include "app/controls/UiServices.h"
#include "app/playback/CPlayerWnd.h"
#include "app/playback/QtVideoWindowRegistrar.h"
#include "app/playlist/CDlgFileList.h"
#include "app/playlist/CInterDragListBox.h"
#include "app/playlist/PlayList.h"
#include "app/settings/AppSettings.h"
#include "app/settings/LanguageText.h"
#include "app/settings/SaveFailureNotice.h"
#include "app/window/AcceleratorTable.h"
#include "app/window/IMainDialogParts.h"
#include "app/window/MainWindowLayout.h"
#include "media/CharSet.h"
#include "platform/DebugOutput.h"
#include "platform/WindowSystem.h"
#include "platform/qt/QtWindowSystem.h"

namespace app {
namespace {
constexpr int kTopStrip = 25;
constexpr int kBottomStrip = 76;
constexpr int kSideMargin = 10;
constexpr int kSplitterWidth = 2;
constexpr int kVideoDragDelayMs = 150;
}  // namespace

CKXMediaPlayerDlg::CKXMediaPlayerDlg(QtVideoWindowRegistrar* registrar, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_registrar(registrar),
      m_playback(m_player, *this, [this](long tag, long result) { postEnd(tag, result); }) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);  // the sizing frame's cursors
  resize(kInitialWidth, kInitialHeight);
  createControls();
  // The engine and the stream feeding thread post their end-of-item message to this window's id.
  m_windowId = platform::QtWindowSystem::instance().registerWidget(this, [this](const platform::WindowMessage& posted) {
    sendAppMessage(this, posted.message, posted.wParam, posted.lParam);
  });
  m_playback.setNotifyWindow(static_cast<long>(m_windowId));
  // Logging out or quitting the application ends the window as closing it does.
  connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { OnDestroy(); });
  SaveFailureNotice::setListener([this](const std::string& path) { showSaveFailure(path); });
}

CKXMediaPlayerDlg::~CKXMediaPlayerDlg() {
  OnDestroy();
  SaveFailureNotice::setListener(SaveFailureNotice::Listener());
  // No end message may reach a window that is going away.
  platform::QtWindowSystem::instance().unregisterWidget(m_windowId);
}

void CKXMediaPlayerDlg::postEnd(long tag, long result) {
  platform::windows().postMessage(m_windowId, WM_FILE_END, static_cast<std::uintptr_t>(tag), result);
}

void CKXMediaPlayerDlg::showSaveFailure(const std::string& path) {
  if (m_destroyed) return;  // the window is gone: the debug line is all that can be said
  if (m_saveFailure == nullptr) {
    m_saveFailure = new QLabel(this);
    m_saveFailure->setAutoFillBackground(true);
    QPalette palette = m_saveFailure->palette();
    palette.setColor(QPalette::Window, QColor(255, 255, 225));
    palette.setColor(QPalette::WindowText, Qt::black);
    m_saveFailure->setPalette(palette);
  }
  m_saveFailure->setText(languageMessage("cannotsave", path));
  m_saveFailure->setGeometry(kSideMargin, 3, std::max(100, width() - 140 - kSideMargin), kTopStrip - 6);
  m_saveFailure->show();
  m_saveFailure->raise();
}

void CKXMediaPlayerDlg::createControls() {
  struct ButtonSetup {
    CPngButton** button;
    std::uint32_t id;
  };
  const ButtonSetup buttons[] = {
      {&m_btnOpen, IDC_OPEN},           {&m_btnPlay, IDC_PLAY},
      {&m_btnPause, IDC_PAUSE},         {&m_btnStop, IDC_STOP},
      {&m_btnSlow, IDC_SLOW},           {&m_btnFast, IDC_FAST},
      {&m_btnPreviousFrame, IDC_PREVIOUS_FRAME}, {&m_btnNextFrame, IDC_NEXT_FRAME},
      {&m_btnPreviousFile, IDC_PREVIOUS_FILE},   {&m_btnNextFile, IDC_NEXT_FILE},
      {&m_btnSnapshot, IDC_SNAPSHOT},   {&m_btnSound, IDC_SOUND},
      {&m_btnFullScreen, IDC_FULLSCREEN}, {&m_btnMaximize, IDC_MAXIMIZE},
      {&m_btnMinimize, IDC_MINIMIZE},   {&m_btnClose, IDC_CLOSE},
      {&m_btnSettings, IDC_SETTINGS},   {&m_btnExpand, IDC_EXPAND},
  };
  for (const ButtonSetup& setup : buttons) *setup.button = new CPngButton(this, setup.id);
  m_btnSound->setMode(CPngButton::ToggleMode);  // toggled on: sound off
  m_sliderVolume = new CBmpSliderCtrl(this, IDC_VOLUME_SLIDER);
  m_sliderSeek = new CBmpSliderCtrl(this, IDC_SEEK_SLIDER);
  m_sliderVolume->hide();
  m_splitter = new CSplitterControl(this);
}

CPngButton* CKXMediaPlayerDlg::button(std::uint32_t controlId) const {
  for (CPngButton* candidate : {m_btnOpen, m_btnPlay, m_btnPause, m_btnStop, m_btnSlow, m_btnFast,
                                m_btnPreviousFrame, m_btnNextFrame, m_btnPreviousFile, m_btnNextFile,
                                m_btnSnapshot, m_btnSound, m_btnFullScreen, m_btnMaximize, m_btnMinimize,
                                m_btnClose, m_btnSettings, m_btnExpand}) {
    if (candidate->controlId() == controlId) return candidate;
  }
  return nullptr;
}

bool CKXMediaPlayerDlg::OnInitDialog() {
  setWindowTitle(QStringLiteral("KXMediaPlayer"));
  // The size at start-up is the smallest the window may take.
  m_nMinWidth = width();
  m_nMinHeight = height();
  setMinimumSize(m_nMinWidth, m_nMinHeight);
  if (m_parts != nullptr) m_parts->loadSkin(*this);
  // Every narrow path the window hands to the player is UTF-8.
  CharSet::setCharSet(1);
  createVideoWindow();
  PlayList::getInstance().load();
  createListPanel();
  layoutControls();
  updateStateDisplay();
  int mode = 0;
  readPlayMode(mode);
  m_playback.setPlayMode(mode);
  bool show = false;
  readShowList(show);
  m_bListShown = show;
  if (m_pDlgFileList != nullptr) {
    m_pDlgFileList->setVisible(m_bListShown);
    layoutPanes();
    if (m_parts != nullptr) m_parts->updateExpandButton(*this);
  }
  bool topmost = false;
  readTopmostMode(topmost);
  m_bTopmost = topmost;
  setWindowFlag(Qt::WindowStaysOnTopHint, m_bTopmost);
  writeTopmostMode(m_bTopmost);
  if (m_parts != nullptr) m_parts->updateTexts(*this);
  if (m_accelerators == nullptr) m_accelerators = new AcceleratorTable(this);
  update();
  if (m_parts != nullptr) {
    m_parts->openStartupFile(*this);
  } else if (!m_strStartupFile.isEmpty() && m_pDlgFileList != nullptr) {
    openItem(m_pDlgFileList->addFile(m_strStartupFile.toStdU16String()));
  }
  return true;
}

void CKXMediaPlayerDlg::createVideoWindow() {
  if (m_pPlayerWnd != nullptr) return;
  CPlayerWnd::setWindowRegistrar(m_registrar);
  m_pPlayerWnd = new CPlayerWnd(this);
  m_pPlayerWnd->show();
  const QRect area = videoAreaFor(m_pPlayerWnd->size());
  m_player.setVideoWindow(m_pPlayerWnd->windowId(), area.x(), area.y(), area.width(), area.height());
  m_objKXPlayer.setMessage(PLAYMODE_FILE, static_cast<long>(m_windowId), static_cast<long>(WM_FILE_END));
}

void CKXMediaPlayerDlg::createListPanel() {
  if (m_pDlgFileList != nullptr) return;
  m_pDlgFileList = new CDlgFileList(this);
  m_pDlgFileList->show();
}

void CKXMediaPlayerDlg::OnDestroy() {
  if (m_destroyed) return;
  m_destroyed = true;
  m_playback.closeItem();
  if (m_pDlgFileList != nullptr) {
    delete m_pDlgFileList;  // saves the play list
    m_pDlgFileList = nullptr;
  }
  if (m_pPlayerWnd != nullptr) {
    delete m_pPlayerWnd;
    m_pPlayerWnd = nullptr;
  }
}

QRect CKXMediaPlayerDlg::videoAreaFor(QSize videoWindow) {
  return QRect(0, 0, std::max(0, videoWindow.width()), std::max(0, videoWindow.height() - CPlayerWnd::kStatusStripHeight));
}

void CKXMediaPlayerDlg::resizeVideoArea() {
  if (m_pPlayerWnd == nullptr) return;
  const QRect area = videoAreaFor(m_pPlayerWnd->size());
  m_player.resizeWindow(area.x(), area.y(), area.width(), area.height());
}

void CKXMediaPlayerDlg::onSplitterMoved(int delta) {
  if (m_pPlayerWnd == nullptr) return;
  if (m_parts != nullptr) {
    // The list keeps the width the user dragged it to, through every later resize.
    m_nListWidth = MainWindowLayout::clampListWidth(width(), m_nListWidth - delta);
    m_parts->layoutPanes(*this);
    return;
  }
  QRect video = m_pPlayerWnd->geometry();
  video.setRight(video.right() + delta);
  m_pPlayerWnd->setGeometry(video);
  if (m_pDlgFileList != nullptr) {
    QRect list = m_pDlgFileList->geometry();
    list.setLeft(list.left() + delta);
    m_pDlgFileList->setGeometry(list);
  }
  resizeVideoArea();
}

void CKXMediaPlayerDlg::layoutControls() {
  if (m_parts != nullptr) {
    m_parts->layoutControls(*this);
    return;
  }
  layoutPanes();
}

void CKXMediaPlayerDlg::layoutPanes() {
  if (m_parts != nullptr) {
    m_parts->layoutPanes(*this);
    return;
  }
  const int right = m_bListShown ? width() - (m_nListWidth + kSplitterWidth) : width() - kSideMargin;
  const int bottom = height() - kBottomStrip;
  if (m_pPlayerWnd != nullptr) {
    m_pPlayerWnd->setGeometry(QRect(QPoint(kSideMargin, kTopStrip), QPoint(right - 1, bottom - 1)));
    resizeVideoArea();
  }
  if (m_pDlgFileList != nullptr && m_bListShown) {
    m_pDlgFileList->setGeometry(QRect(QPoint(width() - m_nListWidth, kTopStrip), QPoint(width() - 10, bottom - 1)));
  }
}

void CKXMediaPlayerDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (m_parts != nullptr) {
    m_parts->paint(*this, painter);
  } else {
    painter.fillRect(rect(), QColor(35, 36, 40));
  }
}

void CKXMediaPlayerDlg::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutControls();
  update();
}

void CKXMediaPlayerDlg::beginDrag(QPoint screenPoint) {
  // Maximized and full screen windows stay where they are.
  if (m_nWindowState != WINDOW_NORMAL) return;
  if (windowHandle() != nullptr && windowHandle()->startSystemMove()) return;
  m_dragging = true;
  m_dragOffset = screenPoint - frameGeometry().topLeft();
}

Qt::Edges CKXMediaPlayerDlg::resizeEdgesAt(QPoint point) const {
  // Only a normal window has a sizing frame; maximized and full screen ones keep their size.
  if (m_nWindowState != WINDOW_NORMAL) return {};
  return MainWindowLayout::resizeEdgesAt(size(), point);
}

void CKXMediaPlayerDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    // The frame's edges resize through the window system, which keeps the minimum size; the layout
    // follows through the resize events.
    const Qt::Edges edges = resizeEdgesAt(event->position().toPoint());
    if (edges == Qt::Edges() || windowHandle() == nullptr || !windowHandle()->startSystemResize(edges)) {
      beginDrag(event->globalPosition().toPoint());
    }
  }
  event->accept();
}

void CKXMediaPlayerDlg::mouseMoveEvent(QMouseEvent* event) {
  if (m_dragging && (event->buttons() & Qt::LeftButton)) move(event->globalPosition().toPoint() - m_dragOffset);
  if (event->buttons() == Qt::NoButton) {
    const Qt::Edges edges = resizeEdgesAt(event->position().toPoint());
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    const bool falling = edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
      setCursor(falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
    } else if (horizontal) {
      setCursor(Qt::SizeHorCursor);
    } else if (vertical) {
      setCursor(Qt::SizeVerCursor);
    } else {
      unsetCursor();
    }
  }
  event->accept();
}

void CKXMediaPlayerDlg::mouseReleaseEvent(QMouseEvent* event) {
  m_dragging = false;
  event->accept();
}

void CKXMediaPlayerDlg::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      // Escape never closes the window; in full screen it leaves full screen.
      if (m_parts != nullptr) m_parts->onCancel(*this);
      event->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->accept();  // Enter never closes the window either
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

void CKXMediaPlayerDlg::closeEvent(QCloseEvent* event) {
  // The close button, the window manager, Alt+F4 and logging out all end the program this way.
  OnDestroy();
  event->accept();
}

bool CKXMediaPlayerDlg::event(QEvent* event) { return dispatchAppMessage(event, *this) || QWidget::event(event); }

bool CKXMediaPlayerDlg::onCommand(std::uint32_t id) {
  switch (id) {
    case IDC_PLAY: m_playback.onPlay(); return true;
    case IDC_PAUSE: m_playback.onPause(); return true;
    case ID_MENU_PLAY_PAUSE: m_playback.onPlayPause(); return true;
    case IDC_STOP:
    case ID_MENU_STOP: m_playback.onStop(); return true;
    case IDC_SLOW:
    case ID_MENU_SLOW: m_playback.onSlow(); return true;
    case IDC_FAST:
    case ID_MENU_FAST: m_playback.onFast(); return true;
    case IDC_PREVIOUS_FRAME:
    case ID_MENU_PREVIOUS_FRAME: m_playback.onPreviousFrame(); return true;
    case IDC_NEXT_FRAME:
    case ID_MENU_NEXT_FRAME: m_playback.onNextFrame(); return true;
    case IDC_PREVIOUS_FILE: m_playback.onPreviousFile(); return true;
    case IDC_NEXT_FILE: m_playback.onNextFile(); return true;
    case IDC_SOUND: m_playback.onSound(); return true;
    default: return false;
  }
}

LRESULT CKXMediaPlayerDlg::onAppMessage(std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (onCommand(commandId(wParam))) return 0;
      break;
    case WM_TIMER:
      m_playback.onTimer(static_cast<std::uint32_t>(wParam));
      return 0;
    case WM_FILE_END:
      return m_playback.onFileEnd(wParam, lParam);
    case WM_SLIDER_CLICK:
      // Only the seek slider can be pressed: the volume slider is hidden for good.
      m_playback.onSeekSliderClick();
      return 0;
    case WM_SLIDER_MOVE:
    case WM_USER + 1012:
      return 0;
    case WM_LBUTTONDOWN: {
      // A press on the video window. A system move takes the pointer away at once and would swallow
      // the second press of a double click, so the move starts only while the button is still held a
      // moment later.
      const QPoint point = unpackPoint(lParam);
      QTimer::singleShot(kVideoDragDelayMs, this, [this, point] {
        if (QGuiApplication::mouseButtons() & Qt::LeftButton) beginDrag(point);
      });
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NotifyHeader*>(lParam);
      if (header == nullptr) return 0;
      if (header->idFrom == IDC_SPLITTER && header->code == SPLITTER_MOVED) {
        onSplitterMoved(reinterpret_cast<const SplitterNotify*>(lParam)->delta);
        return 0;
      }
      if (header->code == NM_RELEASEDCAPTURE && header->idFrom == IDC_SEEK_SLIDER) {
        m_playback.onSeekReleased();
        return 0;
      }
      if (header->code == NM_RELEASEDCAPTURE && header->idFrom == IDC_VOLUME_SLIDER) return 0;
      break;
    }
    default:
      break;
  }
  LRESULT result = 0;
  if (m_parts != nullptr && m_parts->onAppMessage(*this, message, wParam, lParam, result)) return result;
  if (message == WM_COMMAND && commandId(wParam) == IDC_CLOSE) close();
  return 0;
}

bool CKXMediaPlayerDlg::hasListPanel() const { return m_pDlgFileList != nullptr; }

void CKXMediaPlayerDlg::selectListItem(int id) {
  if (m_pDlgFileList != nullptr) m_pDlgFileList->selectItemById(id);
}

int CKXMediaPlayerDlg::selectedListId() const { return m_pDlgFileList != nullptr ? m_pDlgFileList->getSelectedId() : 0; }

int CKXMediaPlayerDlg::nextListId(int id) const { return m_pDlgFileList != nullptr ? m_pDlgFileList->getNextId(id) : 0; }

int CKXMediaPlayerDlg::previousListId(int id) const {
  return m_pDlgFileList != nullptr ? m_pDlgFileList->getPreviousId(id) : 0;
}

int CKXMediaPlayerDlg::firstListId() const {
  if (m_pDlgFileList == nullptr || m_pDlgFileList->listBox()->count() == 0) return 0;
  return m_pDlgFileList->listBox()->rowId(0);
}

void CKXMediaPlayerDlg::setSeekRange(int maximum) { m_sliderSeek->setRange(0, maximum, false); }

void CKXMediaPlayerDlg::setSeekPos(int position) { m_sliderSeek->setPos(position, true); }

int CKXMediaPlayerDlg::seekPos() const { return m_sliderSeek->pos(); }

void CKXMediaPlayerDlg::setSoundButtonOff(bool soundOff) { m_btnSound->setToggledOn(soundOff); }

void CKXMediaPlayerDlg::showControls(const ControlStates& states) {
  m_btnPlay->setVisible(states.playShown);
  if (states.playEnabledKnown) m_btnPlay->setEnabled(states.playEnabled);
  m_btnPause->setEnabled(true);
  m_btnPause->setVisible(states.pauseShown);
  for (CPngButton* transport : {m_btnStop, m_btnSlow, m_btnFast, m_btnPreviousFrame, m_btnNextFrame}) {
    transport->setEnabled(states.transportEnabled);
  }
  m_btnPreviousFile->setEnabled(true);
  m_btnNextFile->setEnabled(true);
  m_btnSnapshot->setEnabled(states.snapshotEnabled);
  m_sliderSeek->setEnabled(states.seekEnabled);
}

void CKXMediaPlayerDlg::setStateTextKey(const char* key) {
  if (m_pPlayerWnd != nullptr) m_pPlayerWnd->stateText()->setText(languageText(key));
}

void CKXMediaPlayerDlg::setTimeText(const std::string& text) {
  if (m_pPlayerWnd != nullptr) m_pPlayerWnd->timeText()->setText(QString::fromStdString(text));
}

void CKXMediaPlayerDlg::setFrameText(const std::string& text) {
  if (m_pPlayerWnd != nullptr) m_pPlayerWnd->setFrameText(QString::fromStdString(text));
}

void CKXMediaPlayerDlg::showPictures(bool show) {
  if (m_registrar != nullptr && m_pPlayerWnd != nullptr) m_registrar->setPicturesShown(m_pPlayerWnd->windowId(), show);
}

void CKXMediaPlayerDlg::startPositionTimer() { uiServices().setTimer(this, TIMER_PLAY_POSITION, 1000); }

void CKXMediaPlayerDlg::stopPositionTimer() { uiServices().killTimer(this, TIMER_PLAY_POSITION); }

void CKXMediaPlayerDlg::debugText(const char* text) { platform::debugOutput(text); }

}  // namespace app
