#include "player/file/FilePlayerImpl.h"

#include <algorithm>
#include <cmath>

#include "media/AVData.h"
#include "media/AudioInfo.h"
#include "media/FrameKind.h"
#include "media/VideoInfo.h"
#include "platform/WindowSystem.h"
#include "player/IVideoPlayer.h"
#include "player/KXPlayerResult.h"
#include "player/file/FilePosition.h"

namespace {

// The video queue holds the pictures of this many seconds of playing time: the feed refills it only
// every few milliseconds when it is full, so above normal speed it must hold more than two pictures.
constexpr double kQueueSeconds = 0.08;
// At normal speed sound plays, read from the file beside the pictures: only as much of it reaches
// the audio player as the queued pictures let the feed read. The queue holds enough for that to
// exceed the audio player's lead (125 ms) well, so that sound starts from what was read at once, and
// the first picture (the decoder still starting) may take a while without the sound running dry
// behind its first frames. Once sound plays it keeps its distance to the picture however full the
// queue is: it is played without a break from where it started.
constexpr double kSoundQueueSeconds = 0.5;

}  // namespace

FilePlayerImpl::FilePlayerImpl() { m_avPlayer.syncAudioWithVideo(); }

FilePlayerImpl::FilePlayerImpl(IVideoPlayer* videoPlayer, IAudioPlayer* audioPlayer)
    : m_avPlayer(videoPlayer, audioPlayer) {
  m_avPlayer.syncAudioWithVideo();
}

FilePlayerImpl::~FilePlayerImpl() {
  stop();
  m_reader.close();
}

void FilePlayerImpl::setFileType(int type) { m_reader.setFileType(type); }

int FilePlayerImpl::open(const char* path) {
  if (!stopped()) return KXPLAYER_WRONG_STATE;
  const int opened = m_reader.open(path);
  if (opened != KXPLAYER_OK) return opened;
  m_avPlayer.setDrawVideoFlag(true);
  m_avPlayer.setUseTimestampForVideo(true);
  m_avPlayer.setVideoPlayQueueSize(1000);
  VideoInfo info;
  info.setHeight(m_reader.getHeight());
  info.setWidth(m_reader.getWidth());
  m_avPlayer.setupVideoMediaType(info);
  m_avPlayer.setRate(1.0f);
  m_rate = 1.0f;
  return KXPLAYER_OK;
}

void FilePlayerImpl::close() {
  stop();
  m_reader.close();
}

void FilePlayerImpl::prepareVideoForPlay() {
  m_avPlayer.setUseTimestampForVideo(true);
  m_avPlayer.setDrawVideoFlag(true);
  m_avPlayer.setRate(1.0f);
  m_rate = 1.0f;
  sizeQueueForRate(1.0f);
}

int FilePlayerImpl::play() {
  // Play while playing returns to normal speed, with the sound that plays only there.
  if (m_playState == kPlaying) return setRate(1.0f);
  if (m_playState == kStopped) {
    prepareVideoForPlay();
    const int opened = m_avPlayer.openVideo();
    if (opened != KXPLAYER_OK) return opened;
    m_callbacks.restore(m_avPlayer);
    const int played = m_avPlayer.playVideo();
    if (played != KXPLAYER_OK) return played;
    m_feedThread.setSources(&m_avPlayer, &m_reader);
  } else {
    prepareVideoForPlay();
    m_callbacks.restore(m_avPlayer);
    m_avPlayer.playVideo();
    if (m_soundOn) {
      m_avPlayer.playAudio();
      m_feedThread.setAudioEnabled(true);
    }
  }
  // The state is set before the feed starts: the feed may reach the end and call back at once.
  const int previous = m_playState.exchange(kPlaying);
  if (!m_feedThread.start()) {
    // Nothing would feed the picture: the engine stays in the state it had.
    m_playState = previous;
    if (previous == kStopped) {
      m_avPlayer.closeVideo();
    } else {
      m_avPlayer.pauseVideo();
      if (m_soundOn) m_avPlayer.pauseAudio();
    }
    return KXPLAYER_START_FAILED;
  }
  return KXPLAYER_OK;
}

