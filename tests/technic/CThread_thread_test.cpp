#include "technic/CThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class StepsThread : public CThread {
 public:
  explicit StepsThread(bool proceed, bool endByItself = false) : m_proceed(proceed), m_endByItself(endByItself) {}
  ~StepsThread() override { stop(); }
  bool beforeRun() override {
    ++before;
    return m_proceed;
  }
  void run() override {
    ++runs;
    if (selfStop) selfStopResult = stop();
    while (!m_endByItself && !isStopRequested()) std::this_thread::yield();
  }
  bool afterRun() override {
    ++after;
    return false;
  }
  std::atomic<int> before{0}, runs{0}, after{0};
  std::atomic<bool> selfStop{false};
  std::atomic<bool> selfStopResult{false};

 private:
  const bool m_proceed;
  const bool m_endByItself;
};

}  // namespace

TEST(CThread, StopOnANeverStartedThreadSetsFinishedAndWaitsForNothing) {
  StepsThread thread(true);
  EXPECT_FALSE(thread.isFinished());
  EXPECT_TRUE(thread.stop());
  EXPECT_TRUE(thread.isFinished());
  EXPECT_EQ(thread.before.load(), 0);
}

TEST(CThread, RunsAllThreeStepsUntilStopped) {
  StepsThread thread(true);
  ASSERT_TRUE(thread.start());
  EXPECT_NE(thread.getThreadId(), 0u);
  EXPECT_FALSE(thread.isStopRequested());
  while (thread.runs.load() == 0) std::this_thread::yield();
  EXPECT_TRUE(thread.stop());
  EXPECT_TRUE(thread.isFinished());
  EXPECT_EQ(thread.before.load(), 1);
  EXPECT_EQ(thread.runs.load(), 1);
  EXPECT_EQ(thread.after.load(), 1);
}

TEST(CThread, BeforeRunFalseSkipsRunAndAfterRunAndLeavesTheStopFlag) {
  StepsThread thread(false);
  ASSERT_TRUE(thread.start());
  while (!thread.isFinished()) std::this_thread::yield();
  EXPECT_FALSE(thread.isStopRequested());
  EXPECT_EQ(thread.runs.load(), 0);
  EXPECT_EQ(thread.after.load(), 0);
  thread.stop();
}

TEST(CThread, AThreadThatEndedByItselfCanBeStartedAgain) {
  StepsThread thread(true, true);
  for (int round = 1; round <= 10; ++round) {
    ASSERT_TRUE(thread.start());
    while (thread.after.load() < round) std::this_thread::yield();
  }
  thread.stop();
  EXPECT_EQ(thread.runs.load(), 10);
}

TEST(CThread, StopFromInsideRunDoesNotWaitForItself) {
  StepsThread thread(true);
  thread.selfStop = true;
  ASSERT_TRUE(thread.start());
  EXPECT_TRUE(thread.stop());
  EXPECT_TRUE(thread.selfStopResult.load());
  EXPECT_EQ(thread.after.load(), 1);
}
