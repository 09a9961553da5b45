#include "player/KXPlayer.h"

#include <cstring>
#include <string>

#include "media/AVData.h"
#include "media/CharSet.h"
#include "platform/WindowSystem.h"
#include "player/KXPlayerResult.h"
#include "player/file/FilePlayer.h"
#include "player/live/KXLivePlayer.h"
#include "player/live/RecorderHolder.h"
#include "technic/CharSetConversion.h"

namespace {

constexpr unsigned kUnsetQueueSize = 0xFFFFFFFFu;
constexpr int kEngineStopped = 1;
constexpr long kVersion = 0x10000;

bool levelInRange(long value) { return value >= 0 && value <= 100; }

// The path as the layers below take it: UTF-8. With CharSet 0 the caller's bytes are code page 936.
bool convertPath(const char* path, std::string& utf8) {
  if (CharSet::getCharSet() != 0) {
    utf8 = path;
    return true;
  }
  utf8.clear();
  if (*path == '\0') return true;
  std::u16string wide;
  return gbkToWide(path, wide) > 0 && wideToUtf8(wide, utf8) > 0;
}

}  // namespace

KXPlayer::KXPlayer()
    : m_livePlayer(new KXLivePlayer), m_filePlayer(new FilePlayer), m_recorder(new RecorderHolder) {}

KXPlayer::~KXPlayer() {
  delete m_livePlayer;
  m_filePlayer->close();
  delete m_filePlayer;
  delete m_recorder;
}

// The file player answers -4 for every engine operation while it holds no engine.
bool KXPlayer::hasEngine() { return m_filePlayer->getPlayStatus() != KXPLAYER_MISSING_ARGUMENT; }

bool KXPlayer::engineStopped() { return m_filePlayer->getPlayStatus() == kEngineStopped; }

bool KXPlayer::liveStopped() { return m_livePlayer->getPlayState() == KXLivePlayer::kStopped; }

template <typename Stream, typename File>
int KXPlayer::byMode(Stream stream, File file) {
  if (m_mode == PLAYMODE_STREAM) return stream(m_livePlayer->getAVPlayer());
  if (m_mode == PLAYMODE_FILE) return hasEngine() ? file(*m_filePlayer) : KXPLAYER_MISSING_ARGUMENT;
  return KXPLAYER_WRONG_STATE;
}

// ---- kept settings

void KXPlayer::setStretchMode(bool stretch) {
  m_stretch = stretch;
  if (m_mode == PLAYMODE_STREAM) m_livePlayer->getAVPlayer().setStretchMode(stretch);
  if (m_mode == PLAYMODE_FILE) m_filePlayer->setStretchMode(stretch);
}

void KXPlayer::setDrawVideoFlag(bool draw) {
  m_drawVideo = draw;
  if (m_mode == PLAYMODE_STREAM) m_livePlayer->getAVPlayer().setDrawVideoFlag(draw);
  if (m_mode == PLAYMODE_FILE) m_filePlayer->setDrawVideoFlag(draw);
}

void KXPlayer::setAutoResizeFlag(bool autoResize) {
  m_autoResize = autoResize;
  if (m_mode == PLAYMODE_STREAM) m_livePlayer->getAVPlayer().setAutoResizeFlag(autoResize);
  if (m_mode == PLAYMODE_FILE) m_filePlayer->setAutoResizeFlag(autoResize);
}

void KXPlayer::setUseTimeStamp(bool use) {
  m_useTimeStamp = use;
  if (m_mode == PLAYMODE_STREAM) m_livePlayer->getAVPlayer().setUseTimestampForVideo(use);
}

void KXPlayer::setPlayBufferSize(unsigned size) {
  m_playBufferSize = size;
  if (m_mode == PLAYMODE_STREAM) m_livePlayer->getAVPlayer().setVideoPlayQueueSize(size);
}

