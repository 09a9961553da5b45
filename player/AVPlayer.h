#pragma once
#include <cstdint>

#include "player/PlayerTypes.h"

class AudioInfo;
class AVData;
class IAudioPlayer;
class IVideoPlayer;
class VideoInfo;

// The pair of players every playback path embeds (the live player, the file playback): one video
// player and one audio player behind their interfaces. Keeps the display window and rectangle last set
// and forwards every other call. The video forwarders do not test the video player; without an audio
// player the audio forwarders answer -4, false or nothing. Not copyable: it owns both players.
class AVPlayer {
 public:
  // An H264VideoPlayer and a DSoundAudioPlayer (none when it cannot be made).
  AVPlayer();
  // The given players, owned from here on (audio may be null).
  AVPlayer(IVideoPlayer* videoPlayer, IAudioPlayer* audioPlayer);
  ~AVPlayer();
  AVPlayer(const AVPlayer&) = delete;
  AVPlayer& operator=(const AVPlayer&) = delete;

  // Video.
  void setDrawVideoFlag(bool draw);
  void setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface);
  void setDecodeCallBack(long port, DecodeCallBack fn, void* user);
  void setStretchMode(bool stretch);
  void setGlobalStretchMode(bool stretch);
  void setRenderMode(int mode);
  void setVideoPlayQueueSize(unsigned size);
  void setInputQueueMaxSize(unsigned size);
  void setUseTimestampForVideo(bool use);
  void setPlayFromIFrame(bool fromKeyFrame);
  void setupVideoMediaType(const VideoInfo& info);
  void refresh();
  int openVideo();
  void closeVideo();
  int playVideo();
  int pauseVideo();
  int stopVideo();
  void playNextFrame();
  void setAutoClearVideoQueueFlag(bool autoClear);
  void clearVideoQueue();
  int pushVideoFrame(const AVData& frame);
  bool isVideoQueueEmpty();
  bool isVideoIdle();
  bool isVideoQueueFull();
  int setRate(float rate);
  int getRate(float& rate);
  int setVideoBrightness(int value);
  int getVideoBrightness(int& value);
  int setVideoContrast(int value);
  int getVideoContrast(int& value);
  int setVideoHue(int value);
  int getVideoHue(int& value);
  int setVideoSaturation(int value);
  int getVideoSaturation(int& value);
  int resetPictureAdjustFilter();
  int snapShot(const char* path, const char* type);
  int blendText(const char* text, const char* font, int size);
  int zoomInVideo();
  int zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h);
  int zoomOutVideo();
  void restoreVideo();
  int64_t getCurrentVideoFrameID();
  int64_t getCurrentVideoFrameTimestamp();
  void getPictureSize(int& w, int& h);
  void setAutoResizeFlag(bool autoResize);
  void setLivePlayFlag(bool live);
  int getLivePlayFlag(bool& live);
  void setMaxDelayTime(unsigned ms);
  int getMaxDelayTime(unsigned& ms);
  void setUseReverseTimestampForVideo(bool reverse);

  // The window and rectangle, kept as given (position and size).
  void setVideoWindow(unsigned hwnd);
  void setVideoWindow(unsigned hwnd, int x, int y, int w, int h);
  void resizeWindow(int x, int y, int w, int h);
  unsigned getDispHWnd() const { return dispHWnd; }
  void getDispRect(int& x, int& y, int& w, int& h) const;
  int hideVideo() { return 0; }
  int resumeVideo() { return 0; }

  // Audio.
  void setUseTimestampForAudio(bool use);
  void setupAudioMediaType(const AudioInfo& info);
  void setAudioPlayQueueSize(unsigned size);
  void setAudioWindow(unsigned window);
  int openAudio();
  void closeAudio();
  int playAudio();
  int pauseAudio();
  int stopAudio();
  int setAudioVolume(long volume);
  int getAudioVolume(long& volume);
  void clearAudioQueue();
  int pushAudioFrame(const AVData& frame);
  bool isAudioQueueEmpty();
  bool isAudioQueueFull();
  // True without an audio player.
  bool isAudioPlayedOut();
  // Sound starts with the picture it belongs to and the pictures follow the sound clock (file
  // playback, where both come from one recording).
  void syncAudioWithVideo();

  IVideoPlayer* videoPlayer() { return video; }
  IAudioPlayer* audioPlayer() { return audio; }

 private:
  IVideoPlayer* video;
  IAudioPlayer* audio;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  unsigned dispHWnd = 0;
};
