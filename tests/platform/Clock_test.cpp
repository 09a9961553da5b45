#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Clock, CountersAdvanceAndSleepWaitsAtLeastItsTime) {
  EXPECT_EQ(platform::performanceFrequency(), 1000000);
  std::uint32_t tickBefore = platform::tickCount();
  std::int64_t before = platform::performanceCounter();
  platform::sleepMilliseconds(20);
  std::int64_t elapsed = platform::performanceCounter() - before;
  EXPECT_GE(elapsed, 20000);
  EXPECT_LT(elapsed, 2000000);
  std::uint32_t tickElapsed = platform::tickCount() - tickBefore;  // unsigned: right across a wrap too
  EXPECT_GE(tickElapsed, 19u);
  EXPECT_LT(tickElapsed, 2000u);
}

TEST(Clock, TestsCanReplaceTheTickSourceAndTheSleep) {
  platform::TickSource previousTicks = platform::setTickSource([] { return 0xFFFFFFF0u; });
  EXPECT_EQ(platform::tickCount(), 0xFFFFFFF0u);
  platform::setTickSource(previousTicks);

  std::vector<std::uint32_t> slept;
  platform::SleepHook previousSleep = platform::setSleepHook([&slept](std::uint32_t ms) { slept.push_back(ms); });
  std::int64_t before = platform::performanceCounter();
  platform::sleepMilliseconds(60000);
  EXPECT_LT(platform::performanceCounter() - before, 1000000);
  platform::setSleepHook(previousSleep);
  EXPECT_EQ(slept, std::vector<std::uint32_t>{60000});
}