void KXPlayer::setInputQueueMaxSize(unsigned size) {
  m_inputQueueMaxSize = size;
  if (m_mode == PLAYMODE_STREAM) m_livePlayer->getAVPlayer().setInputQueueMaxSize(size);
}

void KXPlayer::setVideoWindow(HWND hwnd, int x, int y, int w, int h) {
  m_videoWindow = hwnd;
  m_videoX = x;
  m_videoY = y;
  m_videoWidth = w;
  m_videoHeight = h;
  if (m_mode == PLAYMODE_STREAM) m_livePlayer->getAVPlayer().setVideoWindow(hwnd, x, y, w, h);
  if (m_mode == PLAYMODE_FILE) m_filePlayer->setVideoWindow(hwnd, x, y, w, h);
}

void KXPlayer::setVideoWindow(HWND hwnd) {
  // The picture goes to the window's whole client area; a window that is gone gives an empty one.
  platform::Rect client;
  if (!platform::windows().getClientRect(hwnd, client)) client = platform::Rect();
  setVideoWindow(hwnd, client.left, client.top, client.width(), client.height());
}

void KXPlayer::resizeWindow(int x, int y, int w, int h) {
  m_videoX = x;
  m_videoY = y;
  m_videoWidth = w;
  m_videoHeight = h;
  if (m_mode == PLAYMODE_STREAM) m_livePlayer->getAVPlayer().resizeWindow(x, y, w, h);
  if (m_mode == PLAYMODE_FILE) m_filePlayer->resizeWindow(x, y, w, h);
}

int KXPlayer::setDecodeCallBack(long port, DecodeCallBack callback, void* user) {
  m_callbacks.keepDecodeCallBack(port, callback, user);
  if (m_mode == PLAYMODE_STREAM) m_livePlayer->setDecodeCallBack(port, callback, user);
  if (m_mode == PLAYMODE_FILE && hasEngine()) m_filePlayer->setDecodeCallBack(port, callback, user);
  return KXPLAYER_OK;
}

int KXPlayer::setDrawCallBack(long port, DrawCallBack callback, void* user, bool windowSizeSurface) {
  m_callbacks.keepDrawFuncForRender(port, callback, user, windowSizeSurface);
  if (m_mode == PLAYMODE_STREAM) m_livePlayer->setDrawFuncForRender(port, callback, user, windowSizeSurface);
  if (m_mode == PLAYMODE_FILE && hasEngine())
    m_filePlayer->setDrawFuncForRender(port, callback, user, windowSizeSurface);
  return KXPLAYER_OK;
}

int KXPlayer::setFileEndCallback(long id, FileEndCallback callback, void* user) {
  m_fileEndId = id;
  m_fileEndCallback = callback;
  m_fileEndUser = user;
  if (m_mode == PLAYMODE_FILE) m_filePlayer->setFileEndCallback(id, callback, user);
  return KXPLAYER_OK;
}

int KXPlayer::setMessage(long playMode, long hwnd, long message) {
  m_notifyMode = playMode;
  m_notifyWindow = hwnd;
  m_notifyMessage = message;
  if (playMode == PLAYMODE_FILE && m_mode == PLAYMODE_FILE)
    m_filePlayer->setNotifyWindow(static_cast<HWND>(hwnd), static_cast<unsigned>(message), nullptr);
  return KXPLAYER_OK;
}

int KXPlayer::setMessageEX(long playMode, long hwnd, long message, long wParam, long lParam) {
  m_notifyMode = playMode;
  m_notifyWindow = hwnd;
  m_notifyMessage = message;
  m_notifyWParam = wParam;
  m_notifyLParam = lParam;
  if (playMode == PLAYMODE_FILE && m_mode == PLAYMODE_FILE)
    m_filePlayer->setNotifyWindowEX(static_cast<HWND>(hwnd), static_cast<unsigned>(message), wParam, lParam);
  return KXPLAYER_OK;
}

