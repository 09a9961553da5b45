#include "platform/Event.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

TEST(Event, ManualResetStaysSignalledAutoResetIsConsumedByOneWait) {
  platform::Event manual(true, true);
  EXPECT_TRUE(manual.wait(0));
  EXPECT_TRUE(manual.wait(0));
  manual.reset();
  EXPECT_FALSE(manual.wait(0));

  platform::Event automatic(false);
  EXPECT_FALSE(automatic.wait(0));
  automatic.set();
  automatic.set();  // setting twice still releases one wait
  EXPECT_TRUE(automatic.wait(0));
  EXPECT_FALSE(automatic.wait(0));
}

TEST(Event, WaitForAnyGivesTheFirstSignalledIndexAndConsumesOnlyThatOne) {
  std::vector<platform::Event*> events;
  std::vector<std::unique_ptr<platform::Event>> owned;
  for (int i = 0; i < 64; ++i) {
    owned.push_back(std::make_unique<platform::Event>(false));
    events.push_back(owned.back().get());
  }
  owned[63]->set();
  owned[40]->set();
  EXPECT_EQ(platform::Event::waitForAny(events.data(), events.size(), 0), 40);
  EXPECT_EQ(platform::Event::waitForAny(events.data(), events.size(), 0), 63);
  EXPECT_EQ(platform::Event::waitForAny(events.data(), events.size(), 0), platform::kWaitTimeout);

  platform::Event extra(false, true);
  events.push_back(&extra);
  EXPECT_EQ(platform::Event::waitForAny(events.data(), events.size(), 0), platform::kWaitFailed);
  EXPECT_EQ(platform::Event::waitForAny(events.data(), 0, 0), platform::kWaitFailed);
}

TEST(Event, TimedWaitEndsAfterItsTimeout) {
  platform::Event event(true);
  platform::Event* list[] = {&event};
  auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(platform::Event::waitForAny(list, 1, 30), platform::kWaitTimeout);
  auto waited = std::chrono::steady_clock::now() - before;
  EXPECT_GE(waited, std::chrono::milliseconds(30));
  EXPECT_LT(waited, std::chrono::seconds(2));
}
