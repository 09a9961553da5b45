#include "player/video/H264VideoPlayerImpl.h"

#include <cmath>

#include "player/KXPlayerResult.h"
#include "player/video/DecoderManager.h"

namespace {

constexpr int kNeutral = 100;
constexpr int kMaxStored = 200;

// Draw locks of any player that the current thread holds: a thread inside some player's callback.
thread_local int t_drawLocksHeld = 0;

}  // namespace

H264VideoPlayerImpl::H264VideoPlayerImpl(MicroClock clock, std::unique_ptr<IVideoDecoder> decoder,
                                         DecoderManager* manager)
    : m_objInput(m_objLog, clock),
      m_objDecoder(m_objLog, m_objInput, std::move(decoder)),
      m_objOutput(m_objLog, m_objDecoder, clock),
      m_objDecodeThread(*this),
      m_pManager(manager) {}

H264VideoPlayerImpl::~H264VideoPlayerImpl() {
  closeVideo();
  m_objDecodeThread.stopDecoding();
}

DecoderManager* H264VideoPlayerImpl::manager() {
  return m_pManager != nullptr ? m_pManager : DecoderManager::instance();
}

bool H264VideoPlayerImpl::tryLockDraw() {
  if (!m_csDraw.try_lock()) return false;
  if (m_nDrawDepth++ == 0) m_nDrawOwner.store(platform::currentThreadId());
  ++t_drawLocksHeld;
  return true;
}

void H264VideoPlayerImpl::lockDraw() {
  m_csDraw.lock();
  if (m_nDrawDepth++ == 0) m_nDrawOwner.store(platform::currentThreadId());
  ++t_drawLocksHeld;
}

void H264VideoPlayerImpl::unlockDraw() {
  --t_drawLocksHeld;
  if (--m_nDrawDepth == 0) {
    m_nDrawOwner.store(0);
    // A close from inside a callback left the releasing to the end of the decode-and-show.
    if (m_bClosePending.exchange(false)) releaseDecoding();
  }
  m_csDraw.unlock();
}

bool H264VideoPlayerImpl::isInsideOwnDraw() const { return m_nDrawOwner.load() == platform::currentThreadId(); }

int H264VideoPlayerImpl::openVideo() {
  lockDraw();
  const int result = m_objDecoder.open();
  if (result == 0) {
    m_bClosePending.store(false);
    m_bOpened.store(true);
    m_objInput.setOpened(true);
    if (m_bPaused.exchange(false)) m_objInput.changePause(false);
    m_objInput.clearVideoQueue();
    m_nBrightness.store(kNeutral);
    m_nContrast.store(kNeutral);
    m_nHue.store(kNeutral);
    m_nSaturation.store(kNeutral);
    applyPictureParameters();
  }
  unlockDraw();
  return result;
}

int H264VideoPlayerImpl::playVideo() {
  if (m_objLog.playerNo() == 0) {
    m_objLog.assignPlayerNumber();
    bool live = false;
    m_objInput.getLivePlayFlag(live);
    m_objLog.printMessage(3, "LivePlayFlag %d", live ? 1 : 0);
    m_objLog.printMessage(3, "AutoClearQueueFlag %d", m_objInput.isAutoClearQueue() ? 1 : 0);
  }
  if (!m_bOpened.load()) return KXPLAYER_OK;
  if (m_bPaused.exchange(false)) {
    m_objOutput.setDrawCallbackEnabled(true);
    m_objInput.changePause(false);
  }
  DecoderManager* pool = manager();
  // A player no thread serves would report success with nothing decoding.
  if (pool == nullptr || !pool->registerDecoder(this)) return KXPLAYER_START_FAILED;
  return KXPLAYER_OK;
}

int H264VideoPlayerImpl::pauseVideo() {
  if (!m_bOpened.load()) return KXPLAYER_OK;
  if (!m_bPaused.exchange(true)) {
    m_objOutput.setDrawCallbackEnabled(false);
    m_objInput.changePause(true);
  }
  waitForServeInFlight();
  return KXPLAYER_OK;
}

