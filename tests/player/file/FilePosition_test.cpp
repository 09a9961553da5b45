// Position arithmetic of file playback: the reported positions stay in range for every file size,
// and the frame asked for by a percentage or a time is a frame of the file.
#include <gtest/gtest.h>

#include "player/file/FilePosition.h"

namespace {

TEST(FilePosition, QueriesStayInRangeForEveryFileSize) {
  struct Case {
    const char* name;
    int64_t current, first, total, duration;
    long played, percent, seconds;
  };
  const Case cases[] = {
      {"before the first picture", -1, 1000, 250, 10, 0, 0, 0},
      {"first frame", 1000, 1000, 250, 10, 1, 0, 0},
      {"middle", 1124, 1000, 250, 10, 125, 50, 5},
      {"last frame", 1249, 1000, 250, 10, 250, 100, 10},
      {"a picture decoded before the first key frame", 999, 1000, 250, 10, 0, 0, 0},
      {"an id past the last frame", 1300, 1000, 250, 10, 250, 100, 10},
      {"empty file", -1, 0, 0, 0, 0, 0, 0},
      {"empty file with a picture", 5, 0, 0, 0, 0, 0, 0},
      {"one frame, duration 0", 7, 7, 1, 0, 1, 100, 0},
      {"one frame, not yet shown", -1, 7, 1, 0, 0, 0, 0},
      {"rounding up at one half", 1002, 1000, 8, 4, 3, 38, 2},  // 37.5 % and 1.5 s
      {"sequence ids above 2^31", 0x80000010LL, 0x80000000LL, 100, 4, 17, 17, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FilePosition position(c.current, c.first, c.total, c.duration);
    EXPECT_EQ(position.playedFrames(), c.played);
    EXPECT_EQ(position.percent(), c.percent);
    EXPECT_EQ(position.seconds(), c.seconds);
  }
}

TEST(FilePosition, TargetsAreFramesOfTheFile) {
  struct Case {
    long value;
    int64_t total;
    long frame;
  };
  const Case percentCases[] = {
      {0, 250, 1},   {100, 250, 250}, {50, 250, 125}, {1, 250, 3},  // 2.5 rounds up
      {0, 0, 1},     {100, 0, 1},     {100, 1, 1},    {0, 1, 1},
      {100, 30000000, 30000000},  // the product does not overflow 32 bits
  };
  for (const Case& c : percentCases) {
    EXPECT_EQ(FilePosition::frameForPercent(c.value, c.total), c.frame)
        << c.value << " % of " << c.total;
  }
  const Case secondCases[] = {
      {0, 10, 0}, {10, 10, 100}, {5, 10, 50}, {1, 3, 33}, {2, 3, 67}, {0, 0, 0},
  };
  for (const Case& c : secondCases) {
    EXPECT_EQ(FilePosition::percentForSeconds(c.value, c.total), c.frame)
        << c.value << " s of " << c.total;
  }
}

}  // namespace
