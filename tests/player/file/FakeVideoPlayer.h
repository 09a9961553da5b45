#pragma once
// A video player that decodes nothing: it queues the ids of the frames pushed into it (refusing with
// -13 beyond its capacity, as the real queue does) and "shows" the head of its queue when stepped or
// when the test plays the decoder's part. Safe to push from the feed thread while the test looks.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "media/AVData.h"
#include "player/IVideoPlayer.h"
#include "player/KXPlayerResult.h"

class FakeVideoPlayer : public IVideoPlayer {
 public:
  explicit FakeVideoPlayer(unsigned capacity = 2) : m_capacity(capacity) {}

  void setDrawFuncForRender(long, DrawCallBack, void*, bool) override { }
  void setDecodeCallBack(long, DecodeCallBack, void*) override { }
  void setStretchMode(bool) override { }
  void setGlobalStretchMode(bool) override { }
  void setRenderMode(int) override { }
  void setUseTimestampForVideo(bool) override { }
  void setPlayFromIFrame(bool) override { }
  void setupVideoMediaType(const VideoInfo&) override { }
  void setVideoPlayQueueSize(unsigned) override { }
  void setInputQueueMaxSize(unsigned size) override { setCapacity(size); }
  void setVideoWindow(unsigned, int, int, int, int) override { }
  void setVideoWindow(unsigned) override { }
  void resizeWindow(int, int, int, int) override { }
  void refresh() override { }
  void setDrawVideoFlag(bool) override { }
  void setAutoResizeFlag(bool) override { }
  void setLivePlayFlag(bool) override { }
  int getLivePlayFlag(bool&) override { return 0; }
  void setMaxDelayTime(unsigned) override { }
  int getMaxDelayTime(unsigned&) override { return 0; }
  void setUseReverseTimestampForVideo(bool) override { }
  int openVideo() override { return 0; }
  void closeVideo() override { }
  int playVideo() override { return 0; }
  int pauseVideo() override { return 0; }
  int stopVideo() override { return 0; }
  void playNextFrame() override { showNext(); }
  void setAutoClearVideoQueueFlag(bool) override { }
  void clearVideoQueue() override { clearQueue(); }
  int pushVideoFrame(const AVData& frame) override { return onPush(frame); }
  bool isVideoQueueEmpty() override { return queueEmpty(); }
  bool isVideoQueueFull() override { return false; }
  int setRate(float rate) override { m_rate = rate; return 0; }
  int getRate(float& rate) override { rate = m_rate; return 0; }
  int setVideoBrightness(int) override { return 0; }
  int getVideoBrightness(int&) override { return 0; }
  int setVideoContrast(int) override { return 0; }
  int getVideoContrast(int&) override { return 0; }
  int setVideoHue(int) override { return 0; }
  int getVideoHue(int&) override { return 0; }
  int setVideoSaturation(int) override { return 0; }
  int getVideoSaturation(int&) override { return 0; }
  int resetPictureAdjustFilter() override { return 0; }
  int64_t getCurrentVideoFrameID() override { return currentId(); }
  int64_t getCurrentVideoFrameTimestamp() override { return 0; }
  void getPictureSize(int&, int&) override { }
  int snapShot(const char*, const char*) override { return 0; }
  int blendText(const char*, const char*, int) override { return 0; }
  int zoomInVideo() override { return 0; }
  int zoomInVideo(unsigned, unsigned, unsigned, unsigned) override { return 0; }
  int zoomOutVideo() override { return 0; }
  void restoreVideo() override { }
  bool isVideoIdle() override { return queueEmpty(); }
  // Pictures shown by the test follow no clock.
  bool getPacedStreamTime(int64_t&) override { return false; }
  void followSoundClock(int64_t, bool) override {}
  // The decoder's part: takes the head of the queue and shows it; false when the queue is empty.
  bool showNext() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_queue.empty()) return false;
    m_current = m_queue.front();
    m_queue.pop_front();
    m_shown.push_back(m_current);
    m_refusalsAtShow = m_refusals;
    m_changed.notify_all();
    return true;
  }
  // Waits until the feed, after the last picture shown, has filled the queue again and been refused
  // for the next frame (so that it has read everything up to that frame), or has pushed all `frames`.
  bool waitForRefill(std::size_t frames) {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::seconds(60),
                              [&] { return m_refusals > m_refusalsAtShow || m_pushed.size() >= frames; });
  }
  std::vector<int64_t> pushed() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_pushed;
  }
  std::vector<int64_t> shown() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_shown;
  }
  unsigned capacity() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_capacity;
  }
  // Waits until the feed has been refused for lack of room at least n times.
  bool waitForRefusals(int n) {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::seconds(60), [&] { return m_refusals >= n; });
  }
  int refusals() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_refusals;
  }
  bool waitForQueued(size_t n) {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::seconds(60), [&] { return m_queue.size() >= n; });
  }

 private:
  int onPush(const AVData& frame) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_queue.size() >= m_capacity) {
      ++m_refusals;
      m_changed.notify_all();
      return KXPLAYER_QUEUE_FULL;
    }
    m_queue.push_back(frame.getSequenceId());
    m_pushed.push_back(frame.getSequenceId());
    m_changed.notify_all();
    return KXPLAYER_OK;
  }
  bool queueEmpty() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_queue.empty();
  }
  int64_t currentId() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_current;
  }
  void clearQueue() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_queue.clear();
  }
  void setCapacity(unsigned size) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_capacity = std::max(2u, size);
  }

  std::mutex m_lock;
  std::condition_variable m_changed;
  unsigned m_capacity;
  std::deque<int64_t> m_queue;
  std::vector<int64_t> m_pushed;
  std::vector<int64_t> m_shown;
  int64_t m_current = -1;
  int m_refusals = 0;
  int m_refusalsAtShow = 0;
  float m_rate = 1.0f;
};