void KXPlayer::setLivePlayFlag(bool live) { m_livePlayer->getAVPlayer().setLivePlayFlag(live); }

void KXPlayer::setMaxDelayTime(unsigned ms) { m_livePlayer->getAVPlayer().setMaxDelayTime(ms); }

int KXPlayer::getMaxDelayTime(unsigned& ms) { return m_livePlayer->getAVPlayer().getMaxDelayTime(ms); }

// ---- opening and input

void KXPlayer::pushSettingsIntoFilePlayer() {
  m_filePlayer->setStretchMode(m_stretch);
  m_filePlayer->setDrawVideoFlag(m_drawVideo);
  m_filePlayer->setAutoResizeFlag(m_autoResize);
  if (hasEngine()) m_filePlayer->setRate(1.0f);
  m_filePlayer->setVideoWindow(m_videoWindow);
  m_filePlayer->resizeWindow(m_videoX, m_videoY, m_videoWidth, m_videoHeight);
  m_filePlayer->setFileEndCallback(m_fileEndId, m_fileEndCallback, m_fileEndUser);
  if (m_notifyMode == PLAYMODE_FILE)
    m_filePlayer->setNotifyWindowEX(static_cast<HWND>(m_notifyWindow), static_cast<unsigned>(m_notifyMessage),
                                    m_notifyWParam, m_notifyLParam);
}

int KXPlayer::openFile(const char* path) {
  if (path == nullptr) return KXPLAYER_MISSING_ARGUMENT;
  if (!m_fileOpen) {
    pushSettingsIntoFilePlayer();
    std::string utf8;
    if (!convertPath(path, utf8)) return KXPLAYER_FILE_OPEN_FAILED;
    const int result = m_filePlayer->open(utf8.c_str());
    if (result != KXPLAYER_OK) return result;
    if (hasEngine()) m_callbacks.restore(*m_filePlayer);
    m_fileOpen = true;
  }
  m_mode = PLAYMODE_FILE;
  return KXPLAYER_OK;
}

int KXPlayer::closeFile() {
  if (m_mode != PLAYMODE_FILE) return KXPLAYER_WRONG_STATE;
  if (m_fileOpen) {
    m_filePlayer->close();
    m_fileOpen = false;
  }
  return KXPLAYER_OK;
}

void KXPlayer::pushSettingsIntoLive() {
  AVPlayer& av = m_livePlayer->getAVPlayer();
  av.setStretchMode(m_stretch);
  av.setDrawVideoFlag(m_drawVideo);
  av.setAutoResizeFlag(m_autoResize);
  av.setUseTimestampForVideo(m_useTimeStamp);
  av.setVideoPlayQueueSize(m_playBufferSize);
  if (m_inputQueueMaxSize != kUnsetQueueSize) av.setInputQueueMaxSize(m_inputQueueMaxSize);
  av.setRate(1.0f);
  av.setVideoWindow(m_videoWindow);
  av.resizeWindow(m_videoX, m_videoY, m_videoWidth, m_videoHeight);
  m_callbacks.restore(*m_livePlayer);
}

int KXPlayer::openStream() {
  if (!m_livePlayer->isOpen()) {
    pushSettingsIntoLive();
    const int result = m_livePlayer->open();
    if (result != KXPLAYER_OK) return result;
  }
  // Also when the stream was open already: stream input works from here on.
  m_mode = PLAYMODE_STREAM;
  return KXPLAYER_OK;
}

int KXPlayer::closeStream() {
  if (m_mode != PLAYMODE_STREAM) return KXPLAYER_WRONG_STATE;
  if (m_livePlayer->isOpen()) m_livePlayer->close();
  return KXPLAYER_OK;
}

int KXPlayer::intputTSData(const char* data, unsigned length, unsigned& consumed) {
  consumed = 0;
  if (m_mode != PLAYMODE_STREAM) return KXPLAYER_WRONG_STATE;
  if (length > 0x7FFFFFFFu) return KXPLAYER_OUT_OF_RANGE;
  return m_livePlayer->inputTSData(data, static_cast<int>(length), consumed);
}

