// The decoder pool on real threads with scripted players: placement, starting and stopping threads,
// and calls into the pool from inside a serve (the pacing is measured in DecoderScheduling_test). ThreadSanitizer runs this suite; every test that could hang runs under a time limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/DebugOutput.h"
#include "platform/Thread.h"
#include "player/video/DecoderManager.h"
#include "tests/player/Deadline.h"
#include "tests/player/video/FakeScheduledPlayer.h"

namespace {

using kxtest::eventually;

using kxtest::FakeScheduledPlayer;
using std::chrono::seconds;

constexpr int64_t kMs = 1000;

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

// Two threads: players of the first have all their frames due at once and take 4 ms a serve; the
// second has idle players only. The idle thread serves some of the busy thread's frames, yet no player
// is ever served on two threads at once or without its draw lock, every frame is served once (each
// serve takes the head frame, so in order), and every player stays listed where it was registered.
// Releases while frames are lent, and deleting the pool in the middle of it, leave nothing served after.
TEST(DecoderManagerThreads, AnIdleThreadServesDuePlayersOfABusyOne) {
  kxtest::finishWithin(seconds(60), "work sharing", [] {
    constexpr int kPlayers = 3, kFrames = 30;
    FakeScheduledPlayer busy[kPlayers], idle[kPlayers], late[kPlayers];
    auto manager = std::make_unique<DecoderManager>(2);
    for (int i = 0; i < kPlayers; ++i) {
      ASSERT_TRUE(manager->registerDecoder(&busy[i]));
      ASSERT_TRUE(manager->registerDecoder(&idle[i]));
    }
    for (FakeScheduledPlayer& p : busy) {
      p.setServeHook([] { std::this_thread::sleep_for(std::chrono::milliseconds(4)); });
      p.scheduleFrames(getMicroSeconds(), 0, kFrames);
    }
    ASSERT_TRUE(eventually([&] {
      return std::all_of(std::begin(busy), std::end(busy), [](const FakeScheduledPlayer& p) { return p.served() == kFrames; });
    }));
    std::vector<platform::ThreadId> servers;
    for (const FakeScheduledPlayer& p : busy) {
      const std::vector<platform::ThreadId> by = p.servedBy();
      EXPECT_EQ(static_cast<size_t>(kFrames), by.size()) << "every frame once";
      servers.insert(servers.end(), by.begin(), by.end());
      EXPECT_EQ(0, p.overlaps()) << "never on two threads at once";
      EXPECT_EQ(0, p.unlockedServes()) << "always under the draw lock";
    }
    std::sort(servers.begin(), servers.end());
    EXPECT_EQ(2, std::unique(servers.begin(), servers.end()) - servers.begin()) << "the idle thread helped";
    for (int i = 0; i < kPlayers; ++i) {
      EXPECT_EQ(0, manager->threadIndexOf(&busy[i])) << "listed where it was registered";
      EXPECT_EQ(1, manager->threadIndexOf(&idle[i]));
    }
    EXPECT_EQ((std::vector<size_t>{kPlayers, kPlayers}), manager->listSizes());

    // Released while their frames are being served on either thread: nothing is served after.
    for (FakeScheduledPlayer& p : busy) p.scheduleFrames(getMicroSeconds(), 0, 1000);
    ASSERT_TRUE(eventually([&] { return busy[0].served() > kFrames + 2; }));
    for (FakeScheduledPlayer& p : busy) {
      EXPECT_TRUE(manager->releseDecoder(&p));
      const size_t served = p.served();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      EXPECT_EQ(served, p.served()) << "served after its release";
    }
    // The pool deleted while frames are being lent.
    for (int i = 0; i < kPlayers; ++i) {
      late[i].setServeHook([] { std::this_thread::sleep_for(std::chrono::milliseconds(2)); });
      late[i].scheduleFrames(getMicroSeconds(), 0, 1000);
      ASSERT_TRUE(manager->registerDecoder(&late[i]));
    }
    ASSERT_TRUE(eventually([&] { return late[0].served() > 2; }));
    manager.reset();
    std::vector<size_t> served;
    for (const FakeScheduledPlayer& p : late) served.push_back(p.served());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (int i = 0; i < kPlayers; ++i) {
      EXPECT_EQ(served[static_cast<size_t>(i)], late[i].served()) << "served after the pool was deleted";
      EXPECT_EQ(0, late[i].overlaps());
    }
  });
}

// A group of frames due within a few milliseconds of each other is served once its wait ends, in the
// same pass, rather than surveyed again after it. The wait here returns at once, so a pass that did not
// serve the group after its wait would wait again and again until the frames' real due time.
TEST(DecoderManagerThreads, AGroupIsServedWhenItsWaitEnds) {
  kxtest::finishWithin(seconds(60), "group", [] {
    std::atomic<bool> armed{false};
    std::atomic<int> groupWaits{0};
    FakeScheduledPlayer first, second;
    auto waiter = [&](platform::Event* const*, std::size_t, std::uint32_t) {
      if (armed.load() && (first.served() == 0 || second.served() == 0)) {
        ++groupWaits;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // idle waits
      }
      return platform::kWaitTimeout;
    };
    DecoderManager manager(1, getMicroSeconds, waiter);
    ASSERT_TRUE(manager.registerDecoder(&first));
    ASSERT_TRUE(manager.registerDecoder(&second));
    const int64_t due = getMicroSeconds() + 60 * kMs;  // within the longest wait a group has
    first.scheduleFrames(due, 0, 1);
    second.scheduleFrames(due + 2 * kMs, 0, 1);
    armed.store(true);
    ASSERT_TRUE(eventually([&] { return first.served() == 1 && second.served() == 1; }));
    // One wait when the survey saw both, two when it saw the first alone (then it was served alone).
    EXPECT_LE(groupWaits.load(), 3);
    EXPECT_LT(second.lateness()[0], -20 * kMs) << "served after the fake wait, long before it was due";
    manager.releseDecoder(&first);
    manager.releseDecoder(&second);
  });
}

// A thread inside a long serve has another player whose frame falls due meanwhile: an idle thread of
// the pool serves that frame while the long serve is still running, instead of leaving it late until
// the busy thread's next pass. The player stays listed with its own thread.
TEST(DecoderManagerThreads, AFrameThatFallsDueDuringALongServeIsServedByAnIdleThread) {
  kxtest::finishWithin(seconds(60), "late frame", [] {
    DecoderManager manager(2);
    FakeScheduledPlayer slow, idle, quick;
    std::atomic<int64_t> slowEnd{0};
    slow.setServeHook([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      slowEnd.store(getMicroSeconds());
    });
    ASSERT_TRUE(manager.registerDecoder(&slow));
    ASSERT_TRUE(manager.registerDecoder(&idle));
    ASSERT_TRUE(manager.registerDecoder(&quick));
    ASSERT_EQ(0, manager.threadIndexOf(&quick));
    const int64_t start = getMicroSeconds();
    quick.scheduleFrames(start + 50 * kMs, 0, 1);
    slow.scheduleFrames(start, 0, 1);
    ASSERT_TRUE(eventually([&] { return slow.served() == 1 && quick.served() == 1 && slowEnd.load() != 0; }));
    const int64_t quickServed = start + 50 * kMs + quick.lateness()[0];
    EXPECT_LT(quickServed, slowEnd.load()) << "served while the long serve ran";
    EXPECT_NE(slow.servedBy()[0], quick.servedBy()[0]);
    EXPECT_EQ(0, quick.overlaps());
    EXPECT_EQ(0, quick.unlockedServes());
    EXPECT_EQ(0, manager.threadIndexOf(&quick)) << "still listed where it was registered";
    for (FakeScheduledPlayer* p : {&slow, &idle, &quick}) manager.releseDecoder(p);
  });
}

}  // namespace
