// Video players on shared decoder threads under ThreadSanitizer: stepping one player while others on
// the same thread play, and play, pause, stop and close called from inside decode and draw callbacks.
// Every test runs under a time limit: a hang fails it.
#include "player/video/H264VideoPlayerImpl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/MemoryDisplay.h"
#include "platform/OffscreenWindows.h"
#include "player/video/DecoderManager.h"
#include "tests/player/Deadline.h"
#include "tests/player/PlayerFixture.h"

namespace {

using kxtest::eventually;

using std::chrono::seconds;

// A player in its own offscreen window whose callbacks run a test's function.
struct TestPlayer {
  explicit TestPlayer(DecoderManager& manager)
      : player(std::make_unique<H264VideoPlayerImpl>(getMicroSeconds, nullptr, &manager)),
        window(createOffscreenWindow(176, 144)) {
    player->setVideoWindow(window, 0, 0, 176, 144);
    EXPECT_EQ(0, player->openVideo());
    player->setUseTimestampForVideo(false);
    player->setInputQueueMaxSize(400);
    player->setDecodeCallBack(0, &TestPlayer::onDecode, this);
    player->setDrawFuncForRender(0, &TestPlayer::onDraw, this, false);
  }
  ~TestPlayer() {
    player.reset();
    destroyOffscreenWindow(window);
  }
  // Pushes frames first..last-1 of the recording, offering each again while the queue is full.
  void push(int first, int last) {
    for (int i = first; i < last; ++i) {
      AVData frame;
      kxtest::makeFrame(i, 1000000, frame);
      while (player->pushVideoFrame(frame) == -13) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  static long onDecode(long, const char*, long, FRAME_INFO*, void* user) {
    auto* self = static_cast<TestPlayer*>(user);
    const int n = self->decoded.fetch_add(1) + 1;
    if (self->afterDecode) self->afterDecode(n);
    return 0;
  }
  static long onDraw(long, HDC, void* user) {
    auto* self = static_cast<TestPlayer*>(user);
    const int n = self->drawn.fetch_add(1) + 1;
    if (self->afterDraw) self->afterDraw(n);
    return 0;
  }

  std::unique_ptr<H264VideoPlayerImpl> player;
  HWND window;
  std::atomic<int> decoded{0};
  std::atomic<int> drawn{0};
  std::function<void(int)> afterDecode;
  std::function<void(int)> afterDraw;
};

class VideoPlayerThreads : public testing::Test {
 protected:
  void SetUp() override { platform::MemoryDisplay::instance().reset(); }
};

// One thread serves three players: two play pushed frames while the third is stepped from this
// thread; each step shows exactly one more frame of the stepped player.
TEST_F(VideoPlayerThreads, SteppingWhileOthersOnTheSameThreadPlay) {
  kxtest::finishWithin(seconds(120), "stepping", [] {
    DecoderManager manager(1);
    TestPlayer stepped(manager), first(manager), second(manager);
    stepped.push(0, 40);
    ASSERT_EQ(0, first.player->playVideo());
    ASSERT_EQ(0, second.player->playVideo());
    ASSERT_EQ(0, stepped.player->playVideo());
    std::thread feeder([&] {
      first.push(0, 120);
      second.push(0, 120);
    });
    ASSERT_TRUE(eventually([&] { return stepped.decoded.load() > 0; }));
    stepped.player->pauseVideo();
    // However many of the first 40 the thread decoded before the pause, 15 more wait for the steps.
    stepped.push(40, 55);
    for (int step = 0; step < 15; ++step) {
      const int before = stepped.decoded.load();
      stepped.player->playNextFrame();
      EXPECT_EQ(before + 1, stepped.decoded.load());
      EXPECT_EQ(before + 1, stepped.player->getCurrentVideoFrameID());
    }
    feeder.join();
    EXPECT_TRUE(eventually([&] { return first.decoded.load() == 120 && second.decoded.load() == 120; }));
    EXPECT_EQ(0, manager.threadIndexOf(stepped.player.get()));
  });
}

// A pause from another thread while the decoder thread is inside a frame of the player (its decode
// callback holds it there) returns only once that frame is done; from then on nothing of the player is
// decoded or drawn until a step or play.
TEST_F(VideoPlayerThreads, PauseWaitsForTheFrameInFlight) {
  kxtest::finishWithin(seconds(60), "pause in flight", [] {
    DecoderManager manager(1);
    TestPlayer p(manager);
    std::atomic<bool> inside{false}, release{false};
    p.afterDecode = [&](int n) {
      if (n != 2) return;
      inside = true;
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    p.push(0, 10);
    ASSERT_EQ(0, p.player->playVideo());
    ASSERT_TRUE(eventually([&] { return inside.load(); }));
    std::atomic<bool> returned{false};
    std::thread pauser([&] {
      EXPECT_EQ(0, p.player->pauseVideo());
      returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(returned.load()) << "the pause returned while frame 2 was still being decoded";
    release = true;
    pauser.join();
    const int decoded = p.decoded.load(), drawn = p.drawn.load();
    EXPECT_EQ(2, decoded);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(decoded, p.decoded.load());
    EXPECT_EQ(drawn, p.drawn.load());
    EXPECT_EQ(2, p.player->getCurrentVideoFrameID());
    p.player->playNextFrame();
    EXPECT_EQ(3, p.player->getCurrentVideoFrameID());
    ASSERT_EQ(0, p.player->playVideo());
    EXPECT_TRUE(eventually([&] { return p.decoded.load() == 10; }));
  });
}

// Idle means: nothing queued and no picture being decoded or drawn. While a draw callback holds the
// last picture the queue is empty but the player is not idle (inside that callback neither).
TEST_F(VideoPlayerThreads, IdleOnceTheLastPictureIsOut) {
  kxtest::finishWithin(seconds(60), "idle", [] {
    DecoderManager manager(1);
    TestPlayer p(manager);
    std::atomic<int> idleInside{-1};
    std::atomic<bool> inside{false}, release{false};
    p.afterDraw = [&](int n) {
      if (n != 3) return;
      idleInside = p.player->isVideoIdle() ? 1 : 0;
      inside = true;
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    EXPECT_TRUE(p.player->isVideoIdle());
    p.push(0, 3);
    EXPECT_FALSE(p.player->isVideoIdle()) << "three frames wait for play";
    ASSERT_EQ(0, p.player->playVideo());
    ASSERT_TRUE(eventually([&] { return inside.load(); }));
    EXPECT_EQ(0, idleInside.load());
    EXPECT_TRUE(p.player->isVideoQueueEmpty());
    EXPECT_FALSE(p.player->isVideoIdle()) << "the last picture is being drawn";
    release = true;
    EXPECT_TRUE(eventually([&] { return p.player->isVideoIdle(); }));
    EXPECT_EQ(3, p.drawn.load());
  });
}

// From its own decode callback a player stops itself; later frames are not decoded, and it plays
// again when asked from outside.
TEST_F(VideoPlayerThreads, StopFromOwnDecodeCallback) {
  kxtest::finishWithin(seconds(60), "stop from callback", [] {
    DecoderManager manager(2);
    TestPlayer p(manager);
    p.afterDecode = [&p](int n) {
      if (n == 3) {
        EXPECT_EQ(0, p.player->stopVideo());
      }
    };
    ASSERT_EQ(0, p.player->playVideo());
    p.push(0, 10);
    ASSERT_TRUE(eventually([&] { return manager.threadIndexOf(p.player.get()) == -1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(3, p.decoded.load()) << "the stop cleared the callback and the queue";
    EXPECT_TRUE(p.player->isVideoQueueEmpty());
  });
}

// A player closes itself from its draw callback, another from its decode callback; both are closed
// once the callbacks return, later pushes are dropped, and a closed player opens and plays again.
TEST_F(VideoPlayerThreads, CloseFromOwnCallbacks) {
  kxtest::finishWithin(seconds(60), "close from callback", [] {
    DecoderManager manager(2);
    TestPlayer drawCloser(manager), decodeCloser(manager);
    drawCloser.afterDraw = [&drawCloser](int n) {
      if (n == 2) drawCloser.player->closeVideo();
    };
    decodeCloser.afterDecode = [&decodeCloser](int n) {
      if (n == 2) decodeCloser.player->closeVideo();
    };
    for (TestPlayer* p : {&drawCloser, &decodeCloser}) ASSERT_EQ(0, p->player->playVideo());
    drawCloser.push(0, 6);
    decodeCloser.push(0, 6);
    for (TestPlayer* p : {&drawCloser, &decodeCloser}) {
      // Closed at once; the decoder and the picture go when the callback's decode-and-show returns.
      ASSERT_TRUE(eventually([&] { return !p->player->isOpened() && p->player->getCurrentVideoFrameTimestamp() == -1; }));
      EXPECT_EQ(-1, manager.threadIndexOf(p->player.get()));
    }
    EXPECT_EQ(2, drawCloser.drawn.load());
    EXPECT_EQ(2, decodeCloser.decoded.load());
    drawCloser.afterDraw = nullptr;
    ASSERT_EQ(0, drawCloser.player->openVideo());
    drawCloser.player->setUseTimestampForVideo(false);
    drawCloser.player->setDecodeCallBack(0, &TestPlayer::onDecode, &drawCloser);
    ASSERT_EQ(0, drawCloser.player->playVideo());
    drawCloser.push(0, 3);
    ASSERT_TRUE(eventually([&] { return drawCloser.decoded.load() == 5; }));
  });
}

// One player's callbacks pause, play, stop and close other players (on its thread and on the other),
// and step itself (which does nothing inside its own callback).
TEST_F(VideoPlayerThreads, CallbacksDriveOtherPlayers) {
  kxtest::finishWithin(seconds(60), "callbacks drive others", [] {
    DecoderManager manager(2);
    TestPlayer driver(manager), paused(manager), stopped(manager), closed(manager);
    ASSERT_EQ(0, driver.player->playVideo());
    for (TestPlayer* p : {&paused, &stopped, &closed}) ASSERT_EQ(0, p->player->playVideo());
    std::atomic<int> actions{0};
    driver.afterDecode = [&](int n) {
      const int64_t id = driver.player->getCurrentVideoFrameID();
      driver.player->playNextFrame();
      EXPECT_EQ(id, driver.player->getCurrentVideoFrameID()) << "no step inside the own callback";
      if (n == 2) paused.player->pauseVideo();
      if (n == 3) stopped.player->stopVideo();
      if (n == 4) closed.player->closeVideo();
      if (n == 5) paused.player->playVideo();
      actions.fetch_add(1);
    };
    driver.afterDraw = [&](int n) {
      if (n == 6) driver.player->pauseVideo();
      if (n == 6) driver.player->playVideo();
    };
    std::thread feeder([&] {
      for (TestPlayer* p : {&paused, &stopped, &closed}) p->push(0, 4);
    });
    driver.push(0, 12);
    feeder.join();
    ASSERT_TRUE(eventually([&] { return driver.decoded.load() == 12; }));
    EXPECT_FALSE(paused.player->isPaused());
    EXPECT_NE(-1, manager.threadIndexOf(paused.player.get()));
    EXPECT_EQ(-1, manager.threadIndexOf(stopped.player.get()));
    EXPECT_TRUE(stopped.player->isOpened());
    EXPECT_FALSE(closed.player->isOpened());
  });
}

// A step's own decode callback closes the player: the step returns, the player is closed.
TEST_F(VideoPlayerThreads, CloseFromTheCallbackOfAStep) {
  kxtest::finishWithin(seconds(60), "close from a step", [] {
    DecoderManager manager(1);
    TestPlayer p(manager);
    p.afterDecode = [&p](int) { p.player->closeVideo(); };
    p.push(0, 3);  // open and stopped: the frames wait for the step
    p.player->playNextFrame();
    EXPECT_FALSE(p.player->isOpened());
    EXPECT_EQ(-1, manager.threadIndexOf(p.player.get()));
    p.player->playNextFrame();  // closed: nothing
  });
}

// The player's own decode thread, which nothing in the system starts, works when a program starts it:
// it decodes the queued frames, redraws while paused, and stops on request.
TEST_F(VideoPlayerThreads, OwnDecodeThreadWhenStarted) {
  kxtest::finishWithin(seconds(60), "own decode thread", [] {
    DecoderManager manager(1);
    TestPlayer p(manager);
    p.push(0, 6);
    ASSERT_EQ(0, p.player->decodeThread().start());
    ASSERT_TRUE(eventually([&] { return p.decoded.load() == 6; }));
    EXPECT_EQ(-1, manager.threadIndexOf(p.player.get())) << "not the pool's";
    p.player->pauseVideo();
    const size_t before = platform::MemoryDisplay::instance().blitLog().size();
    ASSERT_TRUE(eventually([&] { return platform::MemoryDisplay::instance().blitLog().size() > before; }));
    p.player->decodeThread().stopDecoding();
    EXPECT_FALSE(p.player->decodeThread().isRunning());
  });
}

}  // namespace