int KXPlayer::intputTSData(const char* data, unsigned length) {
  if (m_mode != PLAYMODE_STREAM) return KXPLAYER_WRONG_STATE;
  if (length > 0x7FFFFFFFu) return KXPLAYER_OUT_OF_RANGE;
  return m_livePlayer->pushTSData(data, static_cast<int>(length));
}

int KXPlayer::inputTSAVFrame(const char* data, unsigned length) { return intputTSData(data, length); }

int KXPlayer::inputTSAVFrame(const AVFrameData& frame) {
  if (m_mode != PLAYMODE_STREAM) return KXPLAYER_WRONG_STATE;
  return m_livePlayer->inputTSAVFrame(frame);
}

int KXPlayer::inputAVFrame(const AVFrameData& frame) {
  if (m_mode != PLAYMODE_STREAM) return KXPLAYER_WRONG_STATE;
  return m_livePlayer->inputAVFrame(frame);
}

int KXPlayer::getPlayBufferState(bool& full) {
  if (m_mode != PLAYMODE_STREAM) return KXPLAYER_WRONG_STATE;
  AVPlayer& av = m_livePlayer->getAVPlayer();
  full = av.isVideoQueueFull() || av.isAudioQueueFull();
  return KXPLAYER_OK;
}

int KXPlayer::getCurrentAVFrameTimeStamp(int64_t& timeStamp) {
  if (m_mode != PLAYMODE_STREAM) return KXPLAYER_WRONG_STATE;
  timeStamp = m_livePlayer->getAVPlayer().getCurrentVideoFrameTimestamp();
  return timeStamp == -1 ? KXPLAYER_NO_TIMESTAMP : KXPLAYER_OK;
}

// ---- transport

int KXPlayer::play() {
  if (m_mode == PLAYMODE_STREAM) {
    if (m_livePlayer->getPlayState() == KXLivePlayer::kPlaying) return KXPLAYER_OK;
    m_livePlayer->getAVPlayer().setRate(1.0f);
    return m_livePlayer->play();
  }
  if (m_mode == PLAYMODE_FILE) {
    if (!engineStopped()) {
      if (!hasEngine()) return KXPLAYER_MISSING_ARGUMENT;
      m_filePlayer->setRate(1.0f);
    }
    return m_filePlayer->play();
  }
  return KXPLAYER_WRONG_STATE;
}

int KXPlayer::pause() {
  if (m_mode == PLAYMODE_STREAM) {
    const int state = m_livePlayer->getPlayState();
    if (state == KXLivePlayer::kStopped) return KXPLAYER_WRONG_STATE;
    return state == KXLivePlayer::kPlaying ? m_livePlayer->pause() : KXPLAYER_OK;
  }
  if (m_mode == PLAYMODE_FILE) {
    if (!hasEngine()) return KXPLAYER_MISSING_ARGUMENT;
    if (engineStopped()) return KXPLAYER_WRONG_STATE;
    return m_filePlayer->pause();
  }
  return KXPLAYER_WRONG_STATE;
}

int KXPlayer::stop() {
  if (m_mode == PLAYMODE_STREAM) return liveStopped() ? KXPLAYER_OK : m_livePlayer->stop();
  if (m_mode == PLAYMODE_FILE) {
    if (!hasEngine()) return KXPLAYER_MISSING_ARGUMENT;
    return engineStopped() ? KXPLAYER_OK : m_filePlayer->stop();
  }
  return KXPLAYER_WRONG_STATE;
}

