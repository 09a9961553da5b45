#include "platform/Event.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/Thread.h"

TEST(Event, WaitForAnyWakesWhenAnotherThreadSetsOneEvent) {
  for (int round = 0; round < 50; ++round) {
    platform::Event first(false);
    platform::Event second(true);
    platform::Event* events[] = {&first, &second};
    int data = 0;
    platform::Thread setter;
    setter.start([&] {
      data = round;
      second.set();
    });
    EXPECT_EQ(platform::Event::waitForAny(events, 2, platform::kInfinite), 1);
    EXPECT_EQ(data, round);
    EXPECT_TRUE(second.wait(0)) << "a manual-reset event stays signalled";
    setter.join();
  }
}

TEST(Event, AutoResetSetReleasesExactlyOneOfTwoWaiters) {
  platform::Event event(false);
  std::atomic<int> released{0};
  auto waitBriefly = [&] {
    if (event.wait(300)) ++released;
  };
  platform::Thread a;
  platform::Thread b;
  a.start(waitBriefly);
  b.start(waitBriefly);
  event.set();
  a.join();
  b.join();
  EXPECT_EQ(released.load(), 1);
}

TEST(Event, ManualResetSetReleasesEveryWaiter) {
  platform::Event event(true);
  std::atomic<int> released{0};
  platform::Thread threads[4];
  for (platform::Thread& t : threads) t.start([&] {
      if (event.wait(platform::kInfinite)) ++released;
    });
  event.set();
  for (platform::Thread& t : threads) t.join();
  EXPECT_EQ(released.load(), 4);
}
