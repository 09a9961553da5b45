#include "player/file/FilePlayer.h"

#include <algorithm>

#include "player/KXPlayerResult.h"
#include "player/file/FilePlayerImpl.h"
#include "player/file/FileTypeSniffer.h"

FilePlayer::FilePlayer() : FilePlayer([] { return std::unique_ptr<FilePlayerBase>(new FilePlayerImpl()); }) {}

FilePlayer::FilePlayer(EngineFactory factory) : m_factory(std::move(factory)) {}

FilePlayer::~FilePlayer() {
  releaseEngine();
  destroyRetiredEngines();
}

int FilePlayer::open(const char* path) {
  releaseEngine();
  destroyRetiredEngines();
  int type = 0;
  const int sniffed = FileTypeSniffer::sniffFile(path, type);
  if (sniffed != KXPLAYER_OK) return sniffed;
  m_engine = m_factory();
  if (!m_engine) return KXPLAYER_MISSING_ARGUMENT;
  m_engine->setFileType(type);
  pushSettings(*m_engine);
  // The engine stays whatever its open answers; its operations then answer for an unopened file.
  return m_engine->open(path);
}

int FilePlayer::play() {
  if (!m_engine) return KXPLAYER_MISSING_ARGUMENT;
  pushSettings(*m_engine);
  return m_engine->play();
}

void FilePlayer::close() {
  releaseEngine();
  destroyRetiredEngines();
}

void FilePlayer::pushSettings(FilePlayerBase& engine) {
  engine.setDrawVideoFlag(m_drawVideo);
  engine.setAutoResizeFlag(m_autoResize);
  engine.setStretchMode(m_stretch);
  engine.setRenderMode(m_renderMode);
  engine.setVideoWindow(m_videoWindow);
  engine.resizeWindow(m_videoX, m_videoY, m_videoWidth, m_videoHeight);
  engine.setNotifyWindow(m_notifyWindow, m_notifyMessage, m_notifyParam);
  engine.setNotifyWindowEX(m_notifyWindow, m_notifyMessage, m_notifyWParam, m_notifyLParam);
  pushFileEndCallback(engine);
}

void FilePlayer::pushFileEndCallback(FilePlayerBase& engine) {
  long id = 0;
  bool set = false;
  {
    std::lock_guard<std::mutex> lock(m_callbackLock);
    id = m_fileEndId;
    set = m_fileEndCallback != nullptr;
  }
  // The engine calls back through this player, which knows then that a close or open comes from
  // inside the callback.
  engine.setFileEndCallback(id, set ? &FilePlayer::onFileEnd : nullptr, set ? this : nullptr);
}

void FilePlayer::onFileEnd(long id, void* user) {
  FilePlayer* self = static_cast<FilePlayer*>(user);
  FileEndCallback callback = nullptr;
  void* callbackUser = nullptr;
  const std::thread::id thread = std::this_thread::get_id();
  {
    std::lock_guard<std::mutex> lock(self->m_callbackLock);
    callback = self->m_fileEndCallback;
    callbackUser = self->m_fileEndUser;
    self->m_callbackThreads.push_back(thread);
  }
  if (callback != nullptr) callback(id, callbackUser);
  std::lock_guard<std::mutex> lock(self->m_callbackLock);
  self->m_callbackThreads.erase(std::find(self->m_callbackThreads.begin(), self->m_callbackThreads.end(), thread));
}

bool FilePlayer::insideCallback() {
  std::lock_guard<std::mutex> lock(m_callbackLock);
  return std::find(m_callbackThreads.begin(), m_callbackThreads.end(), std::this_thread::get_id()) !=
         m_callbackThreads.end();
}

void FilePlayer::releaseEngine() {
  if (!m_engine) return;
  m_engine->close();
  if (insideCallback()) {
    // This thread may be the engine's own feed thread: the engine lives on until that thread has ended.
    std::lock_guard<std::mutex> lock(m_callbackLock);
    m_retiredEngines.push_back(std::move(m_engine));
  } else {
    m_engine.reset();
  }
}

void FilePlayer::destroyRetiredEngines() {
  if (insideCallback()) return;
  std::vector<std::unique_ptr<FilePlayerBase>> retired;
  {
    std::lock_guard<std::mutex> lock(m_callbackLock);
    retired.swap(m_retiredEngines);
  }
  // Destroyed outside the lock: each waits for its feed thread, which may still be leaving the callback.
}

