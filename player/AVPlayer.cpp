#include "player/AVPlayer.h"

#include <new>

#include "player/IAudioPlayer.h"
#include "player/IVideoPlayer.h"
#include "player/KXPlayerResult.h"
#include "player/audio/DSoundAudioPlayer.h"
#include "player/video/H264VideoPlayer.h"

AVPlayer::AVPlayer() : video(new H264VideoPlayer()), audio(new (std::nothrow) DSoundAudioPlayer()) {}

AVPlayer::AVPlayer(IVideoPlayer* videoPlayer, IAudioPlayer* audioPlayer) : video(videoPlayer), audio(audioPlayer) {}

AVPlayer::~AVPlayer() {
  // The audio player's feed may look at the picture clock until it lets go of the video player.
  if (audio != nullptr) audio->syncWithPictures(nullptr);
  delete video;
  video = nullptr;
  delete audio;
  audio = nullptr;
}

void AVPlayer::setDrawVideoFlag(bool draw) { video->setDrawVideoFlag(draw); }
void AVPlayer::setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface) {
  video->setDrawFuncForRender(port, fn, user, windowSizeSurface);
}
void AVPlayer::setDecodeCallBack(long port, DecodeCallBack fn, void* user) { video->setDecodeCallBack(port, fn, user); }
void AVPlayer::setStretchMode(bool stretch) { video->setStretchMode(stretch); }
void AVPlayer::setGlobalStretchMode(bool stretch) { video->setGlobalStretchMode(stretch); }
void AVPlayer::setRenderMode(int mode) { video->setRenderMode(mode); }
void AVPlayer::setVideoPlayQueueSize(unsigned size) { video->setVideoPlayQueueSize(size); }
void AVPlayer::setInputQueueMaxSize(unsigned size) { video->setInputQueueMaxSize(size); }
void AVPlayer::setUseTimestampForVideo(bool use) { video->setUseTimestampForVideo(use); }
void AVPlayer::setPlayFromIFrame(bool fromKeyFrame) { video->setPlayFromIFrame(fromKeyFrame); }
void AVPlayer::setupVideoMediaType(const VideoInfo& info) { video->setupVideoMediaType(info); }
void AVPlayer::refresh() { video->refresh(); }
int AVPlayer::openVideo() { return video->openVideo(); }
void AVPlayer::closeVideo() { video->closeVideo(); }
int AVPlayer::playVideo() { return video->playVideo(); }
int AVPlayer::pauseVideo() { return video->pauseVideo(); }
int AVPlayer::stopVideo() { return video->stopVideo(); }
void AVPlayer::playNextFrame() { video->playNextFrame(); }
void AVPlayer::setAutoClearVideoQueueFlag(bool autoClear) { video->setAutoClearVideoQueueFlag(autoClear); }
void AVPlayer::clearVideoQueue() { video->clearVideoQueue(); }
int AVPlayer::pushVideoFrame(const AVData& frame) { return video->pushVideoFrame(frame); }
bool AVPlayer::isVideoQueueEmpty() { return video->isVideoQueueEmpty(); }
bool AVPlayer::isVideoIdle() { return video->isVideoIdle(); }
bool AVPlayer::isVideoQueueFull() { return video->isVideoQueueFull(); }
int AVPlayer::setRate(float rate) { return video->setRate(rate); }
int AVPlayer::getRate(float& rate) { return video->getRate(rate); }
int AVPlayer::setVideoBrightness(int value) { return video->setVideoBrightness(value); }
int AVPlayer::getVideoBrightness(int& value) { return video->getVideoBrightness(value); }
int AVPlayer::setVideoContrast(int value) { return video->setVideoContrast(value); }
int AVPlayer::getVideoContrast(int& value) { return video->getVideoContrast(value); }
int AVPlayer::setVideoHue(int value) { return video->setVideoHue(value); }
int AVPlayer::getVideoHue(int& value) { return video->getVideoHue(value); }
int AVPlayer::setVideoSaturation(int value) { return video->setVideoSaturation(value); }
int AVPlayer::getVideoSaturation(int& value) { return video->getVideoSaturation(value); }
int AVPlayer::resetPictureAdjustFilter() { return video->resetPictureAdjustFilter(); }
int AVPlayer::snapShot(const char* path, const char* type) { return video->snapShot(path, type); }
int AVPlayer::blendText(const char* text, const char* font, int size) { return video->blendText(text, font, size); }
int AVPlayer::zoomInVideo() { return video->zoomInVideo(); }
int AVPlayer::zoomInVideo(unsigned zx, unsigned zy, unsigned zw, unsigned zh) { return video->zoomInVideo(zx, zy, zw, zh); }
int AVPlayer::zoomOutVideo() { return video->zoomOutVideo(); }
void AVPlayer::restoreVideo() { video->restoreVideo(); }
int64_t AVPlayer::getCurrentVideoFrameID() { return video->getCurrentVideoFrameID(); }
int64_t AVPlayer::getCurrentVideoFrameTimestamp() { return video->getCurrentVideoFrameTimestamp(); }
void AVPlayer::getPictureSize(int& w, int& h) { video->getPictureSize(w, h); }
void AVPlayer::setAutoResizeFlag(bool autoResize) { video->setAutoResizeFlag(autoResize); }
void AVPlayer::setLivePlayFlag(bool live) { video->setLivePlayFlag(live); }
int AVPlayer::getLivePlayFlag(bool& live) { return video->getLivePlayFlag(live); }
void AVPlayer::setMaxDelayTime(unsigned ms) { video->setMaxDelayTime(ms); }
int AVPlayer::getMaxDelayTime(unsigned& ms) { return video->getMaxDelayTime(ms); }
void AVPlayer::setUseReverseTimestampForVideo(bool reverse) { video->setUseReverseTimestampForVideo(reverse); }