int FilePlayerImpl::pause() {
  if (m_playState == kPaused) return KXPLAYER_OK;
  if (stopped()) return KXPLAYER_WRONG_STATE;
  m_feedThread.setPaused(true);
  m_avPlayer.pauseVideo();
  if (m_soundOn) m_avPlayer.pauseAudio();
  m_playState = kPaused;
  return KXPLAYER_OK;
}

int FilePlayerImpl::stop() {
  if (stopped()) return KXPLAYER_OK;
  m_feedThread.stop();
  m_feedThread.dropHeldFrame();
  if (m_soundOn) m_avPlayer.closeAudio();
  m_avPlayer.closeVideo();
  m_soundOn = false;
  m_feedThread.setAudioEnabled(false);
  m_playState = kStopped;
  return KXPLAYER_OK;
}

int FilePlayerImpl::getPlayStatus() { return m_playState; }

bool FilePlayerImpl::changeWindow(HWND) { return !stopped(); }

void FilePlayerImpl::sizeQueueForRate(float rate) {
  const int frameRate = m_reader.getFrameRate() > 0 ? m_reader.getFrameRate() : FrameKind::kDefaultFrameRate;
  const double seconds = rate == 1.0f ? kSoundQueueSeconds : kQueueSeconds;
  const unsigned wanted =
      std::max(IVideoPlayer::kMinInputQueueSize,
               static_cast<unsigned>(std::ceil(frameRate * std::max(rate, 1.0f) * seconds)));
  if (wanted > m_queueSize) {
    // A larger queue keeps what it holds.
    m_avPlayer.setInputQueueMaxSize(wanted);
    m_feedThread.shrinkVideoQueue(0);
  } else if (wanted < m_queueSize) {
    // A smaller queue would drop what it holds: the feed shrinks it once it has run empty.
    m_feedThread.shrinkVideoQueue(wanted);
  }
  m_queueSize = wanted;
}

int FilePlayerImpl::playNextFrame() {
  if (stopped()) return KXPLAYER_WRONG_STATE;
  const int paused = pause();
  if (paused != KXPLAYER_OK) return paused;
  m_feedThread.stop();
  m_avPlayer.clearAudioQueue();
  if (m_avPlayer.isVideoQueueEmpty()) {
    // The frame the feed could not push yet is the next one; only without it does the reader move.
    AVData* frame = m_feedThread.heldFrame();
    m_feedThread.dropHeldFrame();
    if (frame == nullptr || frame->getESStreamType() != FrameKind::kVideoStream) {
      frame = nullptr;
      const int read = m_reader.readNextVideoFrame(&frame);
      if (read != KXPLAYER_OK) return read;
    }
    m_avPlayer.pushVideoFrame(*frame);
  }
  m_avPlayer.setUseTimestampForVideo(false);
  m_avPlayer.playNextFrame();
  return KXPLAYER_OK;
}

int FilePlayerImpl::playPreviousFrame() {
  if (stopped()) return KXPLAYER_WRONG_STATE;
  const int paused = pause();
  if (paused != KXPLAYER_OK) return paused;
  m_feedThread.stop();
  const int64_t played = m_avPlayer.getCurrentVideoFrameID() - m_reader.getFirstFrameId() + 1;
  return setCurrentFrameNum(played >= 2 ? static_cast<long>(played - 1) : 1);
}

void FilePlayerImpl::stopFeedForSeek() {
  m_feedThread.stop();
  m_feedThread.dropHeldFrame();
}

