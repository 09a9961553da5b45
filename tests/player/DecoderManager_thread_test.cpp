// The decoder pool on real threads with scripted players: placement, starting and stopping threads,
// the pacing of one thread's passes (never early, no spinning), and calls into the pool from inside a
// serve. ThreadSanitizer runs this suite; every test that could hang runs under a time limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/DebugOutput.h"
#include "platform/Thread.h"
#include "player/DecoderManager.h"
#include "tests/player/Deadline.h"
#include "tests/player/FakeScheduledPlayer.h"

namespace {

using kxtest::FakeScheduledPlayer;
using std::chrono::seconds;

constexpr int64_t kMs = 1000;

template <typename Predicate>
bool eventually(Predicate done, int64_t limitMs = 20000) {
  const int64_t end = getMicroSeconds() + limitMs * kMs;
  while (!done()) {
    if (getMicroSeconds() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

int64_t earliest(const std::vector<int64_t>& lateness) {
  return lateness.empty() ? 0 : *std::min_element(lateness.begin(), lateness.end());
}

// Three players registered in turn on two threads land on the first, the second, the first; a thread
// runs while it has players, stops when its last one is released and starts again with the next.
TEST(DecoderManagerThreads, PlacementAndThreadLifetime) {
  kxtest::finishWithin(seconds(60), "placement", [] {
    platform::DebugCapture capture;
    DecoderManager manager(2);
    FakeScheduledPlayer a, b, c;
    ASSERT_TRUE(manager.registerDecoder(&a));
    ASSERT_TRUE(manager.registerDecoder(&b));
    ASSERT_TRUE(manager.registerDecoder(&c));
    EXPECT_EQ(0, manager.threadIndexOf(&a));
    EXPECT_EQ(1, manager.threadIndexOf(&b));
    EXPECT_EQ(0, manager.threadIndexOf(&c));
    EXPECT_TRUE(manager.registerDecoder(&a)) << "a listed player is left where it is";
    EXPECT_EQ((std::vector<size_t>{2, 1}), manager.listSizes());
    EXPECT_TRUE(capture.contains("after registerDecoder\ndecoder list size: 1\ndecoder list size: 0\n"));
    EXPECT_TRUE(manager.isThreadRunning(0));
    EXPECT_TRUE(manager.isThreadRunning(1));

    EXPECT_TRUE(manager.releseDecoder(&b));
    EXPECT_FALSE(manager.releseDecoder(&b));
    EXPECT_TRUE(capture.contains("releseDecoder\n"));
    EXPECT_FALSE(manager.isThreadRunning(1)) << "released with its last player";
    EXPECT_TRUE(manager.isThreadRunning(0));
    ASSERT_TRUE(manager.registerDecoder(&b));
    EXPECT_EQ(1, manager.threadIndexOf(&b));
    EXPECT_TRUE(manager.isThreadRunning(1));
    for (FakeScheduledPlayer* p : {&a, &b, &c}) EXPECT_TRUE(manager.releseDecoder(p));
    EXPECT_FALSE(manager.isThreadRunning(0));
    EXPECT_FALSE(manager.isThreadRunning(1));
  });
}

// A thread that cannot be created makes the registration fail and leaves the player unregistered;
// the next registration starts the thread.
TEST(DecoderManagerThreads, ThreadThatCannotStartRefusesTheRegistration) {
  kxtest::finishWithin(seconds(60), "start failure", [] {
    DecoderManager manager(1);
    FakeScheduledPlayer a;
    platform::Thread::failNextCreations(1);
    EXPECT_FALSE(manager.registerDecoder(&a));
    EXPECT_EQ(-1, manager.threadIndexOf(&a));
    EXPECT_FALSE(manager.isThreadRunning(0));
    EXPECT_TRUE(manager.registerDecoder(&a));
    EXPECT_TRUE(manager.isThreadRunning(0));
    EXPECT_TRUE(manager.releseDecoder(&a));
  });
}

// Players at 10 fps, 25 fps and a 25 fps stream at quarter speed share one thread: every frame is
// served, none more than 5 ms before it is due.
TEST(DecoderManagerThreads, MixedRatesOnOneThreadAreNeverEarly) {
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
TEST(DecoderManagerThreads, ManyPlayersDueTogetherAreNeverEarly) {
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
TEST(DecoderManagerThreads, NothingDueCostsNoProcessorTime) {
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
    EXPECT_LT(cpuEnd - cpuStart, wall / 50) << "cpu " << cpuEnd - cpuStart << " us in " << wall << " us";
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
TEST(DecoderManagerThreads, PushToIdlePlayerWakesTheThread) {
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

// Inside a serve (where a decode or draw callback runs) the player releases itself, registers again,
// releases another player on another thread and registers a new one: nothing deadlocks, the thread
// does not join itself, and the pool ends in the expected state.
TEST(DecoderManagerThreads, RegistrationAndReleaseFromInsideAServe) {
  kxtest::finishWithin(seconds(60), "calls from a serve", [] {
    DecoderManager manager(2);
    FakeScheduledPlayer self, other, late;
    std::atomic<int> step{0};
    ASSERT_TRUE(manager.registerDecoder(&self));
    ASSERT_TRUE(manager.registerDecoder(&other));
    ASSERT_EQ(1, manager.threadIndexOf(&other));
    self.setServeHook([&] {
      switch (step.fetch_add(1)) {
        case 0:
          EXPECT_TRUE(manager.releseDecoder(&self));  // its thread's last player: the loop ends after this pass
          EXPECT_TRUE(manager.registerDecoder(&self));  // and goes on after all
          break;
        case 1:
          EXPECT_TRUE(manager.releseDecoder(&other));  // served by the other thread
          EXPECT_TRUE(manager.registerDecoder(&late));
          break;
        case 2:
          EXPECT_TRUE(manager.releseDecoder(&self));
          break;
        default:
          break;
      }
    });
    self.scheduleFrames(getMicroSeconds(), 20 * kMs, 3);
    ASSERT_TRUE(eventually([&] { return step.load() >= 3; }));
    // The first thread's loop ended by itself after its player left from inside its own pass.
    ASSERT_TRUE(eventually([&] { return !manager.isThreadRunning(0); }));
    EXPECT_EQ(-1, manager.threadIndexOf(&self));
    EXPECT_EQ(-1, manager.threadIndexOf(&other));
    EXPECT_EQ(1, manager.threadIndexOf(&late));
    late.scheduleFrames(getMicroSeconds(), 10 * kMs, 2);
    ASSERT_TRUE(eventually([&] { return late.served() == 2; })) << "the new player is served";
    EXPECT_TRUE(manager.releseDecoder(&late));
    ASSERT_TRUE(eventually([&] { return !manager.isThreadRunning(0) && !manager.isThreadRunning(1); }));
  });
}

// A release from another thread returns only once the pass has let go of the player, also while the
// pass is inside that player's serve.
TEST(DecoderManagerThreads, ReleaseWaitsForTheServeInProgress) {
  kxtest::finishWithin(seconds(60), "release during serve", [] {
    DecoderManager manager(1);
    FakeScheduledPlayer player;
    std::atomic<bool> inServe{false}, serveDone{false};
    player.setServeHook([&] {
      inServe.store(true);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      serveDone.store(true);
    });
    player.scheduleFrames(getMicroSeconds(), 40 * kMs, 1);
    ASSERT_TRUE(manager.registerDecoder(&player));
    ASSERT_TRUE(eventually([&] { return inServe.load(); }));
    EXPECT_TRUE(manager.releseDecoder(&player));
    EXPECT_TRUE(serveDone.load());
    EXPECT_FALSE(manager.isThreadRunning(0));
  });
}

// A step on another thread holds the player's draw lock and, from its callback, stops the player while
// the pass waits to serve it: the release returns (the pass gives the player up) and nothing hangs.
TEST(DecoderManagerThreads, ReleaseWhileAStepHoldsTheDrawLock) {
  kxtest::finishWithin(seconds(60), "release during a step", [] {
    DecoderManager manager(1);
    FakeScheduledPlayer player;
    ASSERT_TRUE(manager.registerDecoder(&player));
    {
      std::lock_guard<std::recursive_mutex> step(player.drawLock());
      player.scheduleFrames(getMicroSeconds(), 40 * kMs, 5);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      EXPECT_EQ(0u, player.served()) << "the pass does not serve without the draw lock";
      EXPECT_TRUE(manager.releseDecoder(&player));
    }
    EXPECT_EQ(0u, player.served());
    EXPECT_FALSE(manager.isThreadRunning(0));
  });
}

// The manager deleted while players are still registered (process exit with open players): the threads
// stop promptly, whatever they were waiting for.
TEST(DecoderManagerThreads, DeletedWithPlayersStillRegistered) {
  kxtest::finishWithin(seconds(60), "exit with players", [] {
    FakeScheduledPlayer paused, playing, idle;
    paused.setPaused(true);
    playing.scheduleFrames(getMicroSeconds(), 40 * kMs, 100000);
    {
      auto manager = std::make_unique<DecoderManager>(2);
      for (FakeScheduledPlayer* p : {&paused, &playing, &idle}) ASSERT_TRUE(manager->registerDecoder(p));
      ASSERT_TRUE(eventually([&] { return playing.served() > 2; }));
    }
    const size_t served = playing.served();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(served, playing.served()) << "nothing is served after the manager is gone";
  });
}

}  // namespace
