#pragma once
#include <atomic>

#include "player/AVPlayer.h"
#include "player/KeptVideoCallbacks.h"
#include "player/file/FileFeedThread.h"
#include "player/file/FilePlayerBase.h"
#include "player/file/IndexedFileReader.h"

// The file-playback engine: plays one recording file through an AVPlayer, fed by a feed thread from
// an indexed reader. Play, pause and stop; steps frame by frame both ways; seeks by frame number,
// percentage and time; changes the rate (sound plays only at normal speed).
//
// No frame is lost by pausing, stepping or seeking: a frame the feed could not push yet stays held
// and is the next one shown by a step. Callbacks given once (decode, draw) stay until changed,
// across stops. Positions stay in their ranges for empty and one-frame files.
class FilePlayerImpl : public FilePlayerBase {
 public:
  static constexpr int kStopped = 1;
  static constexpr int kPaused = 2;
  static constexpr int kPlaying = 3;

  FilePlayerImpl();
  // Plays through the given players, owned from here on (the audio player may be null).
  FilePlayerImpl(IVideoPlayer* videoPlayer, IAudioPlayer* audioPlayer);
  ~FilePlayerImpl() override;

  void setStretchMode(bool stretch) override;
  void setRenderMode(int mode) override;
  void setVideoWindow(HWND hwnd) override;
  void setVideoWindow(HWND hwnd, int x, int y, int w, int h) override;
  void setNotifyWindow(HWND hwnd, unsigned message, const void* lParam) override;
  void setNotifyWindowEX(HWND hwnd, unsigned message, long wParam, long lParam) override;
  void setFileEndCallback(long id, FileEndCallback fn, void* user) override;
  void setDecodeCallBack(long port, DecodeCallBack fn, void* user) override;
  void setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface) override;
  bool changeWindow(HWND hwnd) override;
  void resizeWindow(int x, int y, int w, int h) override;
  void refresh() override;
  void resizeWindowToClient() override;
  void setFileType(int type) override;
  // -6 unless stopped; the reader's result; 0.
  int open(const char* path) override;
  void close() override;
  // 0; the video player's open error; -12 when the feed thread cannot start.
  int play() override;
  int pause() override;
  int stop() override;
  int getPlayStatus() override;
  int playNextFrame() override;
  int playPreviousFrame() override;
  int getDuration(long& seconds) override;
  int getPlayPosByTime(long& seconds) override;
  int setPlayPosByTime(long seconds) override;
  int getPlayPosByPercent(long& percent) override;
  int setPlayPosByPercent(long percent) override;
  int getRate(float& rate) override;
  int setRate(float rate) override;
  int getFileTotalFrames(long& frames) override;
  int getPlayedFrames(long& frames) override;
  int setCurrentFrameNum(long frameNumber) override;
  void setDrawVideoFlag(bool draw) override;
  void setAutoResizeFlag(bool autoResize) override;
  int getVideoFrameRate(int& frameRate) override;
  int getVideoBitRate(int& bitRate) override;
  int getPictureSize(int& width, int& height) override;
  int setVideoBrightness(int value) override;
  int getVideoBrightness(int& value) override;
  int setVideoContrast(int value) override;
  int getVideoContrast(int& value) override;
  int setVideoHue(int value) override;
  int getVideoHue(int& value) override;
  int setVideoSaturation(int value) override;
  int getVideoSaturation(int& value) override;
  int resetPictureAdjustFilter() override;
  int playSound() override;
  int stopSound() override;
  bool isOnSound() override;
  int setVolume(long volume) override;
  int getVolume(long& volume) override;
  int snapShot(const char* path, const char* type) override;
  int blendText(const char* text, const char* font, int size) override;
  bool isPlayComplete() override;
  const char* getFileName() override;
  int zoomInVideo() override;
  int zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h) override;
  int zoomOutVideo() override;
  void restoreVideo() override;

 private:
  // The common start of play from stopped and from paused: timestamps, drawing, normal speed.
  void prepareVideoForPlay();
  // Sizes the video queue so that the feed keeps up with this rate: a larger queue at once, a
  // smaller one once the queue has run empty (shrinking drops what the queue holds).
  void sizeQueueForRate(float rate);
  // Stops the feed and forgets its held frame before the reader moves elsewhere.
  void stopFeedForSeek();
  // Shows the frame found by a seek: a key frame at once, another frame decoded from the key frame
  // before it.
  int showFrom(AVData* frame);
  // The position of the frame on screen.
  class FilePosition position();
  // The picture forwarders' answer when stopped.
  bool stopped() const { return m_playState == kStopped; }
  // Sound is heard only while the file plays, at normal speed (rate); at normal speed it is still
  // fed from the file while paused, ready for play.
  bool soundHeardAt(float rate) const { return rate == 1.0f && m_playState == kPlaying; }

  AVPlayer m_avPlayer;
  FileFeedThread m_feedThread;
  IndexedFileReader m_reader;
  // Read by a file-end callback on the feed thread too (it may stop or close the engine).
  std::atomic<int> m_playState{kStopped};
  std::atomic<bool> m_soundOn{false};
  float m_rate = 1.0f;
  // The video queue size asked for last (the video player starts with two).
  unsigned m_queueSize = 2;
  // Given to the video player again at every play (a stop of the video player forgets them).
  KeptVideoCallbacks m_callbacks;
};
