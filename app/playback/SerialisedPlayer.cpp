#include "app/playback/SerialisedPlayer.h"

#include "player/KXPlayer.h"

namespace app {

void SerialisedPlayer::setUseTimeStamp(bool use) {
  locked([&](KXPlayer& p) { p.setUseTimeStamp(use); });
}
void SerialisedPlayer::setStretchMode(bool stretch) {
  locked([&](KXPlayer& p) { p.setStretchMode(stretch); });
}
void SerialisedPlayer::setVideoWindow(std::uint32_t window, int x, int y, int width, int height) {
  locked([&](KXPlayer& p) { p.setVideoWindow(window, x, y, width, height); });
}
void SerialisedPlayer::resizeWindow(int x, int y, int width, int height) {
  locked([&](KXPlayer& p) { p.resizeWindow(x, y, width, height); });
}
int SerialisedPlayer::setMessageEX(long playMode, long window, long message, long wParam, long lParam) {
  return locked([&](KXPlayer& p) { return p.setMessageEX(playMode, window, message, wParam, lParam); });
}
int SerialisedPlayer::openFile(const char* utf8Path) {
  return locked([&](KXPlayer& p) { return p.openFile(utf8Path); });
}
int SerialisedPlayer::closeFile() {
  return locked([](KXPlayer& p) { return p.closeFile(); });
}
int SerialisedPlayer::openStream() {
  return locked([](KXPlayer& p) { return p.openStream(); });
}
int SerialisedPlayer::closeStream() {
  return locked([](KXPlayer& p) { return p.closeStream(); });
}
int SerialisedPlayer::play() {
  return locked([](KXPlayer& p) { return p.play(); });
}
int SerialisedPlayer::pause() {
  return locked([](KXPlayer& p) { return p.pause(); });
}
int SerialisedPlayer::stop() {
  return locked([](KXPlayer& p) { return p.stop(); });
}
int SerialisedPlayer::setSpeed(float speed) {
  return locked([&](KXPlayer& p) { return p.setSpeed(speed); });
}
int SerialisedPlayer::playSound() {
  return locked([](KXPlayer& p) { return p.playSound(); });
}
int SerialisedPlayer::stopSound() {
  return locked([](KXPlayer& p) { return p.stopSound(); });
}
bool SerialisedPlayer::isOnSound() {
  return locked([](KXPlayer& p) { return p.isOnSound(); });
}
int SerialisedPlayer::getFileTime(long& seconds) {
  return locked([&](KXPlayer& p) { return p.getFileTime(seconds); });
}
int SerialisedPlayer::getPlayPosByTime(long& seconds) {
  return locked([&](KXPlayer& p) { return p.getPlayPosByTime(seconds); });
}
int SerialisedPlayer::setPlayPosByTime(long seconds) {
  return locked([&](KXPlayer& p) { return p.setPlayPosByTime(seconds); });
}
int SerialisedPlayer::getPlayedFrames(long& frames) {
  return locked([&](KXPlayer& p) { return p.getPlayedFrames(frames); });
}
int SerialisedPlayer::getFileTotalFrames(long& frames) {
  return locked([&](KXPlayer& p) { return p.getFileTotalFrames(frames); });
}
int SerialisedPlayer::playNextFrame() {
  return locked([](KXPlayer& p) { return p.playNextFrame(); });
}
int SerialisedPlayer::playPreviousFrame() {
  return locked([](KXPlayer& p) { return p.playPreviousFrame(); });
}
int SerialisedPlayer::getMode() {
  return locked([](KXPlayer& p) { return p.getMode(); });
}
bool SerialisedPlayer::hasFileEngine() {
  return locked([](KXPlayer& p) { return p.hasFileEngine(); });
}
int SerialisedPlayer::getPlayBufferState(bool& full) {
  return locked([&](KXPlayer& p) { return p.getPlayBufferState(full); });
}
int SerialisedPlayer::getCurrentAVFrameTimeStamp(std::int64_t& timeStamp) {
  return locked([&](KXPlayer& p) { return p.getCurrentAVFrameTimeStamp(timeStamp); });
}
int SerialisedPlayer::intputTSData(const char* data, unsigned length, unsigned& consumed) {
  return locked([&](KXPlayer& p) { return p.intputTSData(data, length, consumed); });
}

}  // namespace app