int FilePlayer::forward(const std::function<int(FilePlayerBase&)>& operation) {
  return m_engine ? operation(*m_engine) : KXPLAYER_MISSING_ARGUMENT;
}

void FilePlayer::setDrawVideoFlag(bool draw) {
  m_drawVideo = draw;
  if (m_engine) m_engine->setDrawVideoFlag(draw);
}

void FilePlayer::setAutoResizeFlag(bool autoResize) {
  m_autoResize = autoResize;
  if (m_engine) m_engine->setAutoResizeFlag(autoResize);
}

void FilePlayer::setStretchMode(bool stretch) {
  m_stretch = stretch;
  if (m_engine) m_engine->setStretchMode(stretch);
}

void FilePlayer::setRenderMode(int mode) {
  m_renderMode = mode;
  if (m_engine) m_engine->setRenderMode(mode);
}

void FilePlayer::setVideoWindow(HWND hwnd) {
  m_videoWindow = hwnd;
  if (m_engine) m_engine->setVideoWindow(hwnd);
}

void FilePlayer::setVideoWindow(HWND hwnd, int x, int y, int w, int h) {
  m_videoWindow = hwnd;
  m_videoX = x;
  m_videoY = y;
  m_videoWidth = w;
  m_videoHeight = h;
  if (m_engine) m_engine->setVideoWindow(hwnd, x, y, w, h);
}

void FilePlayer::resizeWindow(int x, int y, int w, int h) {
  m_videoX = x;
  m_videoY = y;
  m_videoWidth = w;
  m_videoHeight = h;
  if (m_engine) m_engine->resizeWindow(x, y, w, h);
}

void FilePlayer::setNotifyWindow(HWND hwnd, unsigned message, const void* lParam) {
  m_notifyWindow = hwnd;
  m_notifyMessage = message;
  m_notifyParam = lParam;
  if (m_engine) m_engine->setNotifyWindow(hwnd, message, lParam);
}

void FilePlayer::setNotifyWindowEX(HWND hwnd, unsigned message, long wParam, long lParam) {
  m_notifyWindow = hwnd;
  m_notifyMessage = message;
  m_notifyWParam = wParam;
  m_notifyLParam = lParam;
  if (m_engine) m_engine->setNotifyWindowEX(hwnd, message, wParam, lParam);
}

void FilePlayer::setFileEndCallback(long id, FileEndCallback fn, void* user) {
  {
    std::lock_guard<std::mutex> lock(m_callbackLock);
    m_fileEndId = id;
    m_fileEndCallback = fn;
    m_fileEndUser = user;
  }
  if (m_engine) pushFileEndCallback(*m_engine);
}

void FilePlayer::setDecodeCallBack(long port, DecodeCallBack fn, void* user) {
  if (m_engine) m_engine->setDecodeCallBack(port, fn, user);
}

void FilePlayer::setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface) {
  if (m_engine) m_engine->setDrawFuncForRender(port, fn, user, windowSizeSurface);
}

void FilePlayer::refresh() {
  if (m_engine) m_engine->refresh();
}

void FilePlayer::resizeWindowToClient() {
  if (m_engine) m_engine->resizeWindowToClient();
}

void FilePlayer::restoreVideo() {
  if (m_engine) m_engine->restoreVideo();
}

