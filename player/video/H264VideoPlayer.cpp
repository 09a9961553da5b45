#include "player/video/H264VideoPlayer.h"

#include <new>

#include "player/video/H264VideoPlayerImpl.h"

H264VideoPlayer::H264VideoPlayer() : impl(new (std::nothrow) H264VideoPlayerImpl()) {}
H264VideoPlayer::H264VideoPlayer(H264VideoPlayerImpl* implementation) : impl(implementation) {}
H264VideoPlayer::~H264VideoPlayer() {
  delete impl;
  impl = nullptr;
}

void H264VideoPlayer::setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface) {
  impl->setDrawFuncForRender(port, fn, user, windowSizeSurface);
}
void H264VideoPlayer::setDecodeCallBack(long port, DecodeCallBack fn, void* user) {
  impl->setDecodeCallBack(port, fn, user);
}
void H264VideoPlayer::setStretchMode(bool stretch) { impl->setStretchMode(stretch); }
void H264VideoPlayer::setUseTimestampForVideo(bool use) { impl->setUseTimestampForVideo(use); }
void H264VideoPlayer::setInputQueueMaxSize(unsigned size) { impl->setInputQueueMaxSize(size); }
void H264VideoPlayer::setVideoWindow(unsigned hwnd, int x, int y, int w, int h) {
  impl->setVideoWindow(hwnd, x, y, w, h);
}
void H264VideoPlayer::setVideoWindow(unsigned hwnd) { impl->setVideoWindow(hwnd); }
void H264VideoPlayer::resizeWindow(int x, int y, int w, int h) { impl->resizeWindow(x, y, w, h); }
void H264VideoPlayer::refresh() { impl->refresh(); }
void H264VideoPlayer::setDrawVideoFlag(bool draw) { impl->setDrawVideoFlag(draw); }
void H264VideoPlayer::setAutoResizeFlag(bool autoResize) { impl->setAutoResizeFlag(autoResize); }
void H264VideoPlayer::setLivePlayFlag(bool live) { impl->setLivePlayFlag(live); }
int H264VideoPlayer::getLivePlayFlag(bool& live) { return impl->getLivePlayFlag(live); }
void H264VideoPlayer::setMaxDelayTime(unsigned ms) { impl->setMaxDelayTime(ms); }
int H264VideoPlayer::getMaxDelayTime(unsigned& ms) { return impl->getMaxDelayTime(ms); }
void H264VideoPlayer::setUseReverseTimestampForVideo(bool reverse) { impl->setUseReverseTimestampForVideo(reverse); }
int H264VideoPlayer::openVideo() { return impl->openVideo(); }
void H264VideoPlayer::closeVideo() { impl->closeVideo(); }
int H264VideoPlayer::playVideo() { return impl->playVideo(); }
int H264VideoPlayer::pauseVideo() { return impl->pauseVideo(); }
int H264VideoPlayer::stopVideo() { return impl->stopVideo(); }
void H264VideoPlayer::playNextFrame() { impl->playNextFrame(); }
void H264VideoPlayer::setAutoClearVideoQueueFlag(bool autoClear) { impl->setAutoClearVideoQueueFlag(autoClear); }
void H264VideoPlayer::clearVideoQueue() { impl->clearVideoQueue(); }
int H264VideoPlayer::pushVideoFrame(const AVData& frame) { return impl->pushVideoFrame(frame); }
bool H264VideoPlayer::isVideoQueueEmpty() { return impl->isVideoQueueEmpty(); }
bool H264VideoPlayer::isVideoQueueFull() { return impl->isVideoQueueFull(); }
int H264VideoPlayer::setRate(float rate) { return impl->setRate(rate); }
int H264VideoPlayer::getRate(float& rate) { return impl->getRate(rate); }
int H264VideoPlayer::setVideoBrightness(int value) { return impl->setVideoBrightness(value); }
int H264VideoPlayer::getVideoBrightness(int& value) { return impl->getVideoBrightness(value); }
int H264VideoPlayer::setVideoContrast(int value) { return impl->setVideoContrast(value); }
int H264VideoPlayer::getVideoContrast(int& value) { return impl->getVideoContrast(value); }
int H264VideoPlayer::setVideoHue(int value) { return impl->setVideoHue(value); }
int H264VideoPlayer::getVideoHue(int& value) { return impl->getVideoHue(value); }
int H264VideoPlayer::setVideoSaturation(int value) { return impl->setVideoSaturation(value); }
int H264VideoPlayer::getVideoSaturation(int& value) { return impl->getVideoSaturation(value); }
int H264VideoPlayer::resetPictureAdjustFilter() { return impl->resetPictureAdjustFilter(); }
int64_t H264VideoPlayer::getCurrentVideoFrameID() { return impl->getCurrentVideoFrameID(); }
int64_t H264VideoPlayer::getCurrentVideoFrameTimestamp() { return impl->getCurrentVideoFrameTimestamp(); }
bool H264VideoPlayer::getPacedStreamTime(int64_t& streamTime) { return impl->getPacedStreamTime(streamTime); }
void H264VideoPlayer::followSoundClock(int64_t streamTimeHeard, bool atOnce) {
  impl->followSoundClock(streamTimeHeard, atOnce);
}
void H264VideoPlayer::getPictureSize(int& w, int& h) { impl->getPictureSize(w, h); }
int H264VideoPlayer::snapShot(const char* path, const char* type) { return impl->snapShot(path, type); }
int H264VideoPlayer::zoomInVideo() { return impl->zoomInVideo(); }
int H264VideoPlayer::zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h) {
  return impl->zoomInVideo(x, y, w, h);
}
int H264VideoPlayer::zoomOutVideo() { return impl->zoomOutVideo(); }
void H264VideoPlayer::restoreVideo() { impl->restoreVideo(); }
bool H264VideoPlayer::isVideoIdle() { return impl->isVideoIdle(); }
