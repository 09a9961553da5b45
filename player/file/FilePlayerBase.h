#pragma once
#include "player/PlayerTypes.h"

// The file-player engine: one engine plays one recording file. The order of the operations below is
// part of the exported interface (embedding programs call them through this table), so new
// operations go at the end and none is ever moved.
class FilePlayerBase {
 public:
  virtual ~FilePlayerBase() = default;

  virtual void setStretchMode(bool stretch) = 0;                                      // 1
  virtual void setRenderMode(int mode) = 0;                                           // 2
  virtual void setVideoWindow(HWND hwnd) = 0;                                         // 3
  virtual void setVideoWindow(HWND hwnd, int x, int y, int w, int h) = 0;             // 4
  virtual void setNotifyWindow(HWND hwnd, unsigned message, const void* lParam) = 0;  // 5
  virtual void setNotifyWindowEX(HWND hwnd, unsigned message, long wParam, long lParam) = 0;  // 6
  virtual void setFileEndCallback(long id, FileEndCallback fn, void* user) = 0;       // 7
  virtual void setDecodeCallBack(long port, DecodeCallBack fn, void* user) = 0;       // 8
  virtual void setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface) = 0;  // 9
  virtual bool changeWindow(HWND hwnd) = 0;                                           // 10
  virtual void resizeWindow(int x, int y, int w, int h) = 0;                          // 11
  virtual void refresh() = 0;                                                         // 12
  virtual void resizeWindowToClient() = 0;                                            // 13
  virtual void setFileType(int type) = 0;                                             // 14
  virtual int open(const char* path) = 0;                                            // 15
  virtual void close() = 0;                                                           // 16
  virtual int play() = 0;                                                             // 17
  virtual int pause() = 0;                                                            // 18
  virtual int stop() = 0;                                                             // 19
  virtual int getPlayStatus() = 0;                                                    // 20
  virtual int playNextFrame() = 0;                                                    // 21
  virtual int playPreviousFrame() = 0;                                                // 22
  virtual int getDuration(long& seconds) = 0;                                         // 23
  virtual int getPlayPosByTime(long& seconds) = 0;                                    // 24
  virtual int setPlayPosByTime(long seconds) = 0;                                     // 25
  virtual int getPlayPosByPercent(long& percent) = 0;                                 // 26
  virtual int setPlayPosByPercent(long percent) = 0;                                  // 27
  virtual int getRate(float& rate) = 0;                                               // 28
  virtual int setRate(float rate) = 0;                                                // 29
  virtual int getFileTotalFrames(long& frames) = 0;                                   // 30
  virtual int getPlayedFrames(long& frames) = 0;                                      // 31
  virtual int setCurrentFrameNum(long frameNumber) = 0;                               // 32
  virtual void setDrawVideoFlag(bool draw) = 0;                                       // 33
  virtual void setAutoResizeFlag(bool autoResize) = 0;                                // 34
  virtual int getVideoFrameRate(int& frameRate) = 0;                                  // 35
  virtual int getVideoBitRate(int& bitRate) = 0;                                      // 36
  virtual int getPictureSize(int& width, int& height) = 0;                            // 37
  virtual int setVideoBrightness(int value) = 0;                                      // 38
  virtual int getVideoBrightness(int& value) = 0;                                     // 39
  virtual int setVideoContrast(int value) = 0;                                        // 40
  virtual int getVideoContrast(int& value) = 0;                                       // 41
  virtual int setVideoHue(int value) = 0;                                             // 42
  virtual int getVideoHue(int& value) = 0;                                            // 43
  virtual int setVideoSaturation(int value) = 0;                                      // 44
  virtual int getVideoSaturation(int& value) = 0;                                     // 45
  virtual int resetPictureAdjustFilter() = 0;                                         // 46
  virtual int playSound() = 0;                                                        // 47
  virtual int stopSound() = 0;                                                        // 48
  virtual bool isOnSound() = 0;                                                       // 49
  virtual int setVolume(long volume) = 0;                                             // 50
  virtual int getVolume(long& volume) = 0;                                            // 51
  virtual int snapShot(const char* path, const char* type) = 0;                      // 52
  virtual int blendText(const char* text, const char* font, int size) = 0;           // 53
  virtual bool isPlayComplete() = 0;                                                  // 54
  virtual const char* getFileName() = 0;                                              // 55
  virtual int zoomInVideo() = 0;                                                      // 56
  virtual int zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h) = 0;        // 57
  virtual int zoomOutVideo() = 0;                                                     // 58
  virtual void restoreVideo() = 0;                                                    // 59

 protected:
  FilePlayerBase() = default;
  FilePlayerBase(const FilePlayerBase&) = delete;
  FilePlayerBase& operator=(const FilePlayerBase&) = delete;
};
