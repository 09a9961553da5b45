#include "app/playback/ReadLiveVideoThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/app/AppTestSupport.h"
#include "tests/app/playback/FakePlayback.h"

namespace {

struct Outcome {
  std::string taken;
  std::vector<std::pair<long, long>> reports;
};

// Feeds a file of `bytes` into a fake stream player that takes at most `takeAtMost` bytes a push.
Outcome feed(const std::string& bytes, unsigned takeAtMost) {
  apptest::ScopedModuleDir dir;
  const std::string path = dir.path() + "stream.ts";
  apptest::writeFile(path, bytes);
  apptest::FakePlayer player;
  player.mode = 2;
  player.takeAtMost = takeAtMost;
  player.timeStamp = 7;
  Outcome outcome;
  app::ReadLiveVideoThread feeder;
  feeder.setPlayer(&player);
  feeder.setPath(path);
  feeder.setTag(42);
  feeder.setTimings(1, 20);
  feeder.setEndReporter([&](long tag, long result) { outcome.reports.emplace_back(tag, result); });
  feeder.start();
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!feeder.isFinished() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  feeder.stop();
  outcome.taken = player.taken;
  return outcome;
}

std::string pattern(std::size_t length) {
  std::string bytes(length, '\0');
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

TEST(ReadLiveVideoThread, BytesReachThePlayerInOrderAndAShortTailStaysBehind) {
  struct Case {
    const char* what;
    std::size_t fileBytes;
    unsigned takeAtMost;
    std::size_t expectedTaken;
  };
  const std::size_t buffer = app::ReadLiveVideoThread::kBufferSize;
  const Case cases[] = {
      {"whole packets, taken at once", 188 * 40, 0, 188 * 40},
      {"taken in parts that leave less than a packet behind", 188 * 40 + 100, 188 * 3 + 50, 188 * 40 + 100},
      {"a short last piece is never pushed on its own", 188 * 2 + 100, 188 * 2, 188 * 2},
      {"more than one buffer", buffer * 2 + 188 * 5, 100000, buffer * 2 + 188 * 5},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    const std::string bytes = pattern(test.fileBytes);
    const Outcome outcome = feed(bytes, test.takeAtMost);
    EXPECT_EQ(outcome.taken.size(), test.expectedTaken);
    EXPECT_TRUE(outcome.taken == bytes.substr(0, test.expectedTaken)) << "the bytes arrive as the file holds them";
    ASSERT_EQ(outcome.reports.size(), 1u);
    EXPECT_EQ(outcome.reports[0], std::make_pair(42L, 0L)) << "the end is reported with the open's tag";
  }
}

TEST(ReadLiveVideoThread, FilesWithNothingToPlayAreReportedAsFailed) {
  for (const std::string& bytes : {std::string(), std::string(187, '\x47')}) {
    const Outcome outcome = feed(bytes, 0);
    EXPECT_TRUE(outcome.taken.empty());
    ASSERT_EQ(outcome.reports.size(), 1u);
    EXPECT_EQ(outcome.reports[0].second, app::ReadLiveVideoThread::FeedFailed);
  }
}

}  // namespace
