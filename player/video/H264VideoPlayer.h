#pragma once
#include "player/IVideoPlayer.h"

class H264VideoPlayerImpl;

// The video player behind IVideoPlayer: every operation forwards to H264VideoPlayerImpl, except five
// that this player does not use (global stretch, render mode, play from key frame, media type, play
// queue size), which do nothing.
class H264VideoPlayer : public IVideoPlayer {
 public:
  H264VideoPlayer();
  // Wraps a given implementation (owned from here on).
  explicit H264VideoPlayer(H264VideoPlayerImpl* impl);
  ~H264VideoPlayer() override;
  H264VideoPlayer(const H264VideoPlayer&) = delete;
  H264VideoPlayer& operator=(const H264VideoPlayer&) = delete;

  void setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface) override;
  void setDecodeCallBack(long port, DecodeCallBack fn, void* user) override;
  void setStretchMode(bool stretch) override;
  void setGlobalStretchMode(bool) override {}
  void setRenderMode(int) override {}
  void setUseTimestampForVideo(bool use) override;
  void setPlayFromIFrame(bool) override {}
  void setupVideoMediaType(const VideoInfo&) override {}
  void setVideoPlayQueueSize(unsigned) override {}
  void setInputQueueMaxSize(unsigned size) override;
  void setVideoWindow(unsigned hwnd, int x, int y, int w, int h) override;
  void setVideoWindow(unsigned hwnd) override;
  void resizeWindow(int x, int y, int w, int h) override;
  void refresh() override;
  void setDrawVideoFlag(bool draw) override;
  void setAutoResizeFlag(bool autoResize) override;
  void setLivePlayFlag(bool live) override;
  int getLivePlayFlag(bool& live) override;
  void setMaxDelayTime(unsigned ms) override;
  int getMaxDelayTime(unsigned& ms) override;
  void setUseReverseTimestampForVideo(bool reverse) override;
  int openVideo() override;
  void closeVideo() override;
  int playVideo() override;
  int pauseVideo() override;
  int stopVideo() override;
  void playNextFrame() override;
  void setAutoClearVideoQueueFlag(bool autoClear) override;
  void clearVideoQueue() override;
  int pushVideoFrame(const AVData& frame) override;
  bool isVideoQueueEmpty() override;
  bool isVideoQueueFull() override;
  int setRate(float rate) override;
  int getRate(float& rate) override;
  int setVideoBrightness(int value) override;
  int getVideoBrightness(int& value) override;
  int setVideoContrast(int value) override;
  int getVideoContrast(int& value) override;
  int setVideoHue(int value) override;
  int getVideoHue(int& value) override;
  int setVideoSaturation(int value) override;
  int getVideoSaturation(int& value) override;
  int resetPictureAdjustFilter() override;
  int64_t getCurrentVideoFrameID() override;
  int64_t getCurrentVideoFrameTimestamp() override;
  void getPictureSize(int& w, int& h) override;
  int snapShot(const char* path, const char* type) override;
  int blendText(const char*, const char*, int) override { return 0; }
  int zoomInVideo() override;
  int zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h) override;
  int zoomOutVideo() override;
  void restoreVideo() override;
  bool isVideoIdle() override;
  bool getPacedStreamTime(int64_t& streamTime) override;
  void followSoundClock(int64_t streamTimeHeard, bool atOnce) override;

  H264VideoPlayerImpl* implementation() { return impl; }

 private:
  H264VideoPlayerImpl* impl;
};
