#include "technic/KXMutex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "platform/Mutex.h"
#include "technic/GlobalMutexes.h"
#include "technic/KXMutexLocker.h"

TEST(KXMutex, FreshMutexIsInitialisedAndInitReportsIt) {
  KXMutex mutex;
  EXPECT_TRUE(mutex.isInitialized());
  EXPECT_EQ(mutex.init(), -1);
  EXPECT_EQ(mutex.lock("player", 12), 0);
  EXPECT_EQ(mutex.lock("player", 13), 0);
  EXPECT_EQ(mutex.unlock("player", 14), 0);
  EXPECT_EQ(mutex.unlock("player", 15), 0);
}

TEST(KXMutex, LockingAMutexWhoseCreationFailedThrowsWithItsAddressAndTheLocation) {
  platform::Mutex::failNextCreations(3);  // the core's creation, the constructor's retry, and init
  KXMutex mutex;
  EXPECT_FALSE(mutex.isInitialized());
  EXPECT_EQ(mutex.init(), -3);
  char expected[256];
  std::snprintf(expected, sizeof(expected), "Mutex(0x%lx) not initialized,lock at line 12 of player ",
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(&mutex)));
  try {
    mutex.lock("player", 12);
    FAIL() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), expected);
  }
  EXPECT_EQ(mutex.unlock("player", 13), -2);
  EXPECT_EQ(mutex.init(), 0) << "a later init creates it";
  EXPECT_EQ(mutex.lock("player", 14), 0);
  EXPECT_EQ(mutex.unlock("player", 15), 0);
}

TEST(KXMutex, ErrorTextIsCutAt255Characters) {
  platform::Mutex::failNextCreations(2);
  KXMutex mutex;
  std::string longFile(400, 'f');
  try {
    mutex.lock(longFile.c_str(), 1);
    FAIL() << "no exception";
  } catch (const std::runtime_error& error) {
    std::string text = error.what();
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text.find("Mutex(0x"), 0u);
    EXPECT_EQ(text.back(), 'f');
  }
}

TEST(KXMutex, LockerReleasesOnScopeExitAndNests) {
  KXMutex mutex;
  {
    KXMutexLocker outer(mutex, __FILE__, __LINE__);
    KXMutexLocker inner(mutex, __FILE__, __LINE__);
  }
  EXPECT_EQ(lockMutex(mutex), 0);
  EXPECT_EQ(unlockMutex(mutex), 0);
}

TEST(KXMutex, ProcessWideMutexesExistBeforeTheProgramRuns) {
  EXPECT_TRUE(gDecoderManagerMutex.isInitialized());
  EXPECT_TRUE(gJpegMutex.isValid());
  EXPECT_TRUE(gAvcodecMutex.isValid());
  EXPECT_EQ(gDecoderManagerMutex.lock(), 0);
  EXPECT_EQ(gDecoderManagerMutex.unlock(), 0);
}