int FilePlayerImpl::setCurrentFrameNum(long frameNumber) {
  if (stopped()) return KXPLAYER_WRONG_STATE;
  const bool wasPlaying = m_playState == kPlaying;
  const int paused = pause();
  if (paused != KXPLAYER_OK) return paused;
  stopFeedForSeek();
  m_avPlayer.clearVideoQueue();
  // The queue is empty now: a smaller size waiting for it to run empty can be taken at once.
  if (const unsigned size = m_feedThread.takeVideoQueueShrink()) m_avPlayer.setInputQueueMaxSize(size);
  m_avPlayer.clearAudioQueue();
  m_avPlayer.setUseTimestampForVideo(false);
  m_avPlayer.setDrawVideoFlag(false);
  // Frame numbers are 1-based; 0 and numbers past the end reach the first and last frame through the
  // reader's clamping.
  AVData* frame = nullptr;
  const int found = m_reader.seekToFrame(m_reader.getFirstFrameId() + static_cast<int64_t>(frameNumber) - 1, &frame);
  if (found != KXPLAYER_OK) {
    if (wasPlaying) play();
    return found;
  }
  // A failure from here on leaves the engine paused.
  const int shown = showFrom(frame);
  if (shown != KXPLAYER_OK) return shown;
  m_avPlayer.setUseTimestampForVideo(true);
  return wasPlaying ? play() : KXPLAYER_OK;
}

int FilePlayerImpl::showFrom(AVData* frame) {
  if (frame->getESStreamType() != FrameKind::kVideoStream) return KXPLAYER_WRONG_STATE;
  if (frame->getFrameType() == FrameKind::kKeyFrame) {
    m_avPlayer.setDrawVideoFlag(true);
    m_avPlayer.pushVideoFrame(*frame);
    m_avPlayer.playNextFrame();
    return KXPLAYER_OK;
  }
  // The frames from the key frame before the target are decoded without being drawn; only the target
  // is drawn.
  const int64_t target = frame->getSequenceId();
  const int key = m_reader.readPreviousKeyFrame(&frame);
  if (key != KXPLAYER_OK) return key;
  m_avPlayer.pushVideoFrame(*frame);
  m_avPlayer.playNextFrame();
  for (;;) {
    const int read = m_reader.readNextVideoFrame(&frame);
    if (read != KXPLAYER_OK) return read;
    const bool isTarget = static_cast<int64_t>(frame->getSequenceId()) == target;
    if (isTarget) m_avPlayer.setDrawVideoFlag(true);
    m_avPlayer.pushVideoFrame(*frame);
    m_avPlayer.playNextFrame();
    if (isTarget) return KXPLAYER_OK;
  }
}

FilePosition FilePlayerImpl::position() {
  return FilePosition(m_avPlayer.getCurrentVideoFrameID(), m_reader.getFirstFrameId(),
                      m_reader.getFrameCount(), m_reader.getDuration());
}

int FilePlayerImpl::getPlayedFrames(long& frames) {
  frames = position().playedFrames();
  return KXPLAYER_OK;
}

int FilePlayerImpl::getPlayPosByPercent(long& percent) {
  percent = position().percent();
  return KXPLAYER_OK;
}

int FilePlayerImpl::setPlayPosByPercent(long percent) {
  if (percent < 0 || percent > 100) return KXPLAYER_OUT_OF_RANGE;
  return setCurrentFrameNum(FilePosition::frameForPercent(percent, m_reader.getFrameCount()));
}

int FilePlayerImpl::getPlayPosByTime(long& seconds) {
  seconds = position().seconds();
  return KXPLAYER_OK;
}

int FilePlayerImpl::setPlayPosByTime(long seconds) {
  if (seconds < 0 || seconds > m_reader.getDuration()) return KXPLAYER_OUT_OF_RANGE;
  return setPlayPosByPercent(FilePosition::percentForSeconds(seconds, m_reader.getDuration()));
}

int FilePlayerImpl::getFileTotalFrames(long& frames) {
  frames = static_cast<long>(m_reader.getFrameCount());
  return KXPLAYER_OK;
}

int FilePlayerImpl::getDuration(long& seconds) {
  seconds = static_cast<long>(m_reader.getDuration());
  return KXPLAYER_OK;
}