void H264VideoPlayerImpl::waitForServeInFlight() {
  // A pass serves under the draw lock and looks at the pause flag first: once the lock was free after
  // the flag was set, no frame is decoded or drawn until play or a step. Inside a callback the lock is
  // held further up this thread's stack (or, for another player's callback, waiting could close a
  // circle of two players pausing each other), so there the pause takes effect from the next frame.
  if (t_drawLocksHeld > 0) return;
  lockDraw();
  unlockDraw();
}

int H264VideoPlayerImpl::stopVideo() {
  if (!m_bOpened.load()) return KXPLAYER_OK;
  if (DecoderManager* pool = manager()) pool->releseDecoder(this);
  if (m_bPaused.exchange(false)) {
    // Out of the pause: pacing and the draw callback work again at the next play (the clock is reset below).
    m_objInput.changePause(false);
    m_objOutput.setDrawCallbackEnabled(true);
  }
  m_objInput.clearVideoQueue();
  m_objOutput.clearDrawFunc();
  m_objDecoder.clearDecodeCallBackFunction();
  m_objDecoder.forgetCurrentTimestamp();
  m_objInput.forgetLastSequenceId();
  m_objInput.resetClock();
  m_objOutput.refresh();
  return KXPLAYER_OK;
}

void H264VideoPlayerImpl::closeVideo() {
  if (!m_bOpened.load()) return;
  stopVideo();
  m_bOpened.store(false);
  m_objInput.setOpened(false);
  if (isInsideOwnDraw()) {
    // Inside this player's own callback: the decoder and the picture are in use further up the stack.
    m_bClosePending.store(true);
    return;
  }
  lockDraw();
  releaseDecoding();
  unlockDraw();
}

void H264VideoPlayerImpl::releaseDecoding() {
  m_objDecoder.close();
  m_objOutput.closeRender();
  m_objOutput.clearDrawFunc();
}

void H264VideoPlayerImpl::playNextFrame() {
  if (!m_bOpened.load() || isInsideOwnDraw()) return;
  if (!m_bPaused.load()) pauseVideo();
  m_objInput.resetClock();
  lockDraw();
  if (m_bOpened.load()) {
    m_objDecoder.decodeOneFrame();
    m_objOutput.playOneFrame();
  }
  unlockDraw();
}

bool H264VideoPlayerImpl::serveDueFrame() {
  if (m_bPaused.load() || !m_bOpened.load() || m_bClosePending.load()) return false;
  if (!m_objDecoder.decodeOneFrame()) return false;
  if (m_bOpened.load()) m_objOutput.playOneFrame();
  return true;
}

bool H264VideoPlayerImpl::isVideoIdle() {
  // Frames leave the queue only under the draw lock, and are decoded and drawn before it is let go.
  if (isInsideOwnDraw() || !tryLockDraw()) return false;
  const bool idle = m_objInput.isVideoQueueEmpty();
  unlockDraw();
  return idle;
}

void H264VideoPlayerImpl::redrawPaused() {
  if (!m_bPaused.load() || !m_bOpened.load() || !m_bDrawVideo.load()) return;
  const AVData* picture = m_objDecoder.currentPicture();
  if (picture != nullptr) m_objOutput.drawVideoFrame(picture);
}

void H264VideoPlayerImpl::decodeAndShowFrame() {
  lockDraw();
  serveDueFrame();
  unlockDraw();
}

void H264VideoPlayerImpl::redrawPausedPicture() {
  lockDraw();
  if (m_objOutput.window() != 0) redrawPaused();
  unlockDraw();
}

int H264VideoPlayerImpl::setRate(float rate) {
  if (!std::isfinite(rate) || rate <= 0) {
    m_objLog.printMessage(2, "setRate %d refused", static_cast<int>(rate * 1000));
    return KXPLAYER_OUT_OF_RANGE;
  }
  m_objInput.changeRate(rate);
  // The pass may be waiting for a frame whose due time the new rate moves.
  if (DecoderManager* pool = m_pManager != nullptr ? m_pManager : DecoderManager::current()) pool->wake(this);
  return KXPLAYER_OK;
}

int H264VideoPlayerImpl::getRate(float& rate) {
  rate = m_objInput.rate();
  return KXPLAYER_OK;
}