int KXPlayer::playSound() {
  int result = KXPLAYER_WRONG_STATE;
  if (m_mode == PLAYMODE_STREAM) {
    if (m_livePlayer->isOnSound()) return KXPLAYER_OK;
    result = m_livePlayer->playSound();
  } else if (m_mode == PLAYMODE_FILE) {
    if (!hasEngine()) return KXPLAYER_MISSING_ARGUMENT;
    if (m_filePlayer->isOnSound()) return KXPLAYER_OK;
    result = m_filePlayer->playSound();
  }
  // A level set while sound was off takes effect now.
  if (result == KXPLAYER_OK && m_volume >= 0) {
    if (m_mode == PLAYMODE_STREAM) m_livePlayer->getAVPlayer().setAudioVolume(m_volume);
    else m_filePlayer->setVolume(m_volume);
  }
  return result;
}

int KXPlayer::stopSound() {
  if (m_mode == PLAYMODE_STREAM) {
    m_livePlayer->stopSound();
    return KXPLAYER_OK;
  }
  if (m_mode == PLAYMODE_FILE) return hasEngine() && m_filePlayer->isOnSound() ? m_filePlayer->stopSound() : KXPLAYER_OK;
  return KXPLAYER_WRONG_STATE;
}

bool KXPlayer::isOnSound() {
  if (m_mode == PLAYMODE_STREAM) return m_livePlayer->isOnSound();
  return hasEngine() && m_filePlayer->isOnSound();
}

int KXPlayer::setSpeed(float speed) {
  if (!(speed > 0.0f && speed <= 16.0f)) return KXPLAYER_OUT_OF_RANGE;
  if (m_mode == PLAYMODE_STREAM)
    return liveStopped() ? KXPLAYER_WRONG_STATE : m_livePlayer->getAVPlayer().setRate(speed);
  if (m_mode == PLAYMODE_FILE) return engineStopped() ? KXPLAYER_WRONG_STATE : m_filePlayer->setRate(speed);
  return KXPLAYER_WRONG_STATE;
}

int KXPlayer::getSpeed(float& speed) {
  if (m_mode == PLAYMODE_STREAM)
    return liveStopped() ? KXPLAYER_WRONG_STATE : m_livePlayer->getAVPlayer().getRate(speed);
  if (m_mode == PLAYMODE_FILE) {
    if (!hasEngine()) return KXPLAYER_MISSING_ARGUMENT;
    return engineStopped() ? KXPLAYER_WRONG_STATE : m_filePlayer->getRate(speed);
  }
  return KXPLAYER_WRONG_STATE;
}

// ---- positions (file mode)

int KXPlayer::getFileTime(long& seconds) {
  if (m_mode != PLAYMODE_FILE) return KXPLAYER_WRONG_STATE;
  return hasEngine() ? m_filePlayer->getDuration(seconds) : KXPLAYER_MISSING_ARGUMENT;
}

int KXPlayer::setPlayPosByTime(long seconds) {
  if (m_mode != PLAYMODE_FILE) return KXPLAYER_WRONG_STATE;
  if (!hasEngine()) return KXPLAYER_MISSING_ARGUMENT;
  if (engineStopped()) return KXPLAYER_WRONG_STATE;
  long duration = 0;
  if (m_filePlayer->getDuration(duration) == KXPLAYER_OK && seconds > duration) seconds = duration;
  return m_filePlayer->setPlayPosByTime(seconds);
}

int KXPlayer::getPlayPosByTime(long& seconds) {
  if (m_mode != PLAYMODE_FILE) return KXPLAYER_WRONG_STATE;
  if (!hasEngine()) return KXPLAYER_MISSING_ARGUMENT;
  return engineStopped() ? KXPLAYER_WRONG_STATE : m_filePlayer->getPlayPosByTime(seconds);
}

int KXPlayer::setPlayPosByPercent(long percent) {
  if (m_mode != PLAYMODE_FILE) return KXPLAYER_WRONG_STATE;
  if (!hasEngine()) return KXPLAYER_MISSING_ARGUMENT;
  return engineStopped() ? KXPLAYER_WRONG_STATE : m_filePlayer->setPlayPosByPercent(percent);
}

