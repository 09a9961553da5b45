#pragma once
// A file-player engine whose every operation the test scripts and checks.
#include <gmock/gmock.h>

#include "player/file/FilePlayerBase.h"

class MockFilePlayerEngine : public FilePlayerBase {
 public:
  MOCK_METHOD(void, setStretchMode, (bool), (override));
  MOCK_METHOD(void, setRenderMode, (int), (override));
  MOCK_METHOD(void, setVideoWindow, (HWND), (override));
  MOCK_METHOD(void, setVideoWindow, (HWND, int, int, int, int), (override));
  MOCK_METHOD(void, setNotifyWindow, (HWND, unsigned, const void*), (override));
  MOCK_METHOD(void, setNotifyWindowEX, (HWND, unsigned, long, long), (override));
  MOCK_METHOD(void, setFileEndCallback, (long, FileEndCallback, void*), (override));
  MOCK_METHOD(void, setDecodeCallBack, (long, DecodeCallBack, void*), (override));
  MOCK_METHOD(void, setDrawFuncForRender, (long, DrawCallBack, void*, bool), (override));
  MOCK_METHOD(bool, changeWindow, (HWND), (override));
  MOCK_METHOD(void, resizeWindow, (int, int, int, int), (override));
  MOCK_METHOD(void, refresh, (), (override));
  MOCK_METHOD(void, resizeWindowToClient, (), (override));
  MOCK_METHOD(void, setFileType, (int), (override));
  MOCK_METHOD(int, open, (const char*), (override));
  MOCK_METHOD(void, close, (), (override));
  MOCK_METHOD(int, play, (), (override));
  MOCK_METHOD(int, pause, (), (override));
  MOCK_METHOD(int, stop, (), (override));
  MOCK_METHOD(int, getPlayStatus, (), (override));
  MOCK_METHOD(int, playNextFrame, (), (override));
  MOCK_METHOD(int, playPreviousFrame, (), (override));
  MOCK_METHOD(int, getDuration, (long&), (override));
  MOCK_METHOD(int, getPlayPosByTime, (long&), (override));
  MOCK_METHOD(int, setPlayPosByTime, (long), (override));
  MOCK_METHOD(int, getPlayPosByPercent, (long&), (override));
  MOCK_METHOD(int, setPlayPosByPercent, (long), (override));
  MOCK_METHOD(int, getRate, (float&), (override));
  MOCK_METHOD(int, setRate, (float), (override));
  MOCK_METHOD(int, getFileTotalFrames, (long&), (override));
  MOCK_METHOD(int, getPlayedFrames, (long&), (override));
  MOCK_METHOD(int, setCurrentFrameNum, (long), (override));
  MOCK_METHOD(void, setDrawVideoFlag, (bool), (override));
  MOCK_METHOD(void, setAutoResizeFlag, (bool), (override));
  MOCK_METHOD(int, getVideoFrameRate, (int&), (override));
  MOCK_METHOD(int, getVideoBitRate, (int&), (override));
  MOCK_METHOD(int, getPictureSize, (int&, int&), (override));
  MOCK_METHOD(int, setVideoBrightness, (int), (override));
  MOCK_METHOD(int, getVideoBrightness, (int&), (override));
  MOCK_METHOD(int, setVideoContrast, (int), (override));
  MOCK_METHOD(int, getVideoContrast, (int&), (override));
  MOCK_METHOD(int, setVideoHue, (int), (override));
  MOCK_METHOD(int, getVideoHue, (int&), (override));
  MOCK_METHOD(int, setVideoSaturation, (int), (override));
  MOCK_METHOD(int, getVideoSaturation, (int&), (override));
  MOCK_METHOD(int, resetPictureAdjustFilter, (), (override));
  MOCK_METHOD(int, playSound, (), (override));
  MOCK_METHOD(int, stopSound, (), (override));
  MOCK_METHOD(bool, isOnSound, (), (override));
  MOCK_METHOD(int, setVolume, (long), (override));
  MOCK_METHOD(int, getVolume, (long&), (override));
  MOCK_METHOD(int, snapShot, (const char*, const char*), (override));
  MOCK_METHOD(int, blendText, (const char*, const char*, int), (override));
  MOCK_METHOD(bool, isPlayComplete, (), (override));
  MOCK_METHOD(const char*, getFileName, (), (override));
  MOCK_METHOD(int, zoomInVideo, (), (override));
  MOCK_METHOD(int, zoomInVideo, (unsigned, unsigned, unsigned, unsigned), (override));
  MOCK_METHOD(int, zoomOutVideo, (), (override));
  MOCK_METHOD(void, restoreVideo, (), (override));
};
