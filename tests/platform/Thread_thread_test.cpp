#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>

TEST(Thread, RunsItsBodyUnderAnIdKnownBeforeItRuns) {
  platform::Thread thread;
  std::atomic<platform::ThreadId> seenInside{0};
  std::atomic<bool> sawItselfCurrent{false};
  ASSERT_TRUE(thread.start([&] {
    seenInside = platform::currentThreadId();
    sawItselfCurrent = thread.isCurrent();
  }));
  platform::ThreadId id = thread.id();
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, platform::currentThreadId());
  EXPECT_FALSE(thread.isCurrent());
  EXPECT_FALSE(thread.start([] {})) << "a second start while a thread is held";
  EXPECT_TRUE(thread.join());
  EXPECT_EQ(seenInside.load(), id);
  EXPECT_TRUE(sawItselfCurrent.load());
  EXPECT_FALSE(thread.isHeld());
  EXPECT_EQ(thread.id(), 0u);
  EXPECT_FALSE(thread.join()) << "nothing left to join";
}

TEST(Thread, IdsAreDistinctAndStable) {
  std::set<platform::ThreadId> ids;
  for (int i = 0; i < 8; ++i) {
    platform::Thread thread;
    ASSERT_TRUE(thread.start([] {}));
    ids.insert(thread.id());
    thread.join();
  }
  EXPECT_EQ(ids.size(), 8u);
  EXPECT_EQ(platform::currentThreadId(), platform::currentThreadId());
  EXPECT_EQ(ids.count(platform::currentThreadId()), 0u);
}

TEST(Thread, JoinFromTheThreadItselfRefusesInsteadOfHanging) {
  platform::Thread thread;
  std::atomic<int> selfJoin{-1};
  ASSERT_TRUE(thread.start([&] { selfJoin = thread.join() ? 1 : 0; }));
  EXPECT_TRUE(thread.join());
  EXPECT_EQ(selfJoin.load(), 0);
}

TEST(Thread, DestructorJoinsAndInjectedCreationFailureIsReported) {
  std::atomic<bool> ran{false};
  {
    platform::Thread thread;
    ASSERT_TRUE(thread.start([&] { ran = true; }));
  }
  EXPECT_TRUE(ran.load());

  platform::Thread::failNextCreations(1);
  platform::Thread failing;
  EXPECT_FALSE(failing.start([] {}));
  EXPECT_FALSE(failing.isHeld());
  EXPECT_TRUE(failing.start([] {}));
  EXPECT_TRUE(failing.join());
}
