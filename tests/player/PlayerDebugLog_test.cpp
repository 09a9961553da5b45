#include "player/PlayerDebugLog.h"

#include <gtest/gtest.h>

#include "platform/DebugOutput.h"
#include "player/EngineClock.h"

namespace {

TEST(PlayerDebugLog, WritesLevelsUpToThreeWithThePlayerNumber) {
  PlayerDebugLog first, second, third;
  platform::DebugCapture capture;
  first.assignPlayerNumber();
  second.assignPlayerNumber();
  third.assignPlayerNumber();
  third.assignPlayerNumber();  // the number never changes once given
  EXPECT_EQ(first.playerNo() + 2, third.playerNo());
  third.printMessage(2, "decode error %d", 7);
  third.printMessage(4, "trace %d", 1);
  third.printMessage(5, "trace %d", 2);
  char expected[64];
  std::snprintf(expected, sizeof(expected), "player %.2d: decode error 7\n", third.playerNo());
  EXPECT_EQ(expected, capture.text());
}

TEST(PlayerDebugLog, UnnumberedPlayersLogAsZero) {
  PlayerDebugLog log;
  platform::DebugCapture capture;
  log.printMessage(3, "%s", "state");
  log.printMessage(1, "long %lld", 1234567890123LL);
  EXPECT_EQ("player 00: state\nplayer 00: long 1234567890123\n", capture.text());
}

TEST(EngineClock, NeverGoesBackwards) {
  int64_t last = getMicroSeconds();
  for (int i = 0; i < 10000; ++i) {
    const int64_t now = getMicroSeconds();
    ASSERT_GE(now, last);
    last = now;
  }
  EXPECT_GT(last, 0);
}

}  // namespace
