#include "technic/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/Clock.h"
#include "platform/Thread.h"

namespace {

// A worker whose body is given by the test.
class TestWorker : public WorkerThread {
 public:
  explicit TestWorker(std::function<int(TestWorker&)> body) : m_body(std::move(body)) {}
  ~TestWorker() override { join(); }
  int exitCode() { return getExitCode(); }
  std::uint32_t workerId() { return getWorkerThreadId(); }

 protected:
  int run() override { return m_body(*this); }

 private:
  std::function<int(TestWorker&)> m_body;
};

// Counts the stop polls and makes each one short. Polls after a given count can be held until a
// condition holds, so that a test does not depend on how soon a loaded machine runs the worker again.
class PollCounter {
 public:
  PollCounter() {
    m_previous = platform::setSleepHook([this](std::uint32_t) {
      const int polls = ++m_polls;
      if (m_release && polls > m_holdAfter) {
        while (!m_release()) std::this_thread::yield();
        return;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    });
  }
  ~PollCounter() { platform::setSleepHook(m_previous); }
  int polls() const { return m_polls.load(); }
  void waitFor(int polls) const {
    while (m_polls.load() < polls) std::this_thread::yield();
  }
  // Set before the polls begin.
  void holdPollsAfter(int polls, std::function<bool()> release) {
    m_holdAfter = polls;
    m_release = std::move(release);
  }

 private:
  std::atomic<int> m_polls{0};
  int m_holdAfter = 0;
  std::function<bool()> m_release;
  platform::SleepHook m_previous;
};

}  // namespace

TEST(WorkerThread, StartReturnsOnlyAfterNotifyStartedEveryTime) {
  for (int round = 0; round < 200; ++round) {
    std::atomic<bool> notified{false};
    TestWorker worker([&](TestWorker& self) {
      if (round % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      notified = true;
      self.notifyStarted();
      return round;
    });
    ASSERT_EQ(worker.start(), 0);
    EXPECT_TRUE(notified.load()) << "round " << round;
    worker.join();
    EXPECT_EQ(worker.exitCode(), round);
  }
}

TEST(WorkerThread, RunWithoutNotifyStartedReleasesStartWhenItEnds) {
  for (int round = 0; round < 50; ++round) {
    std::atomic<bool> ended{false};
    TestWorker worker([&](TestWorker&) {
      ended = true;
      return 3;
    });
    ASSERT_EQ(worker.start(), 0);
    EXPECT_TRUE(ended.load());
    EXPECT_FALSE(worker.isRunning());
    EXPECT_EQ(worker.exitCode(), 3);
    EXPECT_EQ(worker.stop(), -4);
  }
}

TEST(WorkerThread, SecondStartWhileRunningIsRefusedAndStopBeforeStartFindsNothing) {
  std::atomic<bool> quit{false};
  std::atomic<int> bodies{0};
  TestWorker worker([&](TestWorker& self) {
    ++bodies;
    self.notifyStarted();
    while (!quit) std::this_thread::yield();
    return 0;
  });
  EXPECT_EQ(worker.stop(), -4);
  EXPECT_EQ(worker.join(), -4);
  ASSERT_EQ(worker.start(), 0);
  EXPECT_TRUE(worker.isRunning());
  EXPECT_NE(worker.workerId(), 0u);
  EXPECT_NE(worker.workerId(), platform::currentThreadId());
  EXPECT_EQ(worker.start(), -5);
  platform::Thread releaser;  // ends run a little after join has begun waiting
  releaser.start([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    quit = true;
  });
  EXPECT_EQ(worker.join(), 0);
  releaser.join();
  EXPECT_EQ(bodies.load(), 1);
  EXPECT_FALSE(worker.isRunning());
}

TEST(WorkerThread, ARunThatEndedByItselfIsJoinedByTheNextStart) {
  std::atomic<int> runs{0};
  TestWorker worker([&](TestWorker& self) {
    self.notifyStarted();
    return ++runs;
  });
  for (int round = 1; round <= 20; ++round) {
    ASSERT_EQ(worker.start(), 0) << "round " << round;
    while (worker.isRunning()) std::this_thread::yield();
  }
  EXPECT_EQ(worker.stop(), -4);
  EXPECT_EQ(runs.load(), 20);
  EXPECT_EQ(worker.exitCode(), 20);
}

TEST(WorkerThread, StopPollsWhileRunEndsWithinTheLimitThenReportsNoneRunning) {
  PollCounter counter;
  TestWorker worker([&](TestWorker& self) {
    self.notifyStarted();
    counter.waitFor(300);
    return 0;
  });
  // The run ends after poll 300; the polls after it wait until the end is seen, however late the
  // worker is scheduled, so that stop finds it ended well within its limit.
  counter.holdPollsAfter(300, [&] { return !worker.isRunning(); });
  ASSERT_EQ(worker.start(), 0);
  EXPECT_EQ(worker.stop(), -4);
  EXPECT_GE(counter.polls(), 300);
  EXPECT_LT(counter.polls(), 500);
  EXPECT_FALSE(worker.isRunning());
}

TEST(WorkerThread, StopGivesUpPollingAfter500AndJoinsTheLongRun) {
  PollCounter counter;
  TestWorker worker([&](TestWorker& self) {
    self.notifyStarted();
    counter.waitFor(500);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // still running when stop joins
    return 9;
  });
  ASSERT_EQ(worker.start(), 0);
  EXPECT_EQ(worker.stop(), 0);
  EXPECT_EQ(counter.polls(), 500);
  EXPECT_EQ(worker.exitCode(), 9);
}

TEST(WorkerThread, StopOrJoinFromTheWorkerItselfReturnsAtOnce) {
  std::atomic<int> stopResult{1};
  std::atomic<int> joinResult{1};
  std::atomic<bool> currentInside{false};
  TestWorker worker([&](TestWorker& self) {
    self.notifyStarted();
    currentInside = self.isCurrentThread();
    stopResult = self.stop();
    joinResult = self.join();
    return 0;
  });
  ASSERT_EQ(worker.start(), 0);
  while (worker.isRunning()) std::this_thread::yield();
  EXPECT_TRUE(currentInside.load());
  EXPECT_FALSE(worker.isCurrentThread());
  EXPECT_EQ(stopResult.load(), -4);
  EXPECT_EQ(joinResult.load(), -4);
  EXPECT_EQ(worker.join(), -4);
}

TEST(WorkerThread, FailedThreadCreationGivesMinusTwoAndClearsRunning) {
  TestWorker worker([](TestWorker& self) {
    self.notifyStarted();
    return 0;
  });
  platform::Thread::failNextCreations(1);
  EXPECT_EQ(worker.start(), -2);
  EXPECT_FALSE(worker.isRunning());
  EXPECT_EQ(worker.start(), 0);
  worker.join();
}
