#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/Thread.h"
#include "player/EngineClock.h"
#include "player/PlayerDebugLog.h"
#include "player/PlayerTypes.h"
#include "player/decode/IVideoDecoder.h"
#include "player/decode/VideoFrameDecoder.h"
#include "player/decode/VideoFrameInput.h"
#include "player/render/VideoPictureOutput.h"
#include "player/video/IDecodeThreadPlayer.h"
#include "player/video/PlayerDecodeThread.h"

class AVData;
class DecoderManager;

// The video player: an input queue paced by its input clock (VideoFrameInput), the decoding stage
// (VideoFrameDecoder) and the picture output (VideoPictureOutput), with the open / play / pause / stop /
// close life cycle, stepping, the rate, the picture parameters and the settings. A playing player is
// registered with a decoder thread of the process-wide pool, which decodes and draws it.
//
// Life cycle: closed -> (openVideo) open and stopped -> (playVideo) playing -> (pauseVideo or
// playNextFrame) paused -> (playVideo) playing; stopVideo returns to open and stopped, closeVideo to
// closed. Operations on a closed player do nothing (setters still store their values).
//
// Locks: m_csDraw is held around every decode-and-show and redraw (by the decoder thread's pass, by
// playNextFrame and by the paused redraw) and by open and close, so a picture is never released while
// it is drawn. Order: m_csDraw, then the decoding stage's decode lock, then its callback lock.
//
// pauseVideo returns once no frame is being decoded or drawn: from then on only a step decodes or
// draws, until play.
//
// Calls from inside this player's own decode or draw callback (its draw lock held by the calling
// thread): pause, play and stop act at once (from inside any player's callback a pause does not wait
// for a frame in flight); close acts at once except that the decoder, the renderer
// and the current picture are released when the callback's decode-and-show has returned; playNextFrame
// does nothing (a decode cannot run inside a decode). Any player may be played, paused, stopped or
// closed from any callback; a player must not be destroyed from its own callback.
class H264VideoPlayerImpl : public IDecodeThreadPlayer {
 public:
  // decoder: the H.264 decoder (null: libavcodec's); manager: the decoder pool (null: the process's).
  explicit H264VideoPlayerImpl(MicroClock clock = getMicroSeconds, std::unique_ptr<IVideoDecoder> decoder = nullptr,
                               DecoderManager* manager = nullptr);
  ~H264VideoPlayerImpl() override;
  H264VideoPlayerImpl(const H264VideoPlayerImpl&) = delete;
  H264VideoPlayerImpl& operator=(const H264VideoPlayerImpl&) = delete;

  // Life cycle.
  int openVideo();
  void closeVideo();
  int playVideo();
  int pauseVideo();
  int stopVideo();
  void playNextFrame();

  // Rate: 0, or -8 (and nothing changed) for a rate of 0 or below or not finite.
  int setRate(float rate);
  int getRate(float& rate);

  // Picture parameters: callers give 0..100 (50 neutral).
  int setVideoBrightness(int value);
  int getVideoBrightness(int& value);
  int setVideoContrast(int value);
  int getVideoContrast(int& value);
  int setVideoHue(int value);
  int getVideoHue(int& value);
  int setVideoSaturation(int value);
  int getVideoSaturation(int& value);
  int resetPictureAdjustFilter();