int FilePlayer::pause() {
  return forward([](FilePlayerBase& e) { return e.pause(); });
}
int FilePlayer::stop() {
  return forward([](FilePlayerBase& e) { return e.stop(); });
}
int FilePlayer::getPlayStatus() {
  return forward([](FilePlayerBase& e) { return e.getPlayStatus(); });
}
int FilePlayer::playNextFrame() {
  return forward([](FilePlayerBase& e) { return e.playNextFrame(); });
}
int FilePlayer::playPreviousFrame() {
  return forward([](FilePlayerBase& e) { return e.playPreviousFrame(); });
}
int FilePlayer::getDuration(long& seconds) {
  return forward([&](FilePlayerBase& e) { return e.getDuration(seconds); });
}
int FilePlayer::getPlayPosByTime(long& seconds) {
  return forward([&](FilePlayerBase& e) { return e.getPlayPosByTime(seconds); });
}
int FilePlayer::setPlayPosByTime(long seconds) {
  return forward([&](FilePlayerBase& e) { return e.setPlayPosByTime(seconds); });
}
int FilePlayer::getPlayPosByPercent(long& percent) {
  return forward([&](FilePlayerBase& e) { return e.getPlayPosByPercent(percent); });
}
int FilePlayer::setPlayPosByPercent(long percent) {
  return forward([&](FilePlayerBase& e) { return e.setPlayPosByPercent(percent); });
}
int FilePlayer::getRate(float& rate) {
  return forward([&](FilePlayerBase& e) { return e.getRate(rate); });
}
int FilePlayer::setRate(float rate) {
  return forward([&](FilePlayerBase& e) { return e.setRate(rate); });
}
int FilePlayer::getFileTotalFrames(long& frames) {
  return forward([&](FilePlayerBase& e) { return e.getFileTotalFrames(frames); });
}
int FilePlayer::getPlayedFrames(long& frames) {
  return forward([&](FilePlayerBase& e) { return e.getPlayedFrames(frames); });
}
int FilePlayer::setCurrentFrameNum(long frameNumber) {
  return forward([&](FilePlayerBase& e) { return e.setCurrentFrameNum(frameNumber); });
}
int FilePlayer::setVideoBrightness(int value) {
  return forward([&](FilePlayerBase& e) { return e.setVideoBrightness(value); });
}
int FilePlayer::getVideoBrightness(int& value) {
  return forward([&](FilePlayerBase& e) { return e.getVideoBrightness(value); });
}
int FilePlayer::setVideoContrast(int value) {
  return forward([&](FilePlayerBase& e) { return e.setVideoContrast(value); });
}
int FilePlayer::getVideoContrast(int& value) {
  return forward([&](FilePlayerBase& e) { return e.getVideoContrast(value); });
}
int FilePlayer::setVideoHue(int value) {
  return forward([&](FilePlayerBase& e) { return e.setVideoHue(value); });
}
int FilePlayer::getVideoHue(int& value) {
  return forward([&](FilePlayerBase& e) { return e.getVideoHue(value); });
}
int FilePlayer::setVideoSaturation(int value) {
  return forward([&](FilePlayerBase& e) { return e.setVideoSaturation(value); });
}
int FilePlayer::getVideoSaturation(int& value) {
  return forward([&](FilePlayerBase& e) { return e.getVideoSaturation(value); });
}
int FilePlayer::resetPictureAdjustFilter() {
  return forward([](FilePlayerBase& e) { return e.resetPictureAdjustFilter(); });
}
int FilePlayer::getVideoFrameRate(int& frameRate) {
  return forward([&](FilePlayerBase& e) { return e.getVideoFrameRate(frameRate); });
}
int FilePlayer::getVideoBitRate(int& bitRate) {
  return forward([&](FilePlayerBase& e) { return e.getVideoBitRate(bitRate); });
}
int FilePlayer::getPictureSize(int& width, int& height) {
  return forward([&](FilePlayerBase& e) { return e.getPictureSize(width, height); });
}
int FilePlayer::playSound() {
  return forward([](FilePlayerBase& e) { return e.playSound(); });
}
int FilePlayer::stopSound() {
  return forward([](FilePlayerBase& e) { return e.stopSound(); });
}
int FilePlayer::setVolume(long volume) {
  return forward([&](FilePlayerBase& e) { return e.setVolume(volume); });
}
int FilePlayer::getVolume(long& volume) {
  return forward([&](FilePlayerBase& e) { return e.getVolume(volume); });
}
int FilePlayer::snapShot(const char* path, const char* type) {
  return forward([&](FilePlayerBase& e) { return e.snapShot(path, type); });
}
int FilePlayer::zoomInVideo() {
  return forward([](FilePlayerBase& e) { return e.zoomInVideo(); });
}
int FilePlayer::zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h) {
  return forward([&](FilePlayerBase& e) { return e.zoomInVideo(x, y, w, h); });
}
int FilePlayer::zoomOutVideo() {
  return forward([](FilePlayerBase& e) { return e.zoomOutVideo(); });
}

bool FilePlayer::changeWindow(HWND hwnd) { return m_engine ? m_engine->changeWindow(hwnd) : false; }
bool FilePlayer::isOnSound() { return m_engine ? m_engine->isOnSound() : false; }
bool FilePlayer::isPlayComplete() { return m_engine ? m_engine->isPlayComplete() : false; }
const char* FilePlayer::getFileName() { return m_engine ? m_engine->getFileName() : nullptr; }
