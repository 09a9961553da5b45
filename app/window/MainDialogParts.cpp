#include "app/window/MainDialogParts.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QIcon>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

#include "app/controls/AppMessage.h"
#include "app/controls/CBmpSliderCtrl.h"
#include "app/controls/CPngButton.h"
#include "app/controls/CSplitterControl.h"
#include "app/playback/CPlayerWnd.h"
#include "app/playlist/CDlgFileList.h"
#include "app/settings/AppPaths.h"
#include "app/settings/LanguageText.h"
#include "app/window/CKXMediaPlayerDlg.h"
#include "app/window/MainWindowLayout.h"

namespace app {
namespace {

struct ButtonText {
  std::uint32_t id;
  const char* key;
};
// The expand button has no tooltip.
constexpr ButtonText kButtonTexts[] = {
    {IDC_OPEN, "open"},           {IDC_PLAY, "play"},
    {IDC_PAUSE, "pause"},         {IDC_STOP, "stop"},
    {IDC_SLOW, "playslow"},       {IDC_FAST, "playfast"},
    {IDC_PREVIOUS_FRAME, "previousframe"}, {IDC_NEXT_FRAME, "nextframe"},
    {IDC_PREVIOUS_FILE, "previousfile"},   {IDC_NEXT_FILE, "nextfile"},
    {IDC_SNAPSHOT, "snapshot"},   {IDC_SOUND, "volume"},
    {IDC_FULLSCREEN, "scrfull"},  {IDC_MAXIMIZE, "scrmax"},
    {IDC_MINIMIZE, "scrmin"},     {IDC_CLOSE, "close"},
    {IDC_SETTINGS, "set"},
};

// Splitter range: how far it may be dragged before and after its centre.
constexpr int kSplitterBefore = 300;
constexpr int kSplitterAfter = 100;

void placeSlider(CBmpSliderCtrl* slider, const QRect& place) {
  // A slider without its channel bitmap keeps its size.
  if (slider == nullptr || slider->channelBitmap().isNull()) return;
  slider->setGeometry(place.x(), place.y(), place.width(), slider->channelBitmap().height());
}

}  // namespace

MainDialogParts::MainDialogParts(CKXMediaPlayerDlg& dialog)
    : m_dialog(dialog), m_commands(dialog, [this] { updateTexts(m_dialog); }) {
  dialog.setAcceptDrops(true);
  dialog.installEventFilter(this);
}

MainDialogParts::~MainDialogParts() { m_dialog.removeEventFilter(this); }

void MainDialogParts::loadSkin(CKXMediaPlayerDlg& dialog) {
  const QIcon icon(QString::fromStdString(getModuleDir() + getImagesDir() + "app_icon.png"));
  if (!icon.isNull()) dialog.setWindowIcon(icon);
  m_skin.loadBackground();
  m_skin.loadButtonImages(dialog);
  const MainWindowLayout layout = MainWindowLayout::compute(dialog.size(), true, dialog.listWidth());
  if (dialog.splitter() != nullptr) dialog.splitter()->create(layout.splitter, &dialog);
}

void MainDialogParts::layoutControls(CKXMediaPlayerDlg& dialog) {
  if (dialog.windowStateValue() == CKXMediaPlayerDlg::WINDOW_FULL_SCREEN) {
    // Full screen moves the video window only: it covers the whole window.
    if (CPlayerWnd* video = dialog.videoWindow()) {
      video->setGeometry(dialog.rect());
      video->raise();
      dialog.resizeVideoArea();
    }
    return;
  }
  const MainWindowLayout layout = MainWindowLayout::compute(dialog.size(), dialog.isListShown(), dialog.listWidth());
  placeSlider(dialog.seekSlider(), layout.seekSlider);
  placeSlider(dialog.volumeSlider(), layout.volumeSlider);
  layoutPanes(dialog);
  for (const MainWindowLayout::ButtonPlace& place : layout.buttons) {
    if (CPngButton* button = dialog.button(place.id)) {
      button->move(place.topLeft);
      button->raise();
    }
  }
}

void MainDialogParts::layoutPanes(CKXMediaPlayerDlg& dialog) {
  if (dialog.windowStateValue() == CKXMediaPlayerDlg::WINDOW_FULL_SCREEN) return;
  const MainWindowLayout layout = MainWindowLayout::compute(dialog.size(), dialog.isListShown(), dialog.listWidth());
  if (CPlayerWnd* video = dialog.videoWindow()) {
    video->setGeometry(layout.video);
    dialog.resizeVideoArea();
  }
  if (CDlgFileList* panel = dialog.listPanel()) panel->setGeometry(layout.list);
  if (CSplitterControl* splitter = dialog.splitter()) {
    splitter->setGeometry(layout.splitter);
    splitter->setVisible(dialog.isListShown() && dialog.listPanel() != nullptr);
    splitter->setRange(kSplitterBefore, kSplitterAfter);
  }
}

void MainDialogParts::updateExpandButton(CKXMediaPlayerDlg& dialog) { m_skin.updateExpandButton(dialog); }

void MainDialogParts::updateTexts(CKXMediaPlayerDlg& dialog) {
  for (const ButtonText& entry : kButtonTexts) {
    if (CPngButton* button = dialog.button(entry.id)) button->setToolTipText(languageText(entry.key));
  }
  if (CDlgFileList* panel = dialog.listPanel()) panel->updateTexts();
  dialog.updateStateDisplay();
}

void MainDialogParts::paint(CKXMediaPlayerDlg& dialog, QPainter& painter) { m_skin.paint(painter, dialog.rect()); }

void MainDialogParts::onExpand(CKXMediaPlayerDlg& dialog) {
  dialog.setListShown(!dialog.isListShown());
  CDlgFileList* panel = dialog.listPanel();
  if (panel == nullptr) return;
  panel->setVisible(dialog.isListShown());
  layoutPanes(dialog);
  updateExpandButton(dialog);
}

bool MainDialogParts::onAppMessage(CKXMediaPlayerDlg& dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam,
                                   LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_COMMAND:
      if (commandId(wParam) == IDC_EXPAND) {
        onExpand(dialog);
        return true;
      }
      return m_commands.onCommand(commandId(wParam));
    case WM_VIDEO_DOUBLE_CLICK:
      m_commands.onVideoDoubleClick();
      return true;
    case WM_VIDEO_CONTEXT_MENU: {
      const auto* point = reinterpret_cast<const QPoint*>(lParam);
      m_commands.onContextMenu(point != nullptr ? *point : QPoint());
      return true;
    }
    default:
      return false;
  }
}

void MainDialogParts::onCancel(CKXMediaPlayerDlg& dialog) {
  if (dialog.windowStateValue() == CKXMediaPlayerDlg::WINDOW_FULL_SCREEN) m_commands.leaveFullScreen();
}

void MainDialogParts::openStartupFile(CKXMediaPlayerDlg&) { m_commands.openStartupFile(); }

bool MainDialogParts::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &m_dialog) return false;
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
    auto* drag = static_cast<QDropEvent*>(event);
    if (drag->mimeData()->hasUrls()) drag->acceptProposedAction();
    return true;
  }
  if (event->type() == QEvent::Drop) {
    auto* drop = static_cast<QDropEvent*>(event);
    QStringList paths;
    for (const QUrl& url : drop->mimeData()->urls()) {
      if (url.isLocalFile()) paths << url.toLocalFile();
    }
    drop->acceptProposedAction();
    m_commands.onDropFiles(paths, m_dialog.mapToGlobal(drop->position().toPoint()));
    return true;
  }
  return false;
}

}  // namespace app