  // Window, flags and callbacks.
  void setVideoWindow(HWND window);
  void setVideoWindow(HWND window, int x, int y, int w, int h);
  void resizeWindow(int x, int y, int w, int h);
  void refresh();
  void setDrawVideoFlag(bool on);
  void setStretchMode(bool on);
  void setAutoResizeFlag(bool on);
  void setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface);
  void setDecodeCallBack(long port, DecodeCallBack fn, void* user);

  // Input queue and live delay.
  int pushVideoFrame(const AVData& frame) { return m_objInput.pushVideoFrame(frame); }
  void setMaxDelayTime(unsigned ms) { m_objInput.setMaxDelayTime(ms); }
  int getMaxDelayTime(unsigned& ms) { return m_objInput.getMaxDelayTime(ms); }
  void setInputQueueMaxSize(unsigned n) { m_objInput.setInputQueueMaxSize(n); }
  void setAutoClearVideoQueueFlag(bool on) { m_objInput.setAutoClearVideoQueueFlag(on); }
  void clearVideoQueue() { m_objInput.clearVideoQueue(); }
  bool isVideoQueueEmpty() { return m_objInput.isVideoQueueEmpty(); }
  bool isVideoQueueFull() { return m_objInput.isVideoQueueFull(); }
  void setLivePlayFlag(bool live) { m_objInput.setLivePlayFlag(live); }
  int getLivePlayFlag(bool& live) { return m_objInput.getLivePlayFlag(live); }
  void setUseTimestampForVideo(bool on) { m_objInput.setUseTimestampForVideo(on); }
  void setUseReverseTimestampForVideo(bool on) { m_objInput.setUseReverseTimestampForVideo(on); }

  // Zoom and snapshots.
  int snapShot(const char* path, const char* type) { return m_objOutput.snapShot(path, type); }
  int zoomInVideo() { return m_objOutput.zoomInVideo(); }
  int zoomInVideo(unsigned x, unsigned y, unsigned w, unsigned h) { return m_objOutput.zoomInVideo(x, y, w, h); }
  int zoomOutVideo() { return m_objOutput.zoomOutVideo(); }
  void restoreVideo() { m_objOutput.restoreVideo(); }

  // Queries: -1 before the first picture; the size from the last sequence parameter set.
  int64_t getCurrentVideoFrameID() { return m_objDecoder.getCurrentVideoFrameID(); }
  int64_t getCurrentVideoFrameTimestamp() { return m_objDecoder.getCurrentVideoFrameTimestamp(); }
  bool getPacedStreamTime(int64_t& streamTime) { return m_bOpened.load() && m_objInput.pacedStreamTime(streamTime); }
  void followSoundClock(int64_t streamTimeHeard, bool atOnce) {
    if (m_bOpened.load()) m_objInput.followSoundClock(streamTimeHeard, atOnce);
  }
  void getPictureSize(int& w, int& h) { m_objDecoder.getPictureSize(w, h); }
  // The queue is empty and no picture is being decoded or drawn (false inside this player's own
  // callbacks, which run while their picture is out). Never waits.
  bool isVideoIdle();

  // As the decoder pool schedules the player.
  bool isPaused() const override { return m_bPaused.load(); }
  bool isInputQueueEmpty() const override { return m_objInput.isVideoQueueEmpty(); }
  platform::Event* inputEvent() override { return &m_objInput.inputEvent(); }
  int getNextSleepTime() override { return m_objInput.getNextSleepTime(); }
  bool tryLockDraw() override;
  void unlockDraw() override;
  bool serveDueFrame() override;
  void redrawPaused() override;

  // The same two under the draw lock, for a thread of the player's own (PlayerDecodeThread).
  void decodeAndShowFrame() override;
  void redrawPausedPicture() override;

  bool isOpened() const { return m_bOpened.load(); }
  const PlayerDebugLog& debugLog() const override { return m_objLog; }
  int playerNo() const { return m_objLog.playerNo(); }
  // The parts, for tests and benchmarks.
  VideoFrameInput& input() { return m_objInput; }
  VideoFrameDecoder& decoder() { return m_objDecoder; }
  VideoPictureOutput& output() { return m_objOutput; }
  PlayerDecodeThread& decodeThread() { return m_objDecodeThread; }
  const YuvAdjustParams& yuvAdjustParams() const { return m_objYuvParams; }

 private:
  void lockDraw();
  // Returns once a decode or draw in flight on another thread is done (at once inside a callback).
  void waitForServeInFlight();
  // True on the thread inside this player's decode-and-show or redraw (its callbacks run there).
  bool isInsideOwnDraw() const;
  DecoderManager* manager();
  // Stores a picture parameter given as 0..100 and applies the derived values.
  int storePictureParameter(std::atomic<int>& stored, int value, const char* what);
  void applyPictureParameters();
  // Releases what the decoding stage and the output hold (the second half of a close).
  void releaseDecoding();

  PlayerDebugLog m_objLog;
  VideoFrameInput m_objInput;
  VideoFrameDecoder m_objDecoder;
  VideoPictureOutput m_objOutput;
  PlayerDecodeThread m_objDecodeThread;
  DecoderManager* m_pManager;

  std::recursive_mutex m_csDraw;
  std::atomic<platform::ThreadId> m_nDrawOwner{0};
  int m_nDrawDepth = 0;  // by the owner only

  std::atomic<bool> m_bOpened{false};
  std::atomic<bool> m_bPaused{false};
  std::atomic<bool> m_bDrawVideo{true};
  std::atomic<bool> m_bClosePending{false};

  std::atomic<int> m_nBrightness{100};
  std::atomic<int> m_nContrast{100};
  std::atomic<int> m_nHue{100};
  std::atomic<int> m_nSaturation{100};
  YuvAdjustParams m_objYuvParams;  // under the draw lock
};