int KXPlayer::getPlayPosByPercent(long& percent) {
  if (m_mode != PLAYMODE_FILE) return KXPLAYER_WRONG_STATE;
  if (!hasEngine()) return KXPLAYER_MISSING_ARGUMENT;
  return engineStopped() ? KXPLAYER_WRONG_STATE : m_filePlayer->getPlayPosByPercent(percent);
}

int KXPlayer::getFileTotalFrames(long& frames) {
  if (m_mode != PLAYMODE_FILE) return KXPLAYER_WRONG_STATE;
  return hasEngine() ? m_filePlayer->getFileTotalFrames(frames) : KXPLAYER_MISSING_ARGUMENT;
}

int KXPlayer::getPlayedFrames(long& frames) {
  if (m_mode != PLAYMODE_FILE) return KXPLAYER_WRONG_STATE;
  return hasEngine() ? m_filePlayer->getPlayedFrames(frames) : KXPLAYER_MISSING_ARGUMENT;
}

int KXPlayer::playNextFrame() {
  if (m_mode != PLAYMODE_FILE) return KXPLAYER_WRONG_STATE;
  return hasEngine() ? m_filePlayer->playNextFrame() : KXPLAYER_MISSING_ARGUMENT;
}

int KXPlayer::playPreviousFrame() {
  if (m_mode != PLAYMODE_FILE) return KXPLAYER_WRONG_STATE;
  return hasEngine() ? m_filePlayer->playPreviousFrame() : KXPLAYER_MISSING_ARGUMENT;
}

int KXPlayer::setCurrentFrameNum(long frameNumber) {
  if (m_mode != PLAYMODE_FILE) return KXPLAYER_WRONG_STATE;
  if (!hasEngine()) return KXPLAYER_MISSING_ARGUMENT;
  long total = 0;
  const int result = m_filePlayer->getFileTotalFrames(total);
  if (result != KXPLAYER_OK) return result;
  if (frameNumber < 0 || frameNumber > total) return KXPLAYER_OUT_OF_RANGE;
  return m_filePlayer->setCurrentFrameNum(frameNumber);
}

// ---- picture and sound levels

int KXPlayer::setLevel(int value, int (AVPlayer::*stream)(int), int (FilePlayer::*file)(int)) {
  if (!levelInRange(value)) return KXPLAYER_OUT_OF_RANGE;
  return byMode([&](AVPlayer& av) { return (av.*stream)(value); },
                [&](FilePlayer& e) { return (e.*file)(value); });
}

int KXPlayer::getLevel(int& value, int (AVPlayer::*stream)(int&), int (FilePlayer::*file)(int&)) {
  return byMode([&](AVPlayer& av) { return (av.*stream)(value); },
                [&](FilePlayer& e) { return (e.*file)(value); });
}

int KXPlayer::setVideoBrightness(int v) { return setLevel(v, &AVPlayer::setVideoBrightness, &FilePlayer::setVideoBrightness); }
int KXPlayer::getVideoBrightness(int& v) { return getLevel(v, &AVPlayer::getVideoBrightness, &FilePlayer::getVideoBrightness); }
int KXPlayer::setVideoContrast(int v) { return setLevel(v, &AVPlayer::setVideoContrast, &FilePlayer::setVideoContrast); }
int KXPlayer::getVideoContrast(int& v) { return getLevel(v, &AVPlayer::getVideoContrast, &FilePlayer::getVideoContrast); }
int KXPlayer::setVideoHue(int v) { return setLevel(v, &AVPlayer::setVideoHue, &FilePlayer::setVideoHue); }
int KXPlayer::getVideoHue(int& v) { return getLevel(v, &AVPlayer::getVideoHue, &FilePlayer::getVideoHue); }
int KXPlayer::setVideoSaturation(int v) { return setLevel(v, &AVPlayer::setVideoSaturation, &FilePlayer::setVideoSaturation); }
int KXPlayer::getVideoSaturation(int& v) { return getLevel(v, &AVPlayer::getVideoSaturation, &FilePlayer::getVideoSaturation); }

