#pragma once
// A scripted stand-in for the video player as a decoder thread sees it: frames fall due at set times
// (absolute getMicroSeconds values), each serve records how early or late it came, and callbacks can
// run inside a serve as the decode and draw callbacks of a real player do.
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/Event.h"
#include "platform/Thread.h"
#include "player/EngineClock.h"
#include "player/video/IScheduledPlayer.h"

namespace kxtest {

inline int64_t threadCpuMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

class FakeScheduledPlayer : public IScheduledPlayer {
 public:
  // Queues frames due at start, start + interval, ... (count of them).
  void scheduleFrames(int64_t start, int64_t intervalUs, int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int i = 0; i < count; ++i) m_due.push_back(start + i * intervalUs);
    m_event.set();
  }
  void setPaused(bool paused) { m_paused.store(paused); }
  void setServeHook(std::function<void()> hook) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hook = std::move(hook);
  }

  bool isPaused() const override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastCpu = threadCpuMicroseconds();
    m_lastThread = platform::currentThreadId();
    ++m_surveys;
    return m_paused.load();
  }
  bool isInputQueueEmpty() const override {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_next >= m_due.size();
  }
  platform::Event* inputEvent() override { return &m_event; }
  int getNextSleepTime() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_next >= m_due.size()) return -1;
    // Whole milliseconds rounded down, as the player's pacing gives them.
    return static_cast<int>(std::max<int64_t>(0, (m_due[m_next] - getMicroSeconds()) / 1000));
  }
  bool serveDueFrame() override {
    // Two threads inside one player's serve, or a serve without the draw lock, are counted.
    if (m_inServe.fetch_add(1) != 0) ++m_overlaps;
    if (m_drawOwner.load() != platform::currentThreadId()) ++m_unlockedServes;
    std::function<void()> hook;
    bool served = false;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_next < m_due.size()) {
        m_lateness.push_back(getMicroSeconds() - m_due[m_next]);
        m_servedBy.push_back(platform::currentThreadId());
        ++m_next;
        hook = m_hook;
        served = true;
      }
    }
    if (hook) hook();
    m_inServe.fetch_sub(1);
    return served;
  }
  bool tryLockDraw() override {
    if (!m_draw.try_lock()) return false;
    if (m_drawDepth++ == 0) m_drawOwner.store(platform::currentThreadId());
    return true;
  }
  void unlockDraw() override {
    if (--m_drawDepth == 0) m_drawOwner.store(0);
    m_draw.unlock();
  }
  // Held by a test as a step on another thread would hold it.
  std::recursive_mutex& drawLock() { return m_draw; }
  void redrawPaused() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_redraws.push_back(getMicroSeconds());
  }

  std::vector<int64_t> lateness() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lateness;
  }
  std::vector<int64_t> redraws() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_redraws;
  }
  // The thread of every serve, in serving order.
  std::vector<platform::ThreadId> servedBy() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_servedBy;
  }
  int overlaps() const { return m_overlaps.load(); }
  int unlockedServes() const { return m_unlockedServes.load(); }
  size_t served() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_next;
  }
  int64_t lastCpu() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastCpu;
  }
  int surveys() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_surveys;
  }
  platform::ThreadId lastThread() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastThread;
  }

 private:
  mutable std::mutex m_mutex;
  std::recursive_mutex m_draw;
  std::vector<int64_t> m_due;
  size_t m_next = 0;
  std::atomic<bool> m_paused{false};
  platform::Event m_event{false};
  std::function<void()> m_hook;
  std::vector<int64_t> m_lateness;
  std::vector<int64_t> m_redraws;
  std::vector<platform::ThreadId> m_servedBy;
  std::atomic<int> m_inServe{0};
  std::atomic<int> m_overlaps{0};
  std::atomic<int> m_unlockedServes{0};
  int m_drawDepth = 0;  // under m_draw
  std::atomic<platform::ThreadId> m_drawOwner{0};
  mutable int64_t m_lastCpu = 0;
  mutable int m_surveys = 0;
  mutable platform::ThreadId m_lastThread = 0;
};

}  // namespace kxtest