int FilePlayerImpl::setRate(float rate) {
  if (stopped()) return KXPLAYER_WRONG_STATE;
  // Audio read at another rate is never heard, also by sound switched on later.
  if (rate != 1.0f) m_feedThread.dropKeptAudio();
  if (m_soundOn) {
    if (rate == 1.0f) {
      // While paused the output stays silent: play starts it with the picture.
      if (soundHeardAt(rate)) m_avPlayer.playAudio();
      m_feedThread.setAudioEnabled(true);
    } else {
      m_feedThread.setAudioEnabled(false);
      m_avPlayer.pauseAudio();
      m_avPlayer.clearAudioQueue();
    }
  }
  sizeQueueForRate(rate);
  m_rate = rate;
  return m_avPlayer.setRate(rate);
}

int FilePlayerImpl::getRate(float& rate) {
  if (stopped()) return KXPLAYER_WRONG_STATE;
  return m_avPlayer.getRate(rate);
}

int FilePlayerImpl::playSound() {
  if (stopped()) return KXPLAYER_WRONG_STATE;
  if (m_soundOn) return KXPLAYER_OK;
  AudioInfo format;
  format.setFormatTag(1);
  format.setChannels(1);
  format.setSamplesPerSec(8000);
  format.setBitsPerSample(16);
  format.setAvgBytesPerSec(16000);
  format.setBlockAlign(2);
  format.setCBSize(0);
  m_avPlayer.setupAudioMediaType(format);
  const int opened = m_avPlayer.openAudio();
  if (opened != KXPLAYER_OK) return opened;
  const int played = m_avPlayer.playAudio();
  if (played != KXPLAYER_OK) {
    m_avPlayer.closeAudio();
    return played;
  }
  m_soundOn = true;
  // Sound plays only at normal speed; at another rate it starts with the next setRate(1.0), and
  // while paused with the next play.
  if (m_rate == 1.0f) m_feedThread.setAudioEnabled(true);
  if (!soundHeardAt(m_rate)) m_avPlayer.pauseAudio();
  return KXPLAYER_OK;
}

int FilePlayerImpl::stopSound() {
  if (stopped() || !m_soundOn) return KXPLAYER_OK;
  m_feedThread.setAudioEnabled(false);
  m_avPlayer.stopAudio();
  m_avPlayer.closeAudio();
  m_soundOn = false;
  return KXPLAYER_OK;
}

bool FilePlayerImpl::isOnSound() { return m_soundOn; }

int FilePlayerImpl::setVolume(long volume) {
  if (stopped()) return KXPLAYER_WRONG_STATE;
  if (!m_soundOn) return KXPLAYER_OK;
  return m_avPlayer.setAudioVolume(volume);
}

int FilePlayerImpl::getVolume(long& volume) {
  if (stopped()) return KXPLAYER_WRONG_STATE;
  if (!m_soundOn) return KXPLAYER_OK;
  return m_avPlayer.getAudioVolume(volume);
}

void FilePlayerImpl::setNotifyWindow(HWND hwnd, unsigned message, const void* lParam) {
  m_feedThread.setNotifyWindow(hwnd, message, lParam);
}

void FilePlayerImpl::setNotifyWindowEX(HWND hwnd, unsigned message, long wParam, long lParam) {
  m_feedThread.setNotifyWindowEX(hwnd, message, wParam, lParam);
}

void FilePlayerImpl::setFileEndCallback(long id, FileEndCallback fn, void* user) {
  m_feedThread.setFileEndCallback(id, fn, user);
}

void FilePlayerImpl::setDecodeCallBack(long port, DecodeCallBack fn, void* user) {
  m_callbacks.setDecodeCallBack(m_avPlayer, port, fn, user);
}

void FilePlayerImpl::setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface) {
  m_callbacks.setDrawFuncForRender(m_avPlayer, port, fn, user, windowSizeSurface);
}

