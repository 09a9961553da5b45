#include "technic/TimeValue.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/Clock.h"

TEST(TimeValue, SetClampsNegativePartsAndDoesNotNormalise) {
  struct Case {
    int seconds, microseconds, wantSeconds, wantMicroseconds;
  };
  const Case cases[] = {
      {-5, 2000000, 0, 2000000}, {3, -1, 3, 0}, {0, 0, 0, 0}, {7, 999999, 7, 999999}, {-1, -1, 0, 0},
  };
  for (const Case& c : cases) {
    TimeValue value;
    value.set(c.seconds, c.microseconds);
    EXPECT_EQ(value.getSeconds(), c.wantSeconds) << c.seconds << "," << c.microseconds;
    EXPECT_EQ(value.getMicroseconds(), c.wantMicroseconds) << c.seconds << "," << c.microseconds;
  }
  TimeValue fresh;
  EXPECT_EQ(fresh.getSeconds(), 0);
  EXPECT_EQ(fresh.getMicroseconds(), 0);
}

TEST(TimeValue, NowSplitsTheTickCountTakenAsUnsigned) {
  struct Case {
    std::uint32_t ticks;
    int seconds, microseconds;
  };
  const Case cases[] = {{123456u, 123, 456000}, {999u, 0, 999000}, {0xFFFFFFFFu, 4294967, 295000}};
  for (const Case& c : cases) {
    platform::TickSource previous = platform::setTickSource([&c] { return c.ticks; });
    TimeValue now = TimeValue::now();
    platform::setTickSource(previous);
    EXPECT_EQ(now.getSeconds(), c.seconds) << c.ticks;
    EXPECT_EQ(now.getMicroseconds(), c.microseconds) << c.ticks;
  }
}

TEST(TimeValue, SleepForTruncatesMicrosecondsToWholeMilliseconds) {
  std::vector<std::uint32_t> slept;
  platform::SleepHook previous = platform::setSleepHook([&slept](std::uint32_t ms) { slept.push_back(ms); });
  sleepFor(TimeValue(1, 999));
  sleepFor(TimeValue(0, 1500));
  sleepFor(TimeValue(2, 2000000));
  sleepFor(TimeValue(2147483647, 0));  // far beyond 32-bit milliseconds: the longest finite sleep
  platform::setSleepHook(previous);
  EXPECT_EQ(slept, (std::vector<std::uint32_t>{1000, 1, 4000, 0xFFFFFFFEu}));
}
