#include "app/window/MainWindowSkin.h"

#include <QPainter>
#include <cstdint>

#include "app/controls/AppIds.h"
#include "app/controls/CBmpSliderCtrl.h"
#include "app/controls/CPngButton.h"
#include "app/settings/AppPaths.h"
#include "app/window/CKXMediaPlayerDlg.h"

namespace app {
namespace {

struct ButtonImage {
  std::uint32_t id;
  const char* file;
};
// Load order; the sound button becomes a toggle button once its strip is in.
constexpr ButtonImage kButtonImages[] = {
    {IDC_OPEN, "open.png"},           {IDC_PLAY, "play.png"},
    {IDC_PAUSE, "pause.png"},         {IDC_STOP, "stop.png"},
    {IDC_SLOW, "play_slow.png"},      {IDC_FAST, "play_fast.png"},
    {IDC_PREVIOUS_FRAME, "previous_frame.png"}, {IDC_NEXT_FRAME, "next_frame.png"},
    {IDC_PREVIOUS_FILE, "previous_file.png"},   {IDC_NEXT_FILE, "next_file.png"},
    {IDC_SNAPSHOT, "snapshot.png"},   {IDC_SOUND, "volume.png"},
    {IDC_FULLSCREEN, "scr_full.png"}, {IDC_MAXIMIZE, "scr_max.png"},
    {IDC_MINIMIZE, "scr_min.png"},    {IDC_CLOSE, "scr_close.png"},
    {IDC_SETTINGS, "set.png"},
};

QString buttonImagePath(const char* file) {
  return QString::fromStdString(getModuleDir() + getButtonImagesDir() + file);
}

QImage programBitmap(const char* file) {
  return QImage(QString::fromStdString(getModuleDir() + getImagesDir() + file));
}

void setUpSlider(CBmpSliderCtrl* slider, const char* filled, const char* channel, const char* thumb, int thumbTop) {
  if (slider == nullptr) return;
  slider->setFilledChannelBitmap(programBitmap(filled));
  slider->setChannelBitmap(programBitmap(channel));
  slider->setThumbBitmap(programBitmap(thumb));
  slider->setThumbTop(thumbTop);
}

}  // namespace

void MainWindowSkin::loadBackground() {
  const QString folder = QString::fromStdString(getModuleDir() + getImagesDir());
  m_background.load(folder, QString());
  m_playControlBar = QImage(folder + QStringLiteral("play_ctrl_bkimg.bmp"));
}

void MainWindowSkin::loadButtonImages(CKXMediaPlayerDlg& dialog) {
  for (const ButtonImage& image : kButtonImages) {
    CPngButton* button = dialog.button(image.id);
    if (button == nullptr) continue;
    button->loadImage(buttonImagePath(image.file));
    if (image.id == IDC_SOUND) button->setMode(CPngButton::ToggleMode);
  }
  updateExpandButton(dialog);
  initSliders(dialog);
}

void MainWindowSkin::updateExpandButton(CKXMediaPlayerDlg& dialog) {
  CPngButton* expand = dialog.button(IDC_EXPAND);
  if (expand != nullptr) expand->loadImage(buttonImagePath(dialog.isListShown() ? "expand_close.png" : "expand_open.png"));
}

void MainWindowSkin::initSliders(CKXMediaPlayerDlg& dialog) {
  CBmpSliderCtrl* seek = dialog.seekSlider();
  setUpSlider(seek, "seek_channel_filled.bmp", "seek_channel.bmp", "seek_thumb.bmp", 4);
  if (seek != nullptr) {
    seek->setRange(0, 100, false);
    seek->setPageSize(30);
  }
  CBmpSliderCtrl* volume = dialog.volumeSlider();
  setUpSlider(volume, "volume_channel_filled.bmp", "volume_channel.bmp", "volume_thumb.bmp", 2);
  if (volume != nullptr) {
    volume->setRange(0, 100);
    volume->setPos(50, true);
    volume->hide();  // for good
  }
}

void MainWindowSkin::paint(QPainter& painter, const QRect& client) const {
  const QRect area = client.adjusted(-1, 0, 1, 0);
  m_background.paint(painter, area);
  if (!m_playControlBar.isNull()) {
    const int cornerHeight = m_background.piece(NineSliceSkin::BottomLeft).height();
    painter.drawImage(QPoint(area.left() + 25, area.top() + area.height() - cornerHeight), m_playControlBar);
  }
}

}  // namespace app
