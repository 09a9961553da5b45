#include "platform/OffscreenWindows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/WindowSystem.h"

namespace {

TEST(OffscreenWindowsThreads, PostsFromManyThreadsArriveOnceAndInOrderPerThread) {
  const HWND window = createOffscreenWindow(10, 10);
  constexpr int kThreads = 4, kPosts = 500;
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([=] {
      for (int i = 0; i < kPosts; ++i) platform::windows().postMessage(window, 0x7E8, static_cast<uintptr_t>(t), i);
    });
  }
  std::vector<WindowMessage> received;
  std::thread pumper([&] {
    while (received.size() < static_cast<size_t>(kThreads * kPosts)) {
      if (pumpWindowMessages(window, received) == 0) std::this_thread::yield();
    }
  });
  for (std::thread& poster : posters) poster.join();
  pumper.join();
  std::vector<long> next(kThreads, 0);
  for (const WindowMessage& m : received) {
    ASSERT_LT(m.wParam, static_cast<uintptr_t>(kThreads));
    EXPECT_EQ(next[m.wParam]++, m.lParam);
  }
  destroyOffscreenWindow(window);
}

TEST(OffscreenWindowsThreads, ClosingWhilePostingDropsTheRest) {
  const HWND window = createOffscreenWindow(10, 10);
  std::atomic<int> accepted{0}, refused{0};
  std::thread poster([&] {
    for (int i = 0; i < 20000; ++i) {
      (platform::windows().postMessage(window, 0x7E8, 0, i) ? accepted : refused)++;
    }
  });
  while (accepted.load() == 0) std::this_thread::yield();
  destroyOffscreenWindow(window);
  poster.join();
  EXPECT_EQ(20000, accepted.load() + refused.load());
  std::vector<WindowMessage> out;
  EXPECT_EQ(0, pumpWindowMessages(window, out));
}

}  // namespace
