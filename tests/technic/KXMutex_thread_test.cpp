#include "technic/KXMutex.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/Clock.h"
#include "platform/Thread.h"
#include "technic/KXMutexImpl.h"

TEST(KXMutex, TwoLocksNeedTwoUnlocksBeforeAnotherThreadGetsIt) {
  for (int round = 0; round < 5; ++round) {
    KXMutex mutex;
    std::atomic<bool> trying{false};
    std::atomic<bool> finalUnlockDone{false};
    std::atomic<bool> sawFinalUnlock{false};
    mutex.lock(__FILE__, __LINE__);
    mutex.lock(__FILE__, __LINE__);
    platform::Thread other;
    other.start([&] {
      trying = true;
      mutex.lock(__FILE__, __LINE__);
      sawFinalUnlock = finalUnlockDone.load();
      mutex.unlock(__FILE__, __LINE__);
    });
    while (!trying) platform::sleepMilliseconds(1);
    mutex.unlock(__FILE__, __LINE__);
    platform::sleepMilliseconds(10);  // room for the other thread to take it, were it free
    finalUnlockDone = true;
    mutex.unlock(__FILE__, __LINE__);
    other.join();
    EXPECT_TRUE(sawFinalUnlock.load());
  }
}

TEST(KXMutexImpl, UnlockByANonOwnerIsANoOpThatReportsSuccess) {
  KXMutexImpl mutex;
  ASSERT_EQ(mutex.lock(), 0);
  std::atomic<int> otherResult{1};
  platform::Thread other;
  other.start([&] { otherResult = mutex.unlock(); });
  other.join();
  EXPECT_EQ(otherResult.load(), 0);
  std::atomic<bool> gotIt{false};
  platform::Thread probe;
  probe.start([&] {
    // Still ours: the probe waits until this thread releases it below.
    mutex.lock();
    gotIt = true;
    mutex.unlock();
  });
  platform::sleepMilliseconds(10);
  EXPECT_FALSE(gotIt.load());
  mutex.unlock();
  probe.join();
  EXPECT_TRUE(gotIt.load());
}

TEST(KXMutexImpl, AbandonedMutexIsGrantedAndAWaiterOnAClosedMutexGetsMinusTwo) {
  KXMutexImpl abandoned;
  platform::Thread owner;
  owner.start([&] { abandoned.lock(); });
  owner.join();
  EXPECT_EQ(abandoned.lock(), 0);
  EXPECT_EQ(abandoned.unlock(), 0);

  // A thread waits while the owner closes the mutex and ends holding it: the wait ends by the
  // abandonment, and the waiter finds the mutex closed.
  KXMutexImpl closing;
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  std::atomic<int> waiterResult{1};
  platform::Thread holder;
  holder.start([&] {
    closing.lock();
    held = true;
    while (!release) platform::sleepMilliseconds(1);
    closing.close();
  });
  while (!held) platform::sleepMilliseconds(1);
  platform::Thread waiter;
  waiter.start([&] { waiterResult = closing.lock(); });
  platform::sleepMilliseconds(10);
  release = true;
  holder.join();
  waiter.join();
  EXPECT_EQ(waiterResult.load(), -2);
  EXPECT_EQ(closing.lock(), -2);
  EXPECT_EQ(closing.unlock(), -2);
  EXPECT_EQ(closing.close(), 0);
  EXPECT_EQ(closing.create(), 0);
  EXPECT_EQ(closing.create(), -1);
  EXPECT_EQ(closing.lock(), 0);
  EXPECT_EQ(closing.unlock(), 0);
}
