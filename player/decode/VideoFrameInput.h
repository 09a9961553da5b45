#pragma once
#include <atomic>
#include <cstdint>

#include "platform/Event.h"
#include "player/AVDataQueue.h"
#include "player/EngineClock.h"
#include "player/PlayerDebugLog.h"
#include "player/decode/InputClock.h"
#include "technic/KXMutex.h"

class AVData;

// The input side of the H.264 video player: every compressed video frame enters through
// pushVideoFrame, which keeps a deep copy in the input queue, gathers GOP and frame-rate statistics,
// feeds the input clock and raises its jitter allowance for live sources. The decoder side asks
// getNextSleepTime when the head frame is due and takes it with takeFrame.
//
// Locks: m_csPush serialises pushes; the queue's own lock guards the list; m_csClock guards the input
// clock and the pacing fields, which the pushing thread, the decoder thread and the caller's thread
// (pause, rate) all use. Order: m_csPush, then the queue, then m_csClock; none is held while taking
// one before it.
class VideoFrameInput {
 public:
  static constexpr uint32_t kMaxDelayMs = 5000;
  static constexpr int kDefaultPaceIntervalMs = 20;
  // A frame interval beyond this (microseconds) is a time error.
  static constexpr int64_t kMaxFrameInterval = 3500000;
  // Zeroed bytes kept after every queued frame's data (the decoder reads ahead).
  static constexpr int kFramePadding = 64;

  VideoFrameInput(const PlayerDebugLog& log, MicroClock clock = getMicroSeconds);
  ~VideoFrameInput();
  VideoFrameInput(const VideoFrameInput&) = delete;
  VideoFrameInput& operator=(const VideoFrameInput&) = delete;

  // Push path and setters.
  int pushVideoFrame(const AVData& frame);
  void setMaxDelayTime(unsigned ms);
  int getMaxDelayTime(unsigned& ms) const;
  void setInputQueueMaxSize(unsigned n);
  void setAutoClearVideoQueueFlag(bool on);
  void clearVideoQueue();
  bool isVideoQueueEmpty() const { return m_objInputQueue.count() == 0; }
  bool isVideoQueueFull() const { return static_cast<uint32_t>(m_objInputQueue.count()) >= m_objInputQueue.acceptLimit(); }
  void setLivePlayFlag(bool live);
  int getLivePlayFlag(bool& live) const;
  void setUseTimestampForVideo(bool on);
  void setUseReverseTimestampForVideo(bool on);

  // Decoder side: milliseconds until the head frame is due (-1 when the queue is empty), and the head
  // frame taken out (null when empty) with the dequeue bookkeeping done; the caller owns it.
  int getNextSleepTime();
  int calcSleepTime(int64_t ts);
  AVData* takeFrame();

  // Player lifecycle hooks: open state (a closed player drops pushes), pause and rate of the clock,
  // a clock reset with its flags copied.
  void setOpened(bool opened) { m_bOpened.store(opened); }
  bool isOpened() const { return m_bOpened.load(); }
  void changePause(bool paused);
  void changeRate(float rate);
  void resetClock();
  // Forgets the last sequence id (a stop).
  void forgetLastSequenceId();
  // The stream time the pacing stands at now, and true; false while frames are not paced by their
  // timestamps at normal speed in file playback.
  bool pacedStreamTime(int64_t& streamTime) const;
  // Moves the pacing a part of the way (atOnce: all the way) towards the stream time of the sound
  // heard now; nothing when pacedStreamTime answers false, or when the two are too far apart to
  // belong together.
  void followSoundClock(int64_t streamTimeHeard, bool atOnce);

  platform::Event& inputEvent() { return m_hInputEvent; }
  AVDataQueue& inputQueue() { return m_objInputQueue; }

  // Read-outs of the pacing state (each under the clock lock).
  int64_t ptsDelay() const;
  int paceIntervalMs() const;
  int oldClockFrames() const;
  bool hasClockReference() const;
  bool isDiscardingPFrames() const { return m_bDiscardPFrames.load(); }
  bool isAutoClearQueue() const { return m_bAutoClearQueue.load(); }
  bool isZeroBufDelay() const { return m_bZeroBufDelay.load(); }
  int clockSampleCount() const { return m_nClockSampleCount.load(); }
  int streamFps() const { return m_nStreamFps.load(); }
  int systemFps() const { return m_nSystemFps.load(); }
  int delayFrames() const { return m_nDelayFrames.load(); }
  float rate() const { return m_fRate.load(); }
  // Runs fn on the input clock under its lock (tests and the player read or adjust it so).
  template <typename Fn>
  void withClock(Fn fn) {
    lockClock();
    fn(*m_pInputClock);
    unlockClock();
  }

 private:
  // pacedStreamTime with the clock lock held.
  bool pacedStreamTimeLocked(int64_t now, int64_t& streamTime) const;
  void lockClock() const;
  void unlockClock() const;
  // Copies the clock's two flags into the player's (clock lock held).
  void copyClockFlags();
  // After a live clock reset: the queued frames are paced at a fixed interval (clock lock held).
  void startOldClockPacing(int queued);
  AVData* copyFrame(const AVData& frame);
  void updateStatistics(const AVData& frame, int64_t ts, int64_t now);
  void feedClock(const AVData& frame, int64_t ts, int64_t now, bool discontinuity);
  void resizeQueueByFps(int frameRate);

  const PlayerDebugLog& m_log;
  MicroClock m_fnNow;

  AVDataQueue m_objInputQueue;
  KXMutex m_csPush;
  mutable KXMutex m_csClock;
  platform::Event m_hInputEvent{false};
  input_clock* m_pInputClock = nullptr;

  std::atomic<bool> m_bOpened{false};
  std::atomic<bool> m_bPaused{false};
  std::atomic<bool> m_bAutoClearQueue{false};
  std::atomic<bool> m_bDiscardPFrames{false};
  std::atomic<bool> m_bResizeQueueByFps{false};
  std::atomic<bool> m_bUseTimestamp{true};
  std::atomic<bool> m_bUseReverseTimestamp{false};
  std::atomic<bool> m_bLive{false};
  std::atomic<unsigned> m_nMaxDelayMs{100};
  std::atomic<bool> m_bZeroBufDelay{false};
  std::atomic<int> m_nClockSampleCount{10};
  std::atomic<float> m_fRate{1.0f};

  // Under m_csClock.
  int64_t m_nPtsDelay = 0;
  bool m_bMayBeNotLive = false;
  bool m_bDecreasing = false;
  int m_nOldClockFrames = 0;
  int m_nPaceIntervalMs = kDefaultPaceIntervalMs;
  int64_t m_nLastDequeueTime = 0;

  // Push path only (under m_csPush); the fps figures are also read by others.
  uint32_t m_nLastInputSeqId = 0;
  int m_nGopCount = 0;
  int64_t m_nLastKeyStreamTs = 0;
  int64_t m_nLastKeySystemTime = 0;
  std::atomic<int> m_nStreamFps{0};
  std::atomic<int> m_nSystemFps{0};
  std::atomic<int> m_nDelayFrames{0};
  uint32_t m_nAbnormalSeqId = 0;
};