int KXPlayer::resetPictureAdjustFilter() {
  return byMode([](AVPlayer& av) { return av.resetPictureAdjustFilter(); },
                [](FilePlayer& e) { return e.resetPictureAdjustFilter(); });
}

int KXPlayer::setVolume(long volume) {
  if (!levelInRange(volume)) return KXPLAYER_OUT_OF_RANGE;
  if (m_mode == PLAYMODE_STREAM) {
    if (liveStopped()) return KXPLAYER_WRONG_STATE;
    m_volume = volume;
    return m_livePlayer->isOnSound() ? m_livePlayer->getAVPlayer().setAudioVolume(volume) : KXPLAYER_OK;
  }
  if (m_mode == PLAYMODE_FILE) {
    if (!hasEngine()) return KXPLAYER_MISSING_ARGUMENT;
    if (engineStopped()) return KXPLAYER_WRONG_STATE;
    m_volume = volume;
    return m_filePlayer->isOnSound() ? m_filePlayer->setVolume(volume) : KXPLAYER_OK;
  }
  return KXPLAYER_WRONG_STATE;
}

int KXPlayer::getVolume(long& volume) {
  if (m_mode == PLAYMODE_STREAM) {
    if (liveStopped()) return KXPLAYER_WRONG_STATE;
    if (!m_livePlayer->isOnSound() && m_volume >= 0) {
      volume = m_volume;
      return KXPLAYER_OK;
    }
    return m_livePlayer->getAVPlayer().getAudioVolume(volume);
  }
  if (m_mode == PLAYMODE_FILE) {
    if (!hasEngine()) return KXPLAYER_MISSING_ARGUMENT;
    if (engineStopped()) return KXPLAYER_WRONG_STATE;
    if (!m_filePlayer->isOnSound() && m_volume >= 0) {
      volume = m_volume;
      return KXPLAYER_OK;
    }
    return m_filePlayer->getVolume(volume);
  }
  return KXPLAYER_WRONG_STATE;
}

// ---- information, snapshot, zoom

int KXPlayer::getVideoFrameRate(int& frameRate) {
  if (m_mode == PLAYMODE_STREAM && m_livePlayer->isOpen()) {
    frameRate = m_livePlayer->getFrameRate();
    return KXPLAYER_OK;
  }
  if (m_mode == PLAYMODE_FILE) return hasEngine() ? m_filePlayer->getVideoFrameRate(frameRate) : KXPLAYER_MISSING_ARGUMENT;
  return KXPLAYER_WRONG_STATE;
}

int KXPlayer::getVideoBitRate(int& bitRate) {
  if (m_mode == PLAYMODE_STREAM && m_livePlayer->isOpen()) {
    bitRate = m_livePlayer->getBitRate();
    return KXPLAYER_OK;
  }
  if (m_mode == PLAYMODE_FILE) return hasEngine() ? m_filePlayer->getVideoBitRate(bitRate) : KXPLAYER_MISSING_ARGUMENT;
  return KXPLAYER_WRONG_STATE;
}

int KXPlayer::getPictureSize(int& width, int& height) {
  if (m_mode == PLAYMODE_STREAM && m_livePlayer->isOpen()) {
    m_livePlayer->getAVPlayer().getPictureSize(width, height);
    return KXPLAYER_OK;
  }
  if (m_mode == PLAYMODE_FILE)
    return hasEngine() ? m_filePlayer->getPictureSize(width, height) : KXPLAYER_MISSING_ARGUMENT;
  return KXPLAYER_WRONG_STATE;
}