void AVPlayer::setVideoWindow(unsigned hwnd) {
  dispHWnd = hwnd;
  video->setVideoWindow(hwnd);
}

void AVPlayer::setVideoWindow(unsigned hwnd, int wx, int wy, int w, int h) {
  dispHWnd = hwnd;
  x = wx;
  y = wy;
  width = w;
  height = h;
  video->setVideoWindow(hwnd, wx, wy, w, h);
}

void AVPlayer::resizeWindow(int wx, int wy, int w, int h) {
  x = wx;
  y = wy;
  width = w;
  height = h;
  video->resizeWindow(wx, wy, w, h);
}

void AVPlayer::getDispRect(int& outX, int& outY, int& outW, int& outH) const {
  outX = x;
  outY = y;
  outW = width;
  outH = height;
}

void AVPlayer::setUseTimestampForAudio(bool use) {
  if (audio != nullptr) audio->setUseTimestampForAudio(use);
}
void AVPlayer::setupAudioMediaType(const AudioInfo& info) {
  if (audio != nullptr) audio->setupAudioMediaType(info);
}
void AVPlayer::setAudioPlayQueueSize(unsigned size) {
  if (audio != nullptr) audio->setAudioPlayQueueSize(size);
}
void AVPlayer::setAudioWindow(unsigned window) {
  if (audio != nullptr) audio->setAudioWindow(window);
}
int AVPlayer::openAudio() { return audio != nullptr ? audio->openAudio() : KXPLAYER_MISSING_ARGUMENT; }
void AVPlayer::closeAudio() {
  if (audio != nullptr) audio->closeAudio();
}
int AVPlayer::playAudio() { return audio != nullptr ? audio->playAudio() : KXPLAYER_MISSING_ARGUMENT; }
int AVPlayer::pauseAudio() { return audio != nullptr ? audio->pauseAudio() : KXPLAYER_MISSING_ARGUMENT; }
int AVPlayer::stopAudio() { return audio != nullptr ? audio->stopAudio() : KXPLAYER_MISSING_ARGUMENT; }
int AVPlayer::setAudioVolume(long volume) {
  return audio != nullptr ? audio->setAudioVolume(volume) : KXPLAYER_MISSING_ARGUMENT;
}
int AVPlayer::getAudioVolume(long& volume) {
  return audio != nullptr ? audio->getAudioVolume(volume) : KXPLAYER_MISSING_ARGUMENT;
}
void AVPlayer::clearAudioQueue() {
  if (audio != nullptr) audio->clearAudioQueue();
}
int AVPlayer::pushAudioFrame(const AVData& frame) {
  return audio != nullptr ? audio->pushAudioFrame(frame) : KXPLAYER_MISSING_ARGUMENT;
}
bool AVPlayer::isAudioQueueEmpty() { return audio != nullptr && audio->isAudioQueueEmpty(); }
bool AVPlayer::isAudioQueueFull() { return audio != nullptr && audio->isAudioQueueFull(); }
bool AVPlayer::isAudioPlayedOut() { return audio == nullptr || audio->isAudioPlayedOut(); }
void AVPlayer::syncAudioWithVideo() {
  if (audio != nullptr) audio->syncWithPictures(video);
}
