#include "technic/SafePointer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "platform/Thread.h"

namespace {
struct Shared {
  static std::atomic<int> destroyed;
  ~Shared() { ++destroyed; }
};
std::atomic<int> Shared::destroyed{0};
}  // namespace

KX_SAFE_POINTER_TYPE_NAME(Shared, "class Shared");

TEST(SafePointer, CopiesMadeAndDroppedOnManyThreadsDeleteTheObjectOnceAtTheEnd) {
  Shared::destroyed = 0;
  {
    SafePointer<Shared> original(new Shared);
    std::vector<std::unique_ptr<platform::Thread>> threads;
    for (int t = 0; t < 6; ++t) {
      // Each thread gets its own handle (one handle object is not shared between threads).
      auto handle = std::make_shared<SafePointer<Shared>>(original);
      threads.push_back(std::make_unique<platform::Thread>());
      threads.back()->start([handle] {
        for (int i = 0; i < 2000; ++i) {
          SafePointer<Shared> copy(*handle);
          SafePointer<Shared> other(new Shared);
          other = copy;
        }
      });
    }
    for (auto& thread : threads) thread->join();
    EXPECT_EQ(Shared::destroyed.load(), 6 * 2000);
  }
  EXPECT_EQ(Shared::destroyed.load(), 6 * 2000 + 1);
}
