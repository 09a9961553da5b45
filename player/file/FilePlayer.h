#pragma once
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "player/file/FilePlayerBase.h"

// The exported file player: one playback engine per opened file. It tells the two recording types
// apart by their first bytes, and keeps every display and notification setting so that the engine
// of the next open gets them too. Decode and draw callbacks go to the engine of the moment only.
//
// The file-end callback may stop, close or open this player (what an embedder does at the end of a
// file): an engine closed from inside its own callback is set aside and destroyed once its feed
// thread has ended, by the next open or close or by the destructor.
//
// Not copyable: the engine belongs to one player.
class FilePlayer {
 public:
  using EngineFactory = std::function<std::unique_ptr<FilePlayerBase>()>;

  FilePlayer();
  // Makes its engines with factory (the tests give engines of their own).
  explicit FilePlayer(EngineFactory factory);
  ~FilePlayer();
  FilePlayer(const FilePlayer&) = delete;
  FilePlayer& operator=(const FilePlayer&) = delete;

  // 0 or the engine's open result; -4 null path, -103, -104, -7 from the sniffing (no engine then).
  int open(const char* path);
  // Pushes the kept settings again, then plays: the engine's result; -4 without an engine.
  int play();
  void close();

  // Kept settings, forwarded to the engine when there is one.
  void setDrawVideoFlag(bool draw);
  void setAutoResizeFlag(bool autoResize);
  void setStretchMode(bool stretch);
  void setRenderMode(int mode);
  void setVideoWindow(HWND hwnd);
  void setVideoWindow(HWND hwnd, int x, int y, int w, int h);
  void resizeWindow(int x, int y, int w, int h);
  void setNotifyWindow(HWND hwnd, unsigned message, const void* lParam);
  void setNotifyWindowEX(HWND hwnd, unsigned message, long wParam, long lParam);
  void setFileEndCallback(long id, FileEndCallback fn, void* user);

  // Not kept; nothing without an engine.
  void setDecodeCallBack(long port, DecodeCallBack fn, void* user);
  void setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface);
  void refresh();
  void resizeWindowToClient();
  void restoreVideo();

  // The engine's result, -4 without an engine.
  int pause();
  int stop();
  int getPlayStatus();
  int playNextFrame();
  int playPreviousFrame();
  int getDuration(long& seconds);
  int getPlayPosByTime(long& seconds);
  int setPlayPosByTime(long seconds);
  int getPlayPosByPercent(long& percent);
  int setPlayPosByPercent(long percent);
  int getRate(float& rate);
  int setRate(float rate);
  int getFileTotalFrames(long& frames);
  int getPlayedFrames(long& frames);
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
  int getVideoFrameRate(int& frameRate);
  int getVideoBitRate(int& bitRate);
  int getPictureSize(int& width, int& height);
  int playSound();
  int stopSound();
  int setVolume(long volume);
  int getVolume(long& volume);
  int snapShot(const char* path, const char* type);
  int zoomInVideo();
  int zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h);
  int zoomOutVideo();

  // false / null without an engine.
  bool changeWindow(HWND hwnd);
  bool isOnSound();
  bool isPlayComplete();
  const char* getFileName();

 private:
  // The kept settings pushed into an engine, in their fixed order (without the file type).
  void pushSettings(FilePlayerBase& engine);
  void pushFileEndCallback(FilePlayerBase& engine);
  // The engine's result, or -4 without an engine.
  int forward(const std::function<int(FilePlayerBase&)>& operation);
  // Closes the engine held; from inside its own file-end callback it is set aside instead of destroyed.
  void releaseEngine();
  // Destroys engines set aside earlier (waits for their feed threads, which are ending).
  void destroyRetiredEngines();
  // True on a thread that is running the file-end callback.
  bool insideCallback();
  static void onFileEnd(long id, void* user);

  EngineFactory m_factory;
  std::unique_ptr<FilePlayerBase> m_engine;
  bool m_drawVideo = true;
  bool m_autoResize = false;
  bool m_stretch = false;
  int m_renderMode = 0;
  HWND m_videoWindow = 0;
  int m_videoX = 0;
  int m_videoY = 0;
  int m_videoWidth = 0;
  int m_videoHeight = 0;
  HWND m_notifyWindow = 0;
  unsigned m_notifyMessage = 0;
  const void* m_notifyParam = nullptr;
  long m_notifyWParam = 0;
  long m_notifyLParam = 0;

  // The file-end callback is read on the engine's feed thread, so it is guarded.
  std::mutex m_callbackLock;
  long m_fileEndId = 0;
  FileEndCallback m_fileEndCallback = nullptr;
  void* m_fileEndUser = nullptr;
  // The threads running the file-end callback now (an engine's feed thread each), and the engines
  // closed from inside it, waiting for their feed threads to end; guarded by m_callbackLock.
  std::vector<std::thread::id> m_callbackThreads;
  std::vector<std::unique_ptr<FilePlayerBase>> m_retiredEngines;
};
