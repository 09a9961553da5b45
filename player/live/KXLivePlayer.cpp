#include "player/live/KXLivePlayer.h"

#include "media/AVData.h"
#include "media/FrameKind.h"
#include "player/KXPlayerResult.h"

KXLivePlayer::KXLivePlayer() : m_router(*this), m_input(m_router) { m_avPlayer.setLivePlayFlag(true); }

KXLivePlayer::~KXLivePlayer() { close(); }

bool KXLivePlayer::Router::queuesFull() {
  return m_player.m_avPlayer.isVideoQueueFull() || m_player.m_avPlayer.isAudioQueueFull();
}

int KXLivePlayer::routeFrame(const AVData& frame) {
  if (frame.getESStreamType() == FrameKind::kVideoStream) {
    if (m_playState == kStopped) return KXPLAYER_OK;
    m_frameRate = frame.getFrameRate();
    m_bitRate = frame.getBitRate();
    return m_avPlayer.pushVideoFrame(frame);
  }
  if (frame.getESStreamType() == FrameKind::kAudioStream) {
    if (!m_soundOn || m_playState == kStopped) return KXPLAYER_OK;
    return m_avPlayer.pushAudioFrame(frame);
  }
  return KXPLAYER_OK;
}

int KXLivePlayer::open() {
  m_avPlayer.setAutoClearVideoQueueFlag(true);
  m_avPlayer.setPlayFromIFrame(true);
  m_input.resetStream();
  const int result = m_avPlayer.openVideo();
  if (result == KXPLAYER_OK) m_opened = true;
  return result;
}

void KXLivePlayer::close() {
  if (m_opened) {
    m_opened = false;
    m_avPlayer.closeVideo();
    m_bCallbacksCleared = true;
  }
  stopSound();
  m_input.closeStream();
  m_playState = kStopped;
}

int KXLivePlayer::play() {
  if (m_playState == kPlaying) return KXPLAYER_OK;
  bool live = false;
  const bool clear = m_playState == kStopped || (m_avPlayer.getLivePlayFlag(live) == KXPLAYER_OK && live);
  if (clear) m_avPlayer.clearVideoQueue();
  if (m_bCallbacksCleared) {
    m_callbacks.restore(m_avPlayer);
    m_bCallbacksCleared = false;
  }
  int result = m_avPlayer.playVideo();
  if (result != KXPLAYER_OK) return result;
  if (m_soundOn) {
    if (clear) m_avPlayer.clearAudioQueue();
    result = m_avPlayer.playAudio();
    if (result != KXPLAYER_OK) return result;
  }
  m_playState = kPlaying;
  return KXPLAYER_OK;
}

int KXLivePlayer::pause() {
  if (m_playState != kPlaying) return KXPLAYER_WRONG_STATE;
  int result = m_avPlayer.pauseVideo();
  if (result != KXPLAYER_OK) return result;
  if (m_soundOn) {
    result = m_avPlayer.pauseAudio();
    if (result != KXPLAYER_OK) return result;
  }
  m_playState = kPaused;
  return KXPLAYER_OK;
}

int KXLivePlayer::stop() {
  if (m_playState == kStopped) return KXPLAYER_OK;
  int result = m_avPlayer.stopVideo();
  if (result != KXPLAYER_OK) return result;
  m_bCallbacksCleared = true;
  if (m_soundOn) {
    result = m_avPlayer.stopAudio();
    if (result != KXPLAYER_OK) return result;
  }
  m_input.clearRecordCallback();
  m_playState = kStopped;
  m_input.resetStream();
  return KXPLAYER_OK;
}

int KXLivePlayer::playSound() {
  if (m_soundOn) return KXPLAYER_OK;
  m_avPlayer.clearAudioQueue();
  int result = m_avPlayer.openAudio();
  if (result != KXPLAYER_OK) return result;
  result = m_avPlayer.playAudio();
  if (result != KXPLAYER_OK) {
    m_avPlayer.closeAudio();
    return result;
  }
  m_soundOn = true;
  return KXPLAYER_OK;
}

void KXLivePlayer::stopSound() {
  if (!m_soundOn) return;
  m_avPlayer.closeAudio();
  m_soundOn = false;
}

void KXLivePlayer::setDecodeCallBack(long port, DecodeCallBack fn, void* user) {
  m_callbacks.setDecodeCallBack(m_avPlayer, port, fn, user);
}

void KXLivePlayer::setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface) {
  m_callbacks.setDrawFuncForRender(m_avPlayer, port, fn, user, windowSizeSurface);
}

void KXLivePlayer::setRecordCallback(RecordDataCallback callback, void* user) {
  m_input.setRecordCallback(callback, user);
}

int KXLivePlayer::pushTSData(const char* data, int length) { return m_input.pushTSData(data, length); }

int KXLivePlayer::inputTSData(const char* data, int length, unsigned& consumed) {
  return m_input.inputTSData(data, length, consumed);
}

int KXLivePlayer::inputTSAVFrame(const AVFrameData& frame) { return m_input.inputTSAVFrame(frame); }

int KXLivePlayer::inputAVFrame(const AVFrameData& frame) { return m_input.inputAVFrame(frame); }