void FilePlayerImpl::setStretchMode(bool stretch) { m_avPlayer.setStretchMode(stretch); }
void FilePlayerImpl::setRenderMode(int mode) { m_avPlayer.setRenderMode(mode); }
void FilePlayerImpl::setDrawVideoFlag(bool draw) { m_avPlayer.setDrawVideoFlag(draw); }
void FilePlayerImpl::setAutoResizeFlag(bool autoResize) { m_avPlayer.setAutoResizeFlag(autoResize); }
void FilePlayerImpl::refresh() { m_avPlayer.refresh(); }
void FilePlayerImpl::setVideoWindow(HWND hwnd) { m_avPlayer.setVideoWindow(hwnd); }
void FilePlayerImpl::setVideoWindow(HWND hwnd, int x, int y, int w, int h) {
  m_avPlayer.setVideoWindow(hwnd, x, y, w, h);
}
void FilePlayerImpl::resizeWindow(int x, int y, int w, int h) { m_avPlayer.resizeWindow(x, y, w, h); }

void FilePlayerImpl::resizeWindowToClient() {
  platform::Rect client;
  if (!platform::windows().getClientRect(m_avPlayer.getDispHWnd(), client)) return;
  int x = 0, y = 0, w = 0, h = 0;
  m_avPlayer.getDispRect(x, y, w, h);
  if (client.left == x && client.top == y && client.right == w && client.bottom == h) return;
  m_avPlayer.resizeWindow(client.left, client.top, client.right, client.bottom);
}

int FilePlayerImpl::getVideoFrameRate(int& frameRate) {
  frameRate = m_reader.getFrameRate();
  return KXPLAYER_OK;
}

int FilePlayerImpl::getVideoBitRate(int& bitRate) {
  bitRate = 0;
  return KXPLAYER_OK;
}

int FilePlayerImpl::getPictureSize(int& width, int& height) {
  m_avPlayer.getPictureSize(width, height);
  return KXPLAYER_OK;
}

int FilePlayerImpl::setVideoBrightness(int value) {
  return stopped() ? KXPLAYER_WRONG_STATE : m_avPlayer.setVideoBrightness(value);
}
int FilePlayerImpl::getVideoBrightness(int& value) {
  return stopped() ? KXPLAYER_WRONG_STATE : m_avPlayer.getVideoBrightness(value);
}
int FilePlayerImpl::setVideoContrast(int value) {
  return stopped() ? KXPLAYER_WRONG_STATE : m_avPlayer.setVideoContrast(value);
}
int FilePlayerImpl::getVideoContrast(int& value) {
  return stopped() ? KXPLAYER_WRONG_STATE : m_avPlayer.getVideoContrast(value);
}
int FilePlayerImpl::setVideoHue(int value) {
  return stopped() ? KXPLAYER_WRONG_STATE : m_avPlayer.setVideoHue(value);
}
int FilePlayerImpl::getVideoHue(int& value) {
  return stopped() ? KXPLAYER_WRONG_STATE : m_avPlayer.getVideoHue(value);
}
int FilePlayerImpl::setVideoSaturation(int value) {
  return stopped() ? KXPLAYER_WRONG_STATE : m_avPlayer.setVideoSaturation(value);
}
int FilePlayerImpl::getVideoSaturation(int& value) {
  return stopped() ? KXPLAYER_WRONG_STATE : m_avPlayer.getVideoSaturation(value);
}
int FilePlayerImpl::resetPictureAdjustFilter() {
  return stopped() ? KXPLAYER_WRONG_STATE : m_avPlayer.resetPictureAdjustFilter();
}
int FilePlayerImpl::snapShot(const char* path, const char* type) {
  return stopped() ? KXPLAYER_WRONG_STATE : m_avPlayer.snapShot(path, type);
}
int FilePlayerImpl::blendText(const char* text, const char* font, int size) {
  return stopped() ? KXPLAYER_WRONG_STATE : m_avPlayer.blendText(text, font, size);
}

bool FilePlayerImpl::isPlayComplete() { return false; }
const char* FilePlayerImpl::getFileName() { return m_reader.getFileName(); }

int FilePlayerImpl::zoomInVideo() { return m_avPlayer.zoomInVideo(); }
int FilePlayerImpl::zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h) {
  return m_avPlayer.zoomInVideo(x, y, w, h);
}
int FilePlayerImpl::zoomOutVideo() { return m_avPlayer.zoomOutVideo(); }
void FilePlayerImpl::restoreVideo() { m_avPlayer.restoreVideo(); }