int H264VideoPlayerImpl::storePictureParameter(std::atomic<int>& stored, int value, const char* what) {
  // Callers give 0..100; anything else is taken as neutral.
  const int scaled = value >= 0 && value <= kMaxStored / 2 ? value * 2 : kNeutral;
  stored.store(scaled);
  m_objLog.printMessage(4, "%s %d", what, scaled);
  applyPictureParameters();
  return KXPLAYER_OK;
}

void H264VideoPlayerImpl::applyPictureParameters() {
  const int brightness = m_nBrightness.load(), contrast = m_nContrast.load(), hue = m_nHue.load(),
            saturation = m_nSaturation.load();
  YuvAdjustParams params;
  params.brightness = brightness / 100.0;
  params.contrast = contrast / 100.0;
  params.hue = hue < kNeutral ? static_cast<int>(hue * 1.8 + 180) : static_cast<int>((hue - kNeutral) * 1.8);
  params.saturation = saturation > kNeutral ? (saturation - kNeutral) / 50.0 + 1 : saturation / 100.0;
  params.gamma = 1.0;
  lockDraw();
  m_objYuvParams = params;
  unlockDraw();
  m_objDecoder.setYuvAdjustParams(params);
  m_objOutput.setRgbAdjustValues(brightness, contrast, hue, saturation);
}

int H264VideoPlayerImpl::setVideoBrightness(int value) {
  return storePictureParameter(m_nBrightness, value, "setVideoBrightness");
}
int H264VideoPlayerImpl::setVideoContrast(int value) {
  return storePictureParameter(m_nContrast, value, "setVideoContrast");
}
int H264VideoPlayerImpl::setVideoHue(int value) { return storePictureParameter(m_nHue, value, "setVideoHue"); }
int H264VideoPlayerImpl::setVideoSaturation(int value) {
  return storePictureParameter(m_nSaturation, value, "setVideoSaturation");
}

int H264VideoPlayerImpl::getVideoBrightness(int& value) {
  value = m_nBrightness.load() / 2;
  return KXPLAYER_OK;
}
int H264VideoPlayerImpl::getVideoContrast(int& value) {
  value = m_nContrast.load() / 2;
  return KXPLAYER_OK;
}
int H264VideoPlayerImpl::getVideoHue(int& value) {
  value = m_nHue.load() / 2;
  return KXPLAYER_OK;
}
int H264VideoPlayerImpl::getVideoSaturation(int& value) {
  value = m_nSaturation.load() / 2;
  return KXPLAYER_OK;
}

int H264VideoPlayerImpl::resetPictureAdjustFilter() {
  m_nBrightness.store(kNeutral);
  m_nContrast.store(kNeutral);
  m_nHue.store(kNeutral);
  m_nSaturation.store(kNeutral);
  applyPictureParameters();
  return KXPLAYER_OK;
}

void H264VideoPlayerImpl::setVideoWindow(HWND window) { m_objOutput.setVideoWindow(window); }

void H264VideoPlayerImpl::setVideoWindow(HWND window, int x, int y, int w, int h) {
  m_objOutput.setVideoWindow(window, x, y, w, h);
}

void H264VideoPlayerImpl::resizeWindow(int x, int y, int w, int h) { m_objOutput.resizeWindow(x, y, w, h); }

void H264VideoPlayerImpl::refresh() { m_objOutput.refresh(); }

void H264VideoPlayerImpl::setDrawVideoFlag(bool on) {
  m_bDrawVideo.store(on);
  m_objOutput.setDrawVideoFlag(on);
}

void H264VideoPlayerImpl::setStretchMode(bool on) { m_objOutput.setStretchMode(on); }

void H264VideoPlayerImpl::setAutoResizeFlag(bool on) { m_objOutput.setAutoResizeFlag(on); }

void H264VideoPlayerImpl::setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface) {
  m_objLog.printMessage(3, "setDrawFuncForRender %p", reinterpret_cast<void*>(fn));
  m_objOutput.setDrawFuncForRender(port, fn, user, windowSizeSurface);
}

void H264VideoPlayerImpl::setDecodeCallBack(long port, DecodeCallBack fn, void* user) {
  m_objDecoder.setDecodeCallBack(port, fn, user);
}
