// A thousand open / play / close cycles of sixteen players on a two-thread pool, driven by four callers
// at once: nothing leaks (AddressSanitizer runs this suite too) and the process's thread count
// returns to where it began. The thousand run as four parts of 250, each a process of its own: every
// open and close of a decoder in the process is serialised, and under the sanitizer one process doing
// all 16,000 of them would outrun the test time limit.
#include <dirent.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/MemoryDisplay.h"
#include "platform/OffscreenWindows.h"
#include "player/video/DecoderManager.h"
#include "player/video/H264VideoPlayerImpl.h"
#include "tests/player/PlayerFixture.h"

namespace {

constexpr int kCyclesPerPart = 250;

int threadCount() {
  int count = 0;
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return -1;
  while (dirent* entry = readdir(tasks)) {
    if (entry->d_name[0] != '.') ++count;
  }
  closedir(tasks);
  return count;
}

class PlayerCycles : public testing::TestWithParam<int> {};

TEST_P(PlayerCycles, SixteenPlayersOpenPlayAndClose) {
  platform::MemoryDisplay::instance().reset();
  const HWND window = createOffscreenWindow(176, 144);
  DecoderManager manager(2);
  const int threadsBefore = threadCount();
  AVData keyFrame;
  kxtest::makeFrame(0, 1000000, keyFrame);
  // Four callers at once, each cycling four of the sixteen players.
  std::vector<std::unique_ptr<H264VideoPlayerImpl>> players;
  for (int i = 0; i < 16; ++i) {
    players.push_back(std::make_unique<H264VideoPlayerImpl>(getMicroSeconds, nullptr, &manager));
    // One player decodes a frame and draws it into the window each cycle; the others only open, play
    // and close (a decoder reopening for each stream and a renderer being made are slow under the
    // sanitizer, and not what is cycled here).
    if (i == 0) players.back()->setVideoWindow(window, 0, 0, 176, 144);
    players.back()->setUseTimestampForVideo(false);
  }
  std::atomic<int> failures{0};
  std::vector<std::thread> callers;
  for (int c = 0; c < 4; ++c) {
    callers.emplace_back([&, c] {
      for (int cycle = 0; cycle < kCyclesPerPart; ++cycle) {
        for (int i = c * 4; i < c * 4 + 4; ++i) {
          if (players[static_cast<size_t>(i)]->openVideo() != 0) failures.fetch_add(1);
          if (i == 0) players[0]->pushVideoFrame(keyFrame);
          if (players[static_cast<size_t>(i)]->playVideo() != 0) failures.fetch_add(1);
        }
        for (int i = c * 4; i < c * 4 + 4; ++i) players[static_cast<size_t>(i)]->closeVideo();
      }
    });
  }
  for (auto& caller : callers) caller.join();
  EXPECT_EQ(0, failures.load());
  EXPECT_EQ((std::vector<size_t>{0, 0}), manager.listSizes());
  EXPECT_FALSE(manager.isThreadRunning(0));
  EXPECT_FALSE(manager.isThreadRunning(1));
  EXPECT_EQ(threadsBefore, threadCount());
  players.clear();
  destroyOffscreenWindow(window);
}

INSTANTIATE_TEST_SUITE_P(ThousandCycles, PlayerCycles, testing::Range(1, 5));

}  // namespace
