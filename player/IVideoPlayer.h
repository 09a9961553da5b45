#pragma once
#include <cstdint>

#include "player/PlayerTypes.h"

class AVData;
class VideoInfo;

// The video player as AVPlayer drives it. The order of the operations is part of the exported
// interface (embedding programs call them through this table): it never changes.
class IVideoPlayer {
 public:
  // The input queue never holds fewer pictures than this, whatever size is asked for: one being
  // decoded and the next one waiting.
  static constexpr unsigned kMinInputQueueSize = 2;

  virtual ~IVideoPlayer() = default;

  virtual void setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface) = 0;
  virtual void setDecodeCallBack(long port, DecodeCallBack fn, void* user) = 0;
  virtual void setStretchMode(bool stretch) = 0;
  virtual void setGlobalStretchMode(bool stretch) = 0;
  virtual void setRenderMode(int mode) = 0;
  virtual void setUseTimestampForVideo(bool use) = 0;
  virtual void setPlayFromIFrame(bool fromKeyFrame) = 0;
  virtual void setupVideoMediaType(const VideoInfo& info) = 0;
  virtual void setVideoPlayQueueSize(unsigned size) = 0;
  virtual void setInputQueueMaxSize(unsigned size) = 0;
  virtual void setVideoWindow(unsigned hwnd, int x, int y, int w, int h) = 0;
  virtual void setVideoWindow(unsigned hwnd) = 0;
  virtual void resizeWindow(int x, int y, int w, int h) = 0;
  virtual void refresh() = 0;
  virtual void setDrawVideoFlag(bool draw) = 0;
  virtual void setAutoResizeFlag(bool autoResize) = 0;
  virtual void setLivePlayFlag(bool live) = 0;
  virtual int getLivePlayFlag(bool& live) = 0;
  virtual void setMaxDelayTime(unsigned ms) = 0;
  virtual int getMaxDelayTime(unsigned& ms) = 0;
  virtual void setUseReverseTimestampForVideo(bool reverse) = 0;
  virtual int openVideo() = 0;
  virtual void closeVideo() = 0;
  virtual int playVideo() = 0;
  virtual int pauseVideo() = 0;
  virtual int stopVideo() = 0;
  virtual void playNextFrame() = 0;
  virtual void setAutoClearVideoQueueFlag(bool autoClear) = 0;
  virtual void clearVideoQueue() = 0;
  virtual int pushVideoFrame(const AVData& frame) = 0;
  virtual bool isVideoQueueEmpty() = 0;
  virtual bool isVideoQueueFull() = 0;
  virtual int setRate(float rate) = 0;
  virtual int getRate(float& rate) = 0;
  virtual int setVideoBrightness(int value) = 0;
  virtual int getVideoBrightness(int& value) = 0;
  virtual int setVideoContrast(int value) = 0;
  virtual int getVideoContrast(int& value) = 0;
  virtual int setVideoHue(int value) = 0;
  virtual int getVideoHue(int& value) = 0;
  virtual int setVideoSaturation(int value) = 0;
  virtual int getVideoSaturation(int& value) = 0;
  virtual int resetPictureAdjustFilter() = 0;
  virtual int64_t getCurrentVideoFrameID() = 0;
  virtual int64_t getCurrentVideoFrameTimestamp() = 0;
  virtual void getPictureSize(int& w, int& h) = 0;
  virtual int snapShot(const char* path, const char* type) = 0;
  virtual int blendText(const char* text, const char* font, int size) = 0;
  virtual int zoomInVideo() = 0;
  virtual int zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h) = 0;
  virtual int zoomOutVideo() = 0;
  virtual void restoreVideo() = 0;
  // True when the input queue is empty and no picture is being decoded or drawn. Never waits.
  virtual bool isVideoIdle() = 0;
  // The stream time (microseconds) that the pacing of the pictures stands at now, and true; false
  // while pictures are not paced by their timestamps at normal speed (closed, paused, stepped, at
  // another rate, live, or no frame pushed since the pacing was reset).
  virtual bool getPacedStreamTime(int64_t& streamTime) = 0;
  // The sound heard now has this stream time: the pacing moves a part of the way towards it, so
  // that the pictures follow a sound clock that drifts from the system clock; atOnce moves it all the
  // way (sound that begins a little behind the pictures: they wait for it). Does nothing when
  // getPacedStreamTime would answer false, or when the two are too far apart to belong together.
  virtual void followSoundClock(int64_t streamTimeHeard, bool atOnce) = 0;
};
