#include "platform/Mutex.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/Thread.h"

namespace {

bool lockableFromAnotherThread(platform::Mutex& mutex) {
  std::atomic<bool> got{false};
  platform::Thread other;
  other.start([&] {
    if (mutex.tryLock()) {
      got = true;
      mutex.unlock();
    }
  });
  other.join();
  return got.load();
}

}  // namespace

TEST(Mutex, IsRecursiveAndHeldUntilTheLastUnlock) {
  platform::Mutex mutex;
  ASSERT_TRUE(mutex.isValid());
  EXPECT_EQ(mutex.lock(), platform::Mutex::LockResult::Acquired);
  EXPECT_EQ(mutex.lock(), platform::Mutex::LockResult::Acquired);
  EXPECT_TRUE(mutex.tryLock());
  mutex.unlock();
  mutex.unlock();
  EXPECT_FALSE(lockableFromAnotherThread(mutex));
  mutex.unlock();
  EXPECT_TRUE(lockableFromAnotherThread(mutex));
}

TEST(Mutex, UnlockByANonOwnerDoesNothing) {
  platform::Mutex mutex;
  mutex.lock();
  platform::Thread other;
  other.start([&] { mutex.unlock(); });
  other.join();
  EXPECT_FALSE(lockableFromAnotherThread(mutex)) << "still held by this thread";
  mutex.unlock();
  mutex.unlock();  // not held any more: no effect either
  EXPECT_TRUE(lockableFromAnotherThread(mutex));
}

TEST(Mutex, AbandonedByItsEndedOwnerIsGrantedToTheNextWaiter) {
  platform::Mutex mutex;
  platform::Thread owner;
  owner.start([&] {
    mutex.lock();
    mutex.lock();  // ends holding it twice
  });
  owner.join();
  EXPECT_EQ(mutex.lock(), platform::Mutex::LockResult::Abandoned);
  mutex.unlock();  // one unlock releases it: the dead owner's count is gone
  EXPECT_TRUE(lockableFromAnotherThread(mutex));
  EXPECT_EQ(mutex.lock(), platform::Mutex::LockResult::Acquired);
  mutex.unlock();
}

TEST(Mutex, WaiterGetsTheMutexWhenTheOwnerReleasesIt) {
  platform::Mutex mutex;
  std::atomic<int> counter{0};
  int shared = 0;
  mutex.lock();
  platform::Thread waiter;
  waiter.start([&] {
    mutex.lock();
    shared += 1;
    counter = 1;
    mutex.unlock();
  });
  shared = 41;
  mutex.unlock();
  waiter.join();
  EXPECT_EQ(counter.load(), 1);
  EXPECT_EQ(shared, 42);
}

TEST(Mutex, FailedCreationIsReportedAndLocksFail) {
  platform::Mutex::failNextCreations(1);
  platform::Mutex broken;
  EXPECT_FALSE(broken.isValid());
  EXPECT_EQ(broken.lock(), platform::Mutex::LockResult::Failed);
  EXPECT_FALSE(broken.tryLock());
  broken.unlock();
  platform::Mutex fine;
  EXPECT_TRUE(fine.isValid());
}

TEST(Mutex, DestroyingAMutexLeftHeldByAnEndedOwnerOrByItselfIsClean) {
  {
    platform::Mutex mutex;
    platform::Thread owner;
    owner.start([&] { mutex.lock(); });
    owner.join();
  }
  {
    platform::Mutex mutex;
    mutex.lock();
    mutex.lock();
  }
  SUCCEED() << "ThreadSanitizer would report the destruction of a locked mutex";
}
