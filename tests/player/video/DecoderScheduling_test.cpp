// The pacing of one decoder thread on real threads with scripted players: frames at different rates and
// many players due together are never shown more than 5 ms early, and a thread with nothing due sleeps.
// Timing is measured here, outside the ThreadSanitizer suite (whose instrumentation would be measured
// too); every test runs under a time limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "player/video/DecoderManager.h"
#include "tests/player/Deadline.h"
#include "tests/player/video/FakeScheduledPlayer.h"

namespace {

using kxtest::eventually;

using kxtest::FakeScheduledPlayer;
using std::chrono::seconds;

constexpr int64_t kMs = 1000;
// Sanitizer instrumentation (the AddressSanitizer build runs this suite too, unoptimised) multiplies
// the cost of every pass; the 2% bound holds for the code as shipped.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int64_t kInstrumentationFactor = 5;
#else
constexpr int64_t kInstrumentationFactor = 1;
#endif

int64_t earliest(const std::vector<int64_t>& lateness) {
  return lateness.empty() ? 0 : *std::min_element(lateness.begin(), lateness.end());
}

// Players at 10 fps, 25 fps and a 25 fps stream at quarter speed share one thread: every frame is
// served, none more than 5 ms before it is due.
TEST(DecoderScheduling, MixedRatesOnOneThreadAreNeverEarly) {
  kxtest::finishWithin(seconds(60), "mixed rates", [] {
    DecoderManager manager(1);
    FakeScheduledPlayer tenFps, twentyFiveFps, quarterSpeed;
    const int64_t start = getMicroSeconds() + 50 * kMs;
    tenFps.scheduleFrames(start, 100 * kMs, 15);
    twentyFiveFps.scheduleFrames(start + 3 * kMs, 40 * kMs, 38);
    quarterSpeed.scheduleFrames(start + 7 * kMs, 160 * kMs, 10);
    for (FakeScheduledPlayer* p : {&tenFps, &twentyFiveFps, &quarterSpeed}) ASSERT_TRUE(manager.registerDecoder(p));
    EXPECT_TRUE(eventually([&] {
      return tenFps.served() == 15 && twentyFiveFps.served() == 38 && quarterSpeed.served() == 10;
    }));
    for (FakeScheduledPlayer* p : {&tenFps, &twentyFiveFps, &quarterSpeed}) {
      EXPECT_GE(earliest(p->lateness()), -5 * kMs);
      manager.releseDecoder(p);
    }
  });
}

// Sixteen players whose frames fall due within a few milliseconds of each other on one thread: the
// batching never shows a frame more than 5 ms early.
TEST(DecoderScheduling, ManyPlayersDueTogetherAreNeverEarly) {
  kxtest::finishWithin(seconds(60), "many players", [] {
    DecoderManager manager(1);
    std::vector<std::unique_ptr<FakeScheduledPlayer>> players;
    const int64_t start = getMicroSeconds() + 60 * kMs;
    for (int i = 0; i < 16; ++i) {
      players.push_back(std::make_unique<FakeScheduledPlayer>());
      players.back()->scheduleFrames(start + (i % 6) * kMs, 40 * kMs, 20);
      ASSERT_TRUE(manager.registerDecoder(players.back().get()));
    }
    EXPECT_TRUE(eventually([&] {
      return std::all_of(players.begin(), players.end(), [](const auto& p) { return p->served() == 20; });
    }));
    for (auto& p : players) {
      EXPECT_GE(earliest(p->lateness()), -5 * kMs);
      manager.releseDecoder(p.get());
    }
  });
}

// With nothing due (paused players, a recording paced 400 ms apart, idle players) the thread sleeps:
// its CPU time stays under 2% of a core, and each paused player is redrawn once per 100 ms (a redraw
// batched with another serve may come up to 5 ms early).
TEST(DecoderScheduling, NothingDueCostsNoProcessorTime) {
  kxtest::finishWithin(seconds(60), "idle", [] {
    DecoderManager manager(1);
    FakeScheduledPlayer paused1, paused2, slow, idle1, idle2;
    paused1.setPaused(true);
    paused2.setPaused(true);
    slow.scheduleFrames(getMicroSeconds() + 400 * kMs, 400 * kMs, 100);
    for (FakeScheduledPlayer* p : {&paused1, &paused2, &slow, &idle1, &idle2}) ASSERT_TRUE(manager.registerDecoder(p));
    ASSERT_TRUE(eventually([&] { return paused1.surveys() > 3; }));
    const int64_t wallStart = getMicroSeconds();
    const int64_t cpuStart = paused1.lastCpu();
    const int surveysStart = paused1.surveys();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const int64_t cpuEnd = paused1.lastCpu();
    const int64_t wall = getMicroSeconds() - wallStart;
    testing::Test::RecordProperty("decoder_thread_cpu_us", static_cast<int>(cpuEnd - cpuStart));
    testing::Test::RecordProperty("wall_us", static_cast<int>(wall));
    EXPECT_LT(cpuEnd - cpuStart, wall / 50 * kInstrumentationFactor)
        << "cpu " << cpuEnd - cpuStart << " us in " << wall << " us";
    // A pass wakes for the redraws (10 a second) and the slow frames, never more than a few dozen times.
    EXPECT_LT(paused1.surveys() - surveysStart, 60);
    for (FakeScheduledPlayer* p : {&paused1, &paused2}) {
      const std::vector<int64_t> redraws = p->redraws();
      ASSERT_GE(redraws.size(), 5u);
      for (size_t i = 1; i < redraws.size(); ++i) EXPECT_GE(redraws[i] - redraws[i - 1], 94 * kMs);
    }
    EXPECT_GE(earliest(slow.lateness()), -5 * kMs);
    for (FakeScheduledPlayer* p : {&paused1, &paused2, &slow, &idle1, &idle2}) manager.releseDecoder(p);
  });
}

// An idle player's push wakes the thread at once (its input event) rather than after the idle wait.
TEST(DecoderScheduling, PushToIdlePlayerWakesTheThread) {
  kxtest::finishWithin(seconds(60), "wake", [] {
    DecoderManager manager(1);
    FakeScheduledPlayer idle;
    ASSERT_TRUE(manager.registerDecoder(&idle));
    ASSERT_TRUE(eventually([&] { return idle.surveys() > 2; }));
    idle.scheduleFrames(getMicroSeconds(), 40 * kMs, 1);
    ASSERT_TRUE(eventually([&] { return idle.served() == 1; }));
    EXPECT_LT(idle.lateness()[0], 15 * kMs);
    manager.releseDecoder(&idle);
  });
}

}  // namespace
