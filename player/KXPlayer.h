#pragma once
#include <cstdint>

#include "player/KeptVideoCallbacks.h"
#include "player/PlayerTypes.h"

class AVFrameData;
class AVPlayer;
class FilePlayer;
class KXLivePlayer;
class RecorderHolder;

// Play modes of KXPlayer.
constexpr long PLAYMODE_FILE = 1;
constexpr long PLAYMODE_STREAM = 2;

// The exported player: one per video window. It plays a recording file (file mode, through its file
// player) or a stream the caller pushes in (stream mode, through its live player), and records a
// stream to a transport-stream file. Every display and notification setting is kept, so settings
// made before an open reach the player the open makes. Results are the KXPlayerResult codes.
//
// No lock and no thread of its own: callers serialise open, close and stream input; stream input may
// come from another thread than the control calls.
class KXPlayer {
 public:
  KXPlayer();
  virtual ~KXPlayer();
  KXPlayer(const KXPlayer&) = delete;
  KXPlayer& operator=(const KXPlayer&) = delete;

  // Kept settings, forwarded to the player of the current mode.
  void setStretchMode(bool stretch);
  void setDrawVideoFlag(bool draw);
  void setAutoResizeFlag(bool autoResize);
  void setUseTimeStamp(bool use);
  void setPlayBufferSize(unsigned size);
  void setInputQueueMaxSize(unsigned size);
  void setVideoWindow(HWND hwnd, int x, int y, int w, int h);
  // The window with its whole client rectangle (as read now) as the video rectangle.
  void setVideoWindow(HWND hwnd);
  void resizeWindow(int x, int y, int w, int h);
  int setDecodeCallBack(long port, DecodeCallBack callback, void* user);
  int setDrawCallBack(long port, DrawCallBack callback, void* user, bool windowSizeSurface);
  int setFileEndCallback(long id, FileEndCallback callback, void* user);
  int setMessage(long playMode, long hwnd, long message);
  int setMessageEX(long playMode, long hwnd, long message, long wParam, long lParam);

  // Straight to the live player's video player, whatever the mode.
  void setLivePlayFlag(bool live);
  void setMaxDelayTime(unsigned ms);
  int getMaxDelayTime(unsigned& ms);

  int openFile(const char* path);
  int closeFile();
  int openStream();
  int closeStream();
  int intputTSData(const char* data, unsigned length, unsigned& consumed);
  int intputTSData(const char* data, unsigned length);
  int inputTSAVFrame(const char* data, unsigned length);
  int inputTSAVFrame(const AVFrameData& frame);
  int inputAVFrame(const AVFrameData& frame);
  int getPlayBufferState(bool& full);
  int getCurrentAVFrameTimeStamp(int64_t& timeStamp);

  int play();
  int pause();
  int stop();
  int playSound();
  int stopSound();
  bool isOnSound();
  // Speeds in (0, 16]; others -8.
  int setSpeed(float speed);
  int getSpeed(float& speed);

  int getFileTime(long& seconds);
  int setPlayPosByTime(long seconds);
  int getPlayPosByTime(long& seconds);
  int setPlayPosByPercent(long percent);
  int getPlayPosByPercent(long& percent);
  int getFileTotalFrames(long& frames);
  int getPlayedFrames(long& frames);
  int playNextFrame();
  int playPreviousFrame();
  int setCurrentFrameNum(long frameNumber);

  int setVideoBrightness(int value);
  int getVideoBrightness(int& value);
  int setVideoContrast(int value);
  int getVideoContrast(int& value);
  int setVideoHue(int value);
  int getVideoHue(int& value);
  int setVideoSaturation(int value);
  int getVideoSaturation(int& value);
  int resetPictureAdjustFilter();
  // 0..100. With sound off the level is kept and set when sound is turned on.
  int setVolume(long volume);
  int getVolume(long& volume);

  int getVideoFrameRate(int& frameRate);
  int getVideoBitRate(int& bitRate);
  int getPictureSize(int& width, int& height);
  int snapshot(const char* path, const char* type);
  int zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h);
  int zoomInVideo();
  int zoomOutVideo();
  void restoreVideo();
  int refresh();
  int getVersion(long& version);

  // -8 for a path longer than the recorder holds.
  int setRecordFile(const char* path);
  // -8 for a null block or a negative length.
  int setRecordFileHead(const char* data, int length);
  int startRecord();
  int stopRecord();

  int getMode() const { return m_mode; }
  // True while the file player holds a file engine (an open file, or one stopped at its end).
  bool hasFileEngine() { return hasEngine(); }

 private:
  static int startRecordCallback(void* reserved, const char* data, int length, void* user);
  bool hasEngine();
  bool engineStopped();
  bool liveStopped();
  // The picture levels: 0..100, tested before the mode.
  int setLevel(int value, int (AVPlayer::*stream)(int), int (FilePlayer::*file)(int));
  int getLevel(int& value, int (AVPlayer::*stream)(int&), int (FilePlayer::*file)(int&));
  // Operations of the video player or the file engine alike: -6 in mode 0, -4 without an engine.
  template <typename Stream, typename File>
  int byMode(Stream stream, File file);
  void pushSettingsIntoLive();
  void pushSettingsIntoFilePlayer();

  int m_mode = 0;
  KXLivePlayer* m_livePlayer;
  FilePlayer* m_filePlayer;
  bool m_fileOpen = false;
  bool m_stretch = false;
  bool m_autoResize = false;
  bool m_drawVideo = true;
  bool m_useTimeStamp = false;
  unsigned m_playBufferSize = 500;
  unsigned m_inputQueueMaxSize = 0xFFFFFFFFu;
  HWND m_videoWindow = 0;
  int m_videoX = 0;
  int m_videoY = 0;
  int m_videoWidth = 0;
  int m_videoHeight = 0;
  long m_fileEndId = 0;
  FileEndCallback m_fileEndCallback = nullptr;
  void* m_fileEndUser = nullptr;
  KeptVideoCallbacks m_callbacks;  // decode and draw callbacks
  long m_notifyMode = 0;
  long m_notifyWindow = 0;
  long m_notifyMessage = 0;
  long m_notifyWParam = 0;
  long m_notifyLParam = 0;
  RecorderHolder* m_recorder;
  bool m_recording = false;
  long m_volume = -1;  // a level set while sound was off; -1 none
};
