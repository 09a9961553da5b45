// A thousand open / play / close cycles of sixteen players on a two-thread pool: nothing leaks
// (AddressSanitizer runs this suite too) and the process's thread count returns to where it began.
#include <dirent.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/MemoryDisplay.h"
#include "platform/OffscreenWindows.h"
#include "player/DecoderManager.h"
#include "player/H264VideoPlayerImpl.h"
#include "tests/player/PlayerFixture.h"

namespace {

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

TEST(PlayerCycles, ThousandCyclesOfSixteenPlayers) {
  platform::MemoryDisplay::instance().reset();
  const HWND window = createOffscreenWindow(176, 144);
  DecoderManager manager(2);
  const int threadsBefore = threadCount();
  AVData keyFrame;
  kxtest::makeFrame(0, 1000000, keyFrame);
  std::vector<std::unique_ptr<H264VideoPlayerImpl>> players;
  for (int i = 0; i < 16; ++i) {
    players.push_back(std::make_unique<H264VideoPlayerImpl>(getMicroSeconds, nullptr, &manager));
    // Every fourth player draws into the window; the others decode only (no renderer to make).
    if (i % 4 == 0) players.back()->setVideoWindow(window, 0, 0, 176, 144);
    players.back()->setUseTimestampForVideo(false);
  }
  for (int cycle = 0; cycle < 1000; ++cycle) {
    for (auto& player : players) {
      ASSERT_EQ(0, player->openVideo());
      player->pushVideoFrame(keyFrame);
      ASSERT_EQ(0, player->playVideo());
    }
    for (auto& player : players) player->closeVideo();
  }
  EXPECT_EQ((std::vector<size_t>{0, 0}), manager.listSizes());
  EXPECT_FALSE(manager.isThreadRunning(0));
  EXPECT_FALSE(manager.isThreadRunning(1));
  EXPECT_EQ(threadsBefore, threadCount());
  players.clear();
  destroyOffscreenWindow(window);
}

}  // namespace