int KXPlayer::snapshot(const char* path, const char* type) {
  if (m_mode == 0) return KXPLAYER_WRONG_STATE;
  if (path == nullptr || type == nullptr) return KXPLAYER_MISSING_ARGUMENT;
  std::string utf8;
  if (!convertPath(path, utf8)) return KXPLAYER_FILE_OPEN_FAILED;
  if (m_mode == PLAYMODE_STREAM)
    return liveStopped() ? KXPLAYER_WRONG_STATE : m_livePlayer->getAVPlayer().snapShot(utf8.c_str(), type);
  if (!hasEngine()) return KXPLAYER_MISSING_ARGUMENT;
  return engineStopped() ? KXPLAYER_WRONG_STATE : m_filePlayer->snapShot(utf8.c_str(), type);
}

int KXPlayer::zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h) {
  return byMode([&](AVPlayer& av) { return av.zoomInVideo(x, y, w, h); },
                [&](FilePlayer& e) { return e.zoomInVideo(x, y, w, h); });
}

int KXPlayer::zoomInVideo() {
  return byMode([](AVPlayer& av) { return av.zoomInVideo(); }, [](FilePlayer& e) { return e.zoomInVideo(); });
}

int KXPlayer::zoomOutVideo() {
  return byMode([](AVPlayer& av) { return av.zoomOutVideo(); }, [](FilePlayer& e) { return e.zoomOutVideo(); });
}

void KXPlayer::restoreVideo() {
  if (m_mode == PLAYMODE_STREAM) m_livePlayer->getAVPlayer().restoreVideo();
  if (m_mode == PLAYMODE_FILE && hasEngine()) m_filePlayer->restoreVideo();
}

int KXPlayer::refresh() {
  if (m_mode == PLAYMODE_STREAM) m_livePlayer->getAVPlayer().refresh();
  if (m_mode == PLAYMODE_FILE && hasEngine()) m_filePlayer->refresh();
  return KXPLAYER_OK;
}

int KXPlayer::getVersion(long& version) {
  version = kVersion;
  return KXPLAYER_OK;
}

// ---- recording

int KXPlayer::setRecordFile(const char* path) {
  std::string utf8;
  if (path == nullptr || !convertPath(path, utf8)) {
    m_recorder->setRecordFile(nullptr);
    return KXPLAYER_MISSING_ARGUMENT;
  }
  return m_recorder->setRecordFile(utf8.c_str()) ? KXPLAYER_OK : KXPLAYER_OUT_OF_RANGE;
}

int KXPlayer::setRecordFileHead(const char* data, int length) {
  return m_recorder->recorder().setRecordFileHead(data, length) ? KXPLAYER_OK : KXPLAYER_OUT_OF_RANGE;
}

int KXPlayer::startRecordCallback(void*, const char* data, int length, void* user) {
  // The recorder copies the bytes once; the frame only lends them for the call.
  AVData chunk;
  chunk.setData(data, static_cast<unsigned>(length));
  return static_cast<RecorderHolder*>(user)->inputData(chunk);
}

int KXPlayer::startRecord() {
  if (m_mode != PLAYMODE_STREAM) return KXPLAYER_WRONG_STATE;
  if (m_recording) {
    if (m_livePlayer->isRecording()) return KXPLAYER_OK;
    // The live player was stopped or closed, which ended its recording: finish the file first.
    m_recorder->stopRecord();
    m_recording = false;
  }
  if (!m_recorder->startRecord()) return KXPLAYER_START_FAILED;
  m_livePlayer->setRecordCallback(&KXPlayer::startRecordCallback, m_recorder);
  m_recording = true;
  return KXPLAYER_OK;
}

int KXPlayer::stopRecord() {
  if (m_mode != PLAYMODE_STREAM) return KXPLAYER_WRONG_STATE;
  if (!m_recording) return KXPLAYER_OK;
  m_livePlayer->setRecordCallback(nullptr, nullptr);
  m_recorder->stopRecord();
  m_recording = false;
  return KXPLAYER_OK;
}
