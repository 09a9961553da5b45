// The video player's life cycle on the memory display: open, play, pause, step, stop and close in the
// orders that make sense, what each leaves behind (registration, pause, callbacks, queue), the
// picture parameters and the rate.
#include "player/video/H264VideoPlayerImpl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/DebugOutput.h"
#include "platform/MemoryDisplay.h"
#include "platform/OffscreenWindows.h"
#include "platform/Thread.h"
#include "player/video/DecoderManager.h"
#include "tests/player/Deadline.h"
#include "tests/player/PictureOutputFixture.h"
#include "tests/player/PlayerFixture.h"

namespace {

using kxtest::eventually;

using kxtest::CallbackCounts;

// An H.264 decoder that cannot be opened.
class UnopenableDecoder : public IVideoDecoder {
 public:
  int open() override { return -1; }
  void close() override {}
  bool isOpened() const override { return false; }
  int decode(const char*, int, int64_t) override { return -1; }
  int nextPicture(DecodedPicture**, int64_t*) override { return 0; }
  int width() const override { return 0; }
  int height() const override { return 0; }
};

class VideoPlayerTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::MemoryDisplay::instance().reset();
    window = createOffscreenWindow(352, 288);
  }
  void TearDown() override {
    player.reset();
    destroyOffscreenWindow(window);
  }
  void makePlayer() {
    player = std::make_unique<H264VideoPlayerImpl>(getMicroSeconds, nullptr, &manager);
    player->setVideoWindow(window, 0, 0, 352, 288);
  }
  // Pushes frames first..last-1 of the recording, untimed (each is due as soon as it is queued).
  void push(int first, int last) {
    for (int i = first; i < last; ++i) {
      AVData frame;
      kxtest::makeFrame(i, 1000000, frame);
      ASSERT_EQ(0, player->pushVideoFrame(frame)) << "frame " << i;
    }
  }
  // Opens the player with frames due as soon as they are queued and both callbacks counting.
  void openUntimed(CallbackCounts& target) {
    ASSERT_EQ(0, player->openVideo());
    player->setUseTimestampForVideo(false);
    player->setInputQueueMaxSize(100);
    player->setDecodeCallBack(1, CallbackCounts::onDecode, &target);
    player->setDrawFuncForRender(1, CallbackCounts::onDraw, &target, false);
  }
  bool registered() { return manager.threadIndexOf(player.get()) >= 0; }
  size_t blits() { return platform::MemoryDisplay::instance().blitLog().size(); }

  DecoderManager manager{1};
  HWND window = 0;
  // Declared before the player, which TearDown deletes first: its callbacks never outlive them.
  CallbackCounts counts;
  CallbackCounts later;
  std::unique_ptr<H264VideoPlayerImpl> player;
};

// Each row: operations in order, then what the player is after the last one.
TEST_F(VideoPlayerTest, LifeCycleTable) {
  struct Row {
    const char* operations;  // o open, p play, a pause, n step, s stop, c close
    std::vector<int> results;
    bool opened;
    bool paused;
    bool registered;
  };
  const std::vector<Row> rows = {
      {"p", {0}, false, false, false},
      {"o", {0}, true, false, false},
      {"op", {0, 0}, true, false, true},
      {"opa", {0, 0, 0}, true, true, true},
      {"opap", {0, 0, 0, 0}, true, false, true},
      {"oa", {0, 0}, true, true, false},
      {"opn", {0, 0, 0}, true, true, true},
      {"on", {0, 0}, true, true, false},
      {"opnp", {0, 0, 0, 0}, true, false, true},
      {"ops", {0, 0, 0}, true, false, false},
      {"opas", {0, 0, 0, 0}, true, false, false},
      {"opsp", {0, 0, 0, 0}, true, false, true},
      {"opc", {0, 0, 0}, false, false, false},
      {"opac", {0, 0, 0, 0}, false, false, false},
      {"opcop", {0, 0, 0, 0, 0}, true, false, true},
      {"c", {0}, false, false, false},
      {"s", {0}, false, false, false},
      {"a", {0}, false, false, false},
      {"n", {0}, false, false, false},
      {"opp", {0, 0, 0}, true, false, true},
      {"oo", {0, 0}, true, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.operations);
    makePlayer();
    std::vector<int> results;
    for (const char* op = row.operations; *op != '\0'; ++op) {
      switch (*op) {
        case 'o': results.push_back(player->openVideo()); break;
        case 'p': results.push_back(player->playVideo()); break;
        case 'a': results.push_back(player->pauseVideo()); break;
        case 'n': player->playNextFrame(); results.push_back(0); break;
        case 's': results.push_back(player->stopVideo()); break;
        case 'c': player->closeVideo(); results.push_back(0); break;
        default: FAIL();
      }
    }
    EXPECT_EQ(row.results, results);
    EXPECT_EQ(row.opened, player->isOpened());
    EXPECT_EQ(row.paused, player->isPaused());
    EXPECT_EQ(row.registered, registered());
    player.reset();
    EXPECT_EQ(std::vector<size_t>{0}, manager.listSizes()) << "destruction releases the player";
  }
}

TEST_F(VideoPlayerTest, PlayBeforeOpenOnlyNumbersThePlayer) {
  makePlayer();
  EXPECT_EQ(0, player->playerNo());
  EXPECT_EQ(0, player->playVideo());
  const int number = player->playerNo();
  EXPECT_GT(number, 0);
  EXPECT_FALSE(registered());
  EXPECT_EQ(0, player->playVideo());
  EXPECT_EQ(number, player->playerNo()) << "numbered once";
}

TEST_F(VideoPlayerTest, DecoderThatCannotOpen) {
  platform::DebugCapture capture;
  player = std::make_unique<H264VideoPlayerImpl>(getMicroSeconds, std::make_unique<UnopenableDecoder>(), &manager);
  EXPECT_EQ(-605, player->openVideo());
  EXPECT_TRUE(capture.contains("m_objDecoder.open() fail\n"));
  EXPECT_FALSE(player->isOpened());
  EXPECT_EQ(0, player->playVideo());
  EXPECT_FALSE(registered());
}

// No decoder thread can start: the play reports it instead of success with nothing decoding.
TEST_F(VideoPlayerTest, PlayFailsWhenNoDecoderThreadStarts) {
  makePlayer();
  ASSERT_EQ(0, player->openVideo());
  platform::Thread::failNextCreations(1);
  EXPECT_EQ(-12, player->playVideo());
  EXPECT_FALSE(registered());
  EXPECT_EQ(0, player->playVideo());
  EXPECT_TRUE(registered());
}

// Frames pushed while stopped wait for the play; playing decodes and draws each one, calling both
// callbacks; the current frame and picture size follow.
TEST_F(VideoPlayerTest, PlayingDecodesAndDrawsEveryFrame) {
  makePlayer();
  openUntimed(counts);
  EXPECT_EQ(-1, player->getCurrentVideoFrameID());
  EXPECT_EQ(-1, player->getCurrentVideoFrameTimestamp());
  push(0, 30);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(0, counts.decoded.load()) << "nothing decodes before play";
  ASSERT_EQ(0, player->playVideo());
  ASSERT_TRUE(eventually([&] { return counts.decoded.load() == 30 && counts.drawn.load() == 30; }));
  EXPECT_EQ(30, player->getCurrentVideoFrameID());
  EXPECT_EQ(1000000 + 29 * 40000, player->getCurrentVideoFrameTimestamp());
  int w = 0, h = 0;
  player->getPictureSize(w, h);
  EXPECT_EQ(176, w);
  EXPECT_EQ(144, h);
  EXPECT_GT(blits(), 0u);
}

// Paused: nothing more is decoded, the picture is redrawn about every 100 ms without the draw
// callback; each step decodes and shows exactly one frame; play goes on from there.
TEST_F(VideoPlayerTest, PauseRedrawsAndStepsOneFrameAtATime) {
  makePlayer();
  openUntimed(counts);
  push(0, 5);
  ASSERT_EQ(0, player->playVideo());
  ASSERT_TRUE(eventually([&] { return counts.decoded.load() == 5; }));
  ASSERT_TRUE(eventually([&] { return counts.drawn.load() == 5; }));
  ASSERT_EQ(0, player->pauseVideo());
  push(5, 10);
  const size_t blitsAtPause = blits();
  std::this_thread::sleep_for(std::chrono::milliseconds(450));
  EXPECT_EQ(5, counts.decoded.load()) << "paused: queued frames wait";
  EXPECT_EQ(5, counts.drawn.load()) << "redraws while paused do not call the draw callback";
  const size_t redraws = blits() - blitsAtPause;
  EXPECT_GE(redraws, 2u);
  EXPECT_LE(redraws, 6u) << "one redraw per 100 ms, not one per pass";
  for (int step = 1; step <= 3; ++step) {
    player->playNextFrame();
    EXPECT_EQ(5 + step, counts.decoded.load());
    EXPECT_EQ(5 + step, player->getCurrentVideoFrameID());
  }
  EXPECT_TRUE(player->isPaused());
  ASSERT_EQ(0, player->playVideo());
  ASSERT_TRUE(eventually([&] { return counts.decoded.load() == 10 && counts.drawn.load() > 5; }));
}

// A stop empties the queue, forgets both callbacks and the current timestamp (not the frame id) and
// leaves the player open; after it only callbacks set again are called.
TEST_F(VideoPlayerTest, StopClearsQueueAndCallbacks) {
  makePlayer();
  openUntimed(counts);
  push(0, 3);
  ASSERT_EQ(0, player->playVideo());
  ASSERT_TRUE(eventually([&] { return counts.decoded.load() == 3 && counts.drawn.load() == 3; }));
  ASSERT_EQ(0, player->pauseVideo());
  push(3, 6);
  ASSERT_EQ(0, player->stopVideo());
  EXPECT_TRUE(player->isVideoQueueEmpty());
  EXPECT_EQ(3, player->getCurrentVideoFrameID());
  EXPECT_EQ(-1, player->getCurrentVideoFrameTimestamp());
  EXPECT_FALSE(player->isPaused());
  EXPECT_FALSE(player->input().hasClockReference());
  push(12, 15);  // from a key frame: P frames after a stop are dropped until one comes
  ASSERT_EQ(0, player->playVideo());
  // The frame id changes as soon as the decoder has the picture, before its callbacks and its drawing:
  // callbacks set then would be called for that picture too. Once the player is idle it is out.
  ASSERT_TRUE(eventually([&] { return player->getCurrentVideoFrameID() == 15 && player->isVideoIdle(); }));
  EXPECT_EQ(3, counts.decoded.load());
  EXPECT_EQ(3, counts.drawn.load());
  // Set again after the stop (which also ended the pause): both are called, once for each frame pushed
  // since.
  player->setDecodeCallBack(2, CallbackCounts::onDecode, &later);
  player->setDrawFuncForRender(2, CallbackCounts::onDraw, &later, false);
  push(15, 18);
  ASSERT_TRUE(eventually([&] { return player->getCurrentVideoFrameID() == 18 && player->isVideoIdle(); }));
  EXPECT_EQ(3, later.decoded.load());
  EXPECT_EQ(3, later.drawn.load());
}

TEST_F(VideoPlayerTest, CloseDropsPushesAndReopens) {
  makePlayer();
  ASSERT_EQ(0, player->openVideo());
  player->setUseTimestampForVideo(false);
  player->setDecodeCallBack(1, CallbackCounts::onDecode, &counts);
  ASSERT_EQ(0, player->playVideo());
  push(0, 2);
  ASSERT_TRUE(eventually([&] { return counts.decoded.load() == 2; }));
  player->closeVideo();
  EXPECT_EQ(-1, player->getCurrentVideoFrameTimestamp());
  AVData frame;
  kxtest::makeFrame(0, 1000000, frame);
  EXPECT_EQ(0, player->pushVideoFrame(frame));
  EXPECT_TRUE(player->isVideoQueueEmpty()) << "a closed player drops pushes";
  ASSERT_EQ(0, player->openVideo());
  player->setDecodeCallBack(1, CallbackCounts::onDecode, &counts);
  ASSERT_EQ(0, player->playVideo());
  push(0, 2);
  ASSERT_TRUE(eventually([&] { return counts.decoded.load() == 4; }));
}

// Three recordings share one decoder thread: 10 fps, 25 fps and 25 fps at quarter speed. Every
// picture comes out in order, none more than 5 ms before the time its timestamp maps to.
TEST_F(VideoPlayerTest, PlayersAtDifferentRatesOnOneThreadAreNeverEarly) {
  struct Paced {
    std::unique_ptr<H264VideoPlayerImpl> player;
    HWND window = 0;
    int fps = 25;
    float rate = 1.0f;
    int frames = 0;
    std::mutex mutex;
    std::vector<std::pair<int64_t, int64_t>> decoded;  // (stream timestamp, time of the callback)
    static long onDecode(long, const char*, long, FRAME_INFO* info, void* user) {
      auto* self = static_cast<Paced*>(user);
      std::lock_guard<std::mutex> lock(self->mutex);
      self->decoded.emplace_back(static_cast<int64_t>(static_cast<uint32_t>(info->timeStamp)) * 90, getMicroSeconds());
      return 0;
    }
  };
  Paced paced[3];
  paced[0].fps = 10;
  paced[0].frames = 15;
  paced[1].frames = 30;
  paced[2].rate = 0.25f;
  paced[2].frames = 8;
  for (Paced& p : paced) {
    p.player = std::make_unique<H264VideoPlayerImpl>(getMicroSeconds, nullptr, &manager);
    p.window = createOffscreenWindow(176, 144);
    p.player->setVideoWindow(p.window, 0, 0, 176, 144);
    ASSERT_EQ(0, p.player->openVideo());
    p.player->setInputQueueMaxSize(100);
    ASSERT_EQ(0, p.player->setRate(p.rate));
    p.player->setDecodeCallBack(0, &Paced::onDecode, &p);
    ASSERT_EQ(0, p.player->playVideo());
  }
  for (Paced& p : paced) {
    for (int i = 0; i < p.frames; ++i) {
      AVData frame;
      kxtest::makeFrame(i, 9000000, frame, p.fps);
      ASSERT_EQ(0, p.player->pushVideoFrame(frame));
    }
  }
  for (Paced& p : paced) {
    ASSERT_TRUE(eventually([&p] {
      std::lock_guard<std::mutex> lock(p.mutex);
      return static_cast<int>(p.decoded.size()) == p.frames;
    }));
    input_clock_point ref{};
    int clockRate = 0;
    p.player->input().withClock([&](input_clock& clock) {
      ref = clock.ref;
      clockRate = clock.rate;
    });
    std::lock_guard<std::mutex> lock(p.mutex);
    for (size_t i = 0; i < p.decoded.size(); ++i) {
      const int64_t ts = p.decoded[i].first;
      EXPECT_NEAR(9000000 + static_cast<int64_t>(i) * 1000000 / p.fps, ts, 90) << "in order";
      const int64_t due = ref.system + (ts - ref.stream) * clockRate / 1000;
      EXPECT_GE(p.decoded[i].second - due, -5000) << "frame " << i << " at " << p.fps << " fps, rate " << p.rate;
    }
  }
  for (Paced& p : paced) {
    p.player.reset();
    destroyOffscreenWindow(p.window);
  }
}

// Callers give 0..100; the player stores twice that (100 neutral), anything else as neutral, and
// derives the YUV filter values.
// A zoom refers to one picture size: when a sequence of another size reopens the decoder the zoom is
// off, and the new pictures fill the window as ffmpeg decodes and scales them.
TEST_F(VideoPlayerTest, ANewPictureSizeEndsTheZoom) {
  if (!kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed";
  makePlayer();
  player->setStretchMode(true);
  openUntimed(counts);
  push(0, 1);
  player->playNextFrame();
  ASSERT_EQ(0, player->zoomInVideo(88, 72, 176, 144));
  ASSERT_TRUE(player->output().zoom().isActive());
  const std::string file = kxoutput::makeH264(320, 240, 2);
  const std::vector<kxh264::AccessUnit> units = kxh264::splitAccessUnits(file);
  ASSERT_EQ(2u, units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    ASSERT_EQ(0, player->pushVideoFrame(kxoutput::frameOf(units[i].data, units[i].key, static_cast<uint32_t>(10 + i), 1)));
    player->playNextFrame();
  }
  EXPECT_EQ(11, player->getCurrentVideoFrameID());
  EXPECT_FALSE(player->output().zoom().isActive());
  const kxoutput::WindowPixels shown = kxoutput::readWindow(window);
  const std::vector<uint32_t> expected = kxoutput::referenceBgra(file, 1, 352, 288);
  ASSERT_EQ(expected.size(), shown.bgra.size());
  int worst = 0;
  for (size_t i = 0; i < expected.size(); ++i) worst = std::max(worst, kxoutput::channelDifference(expected[i], shown.bgra[i]));
  EXPECT_EQ(0, worst);
}

TEST_F(VideoPlayerTest, PictureParameters) {
  makePlayer();
  struct Case {
    int (H264VideoPlayerImpl::*set)(int);
    int (H264VideoPlayerImpl::*get)(int&);
    int given;
    int readBack;
    double contrast, brightness;
    int hue;
    double saturation;
  };
  using P = H264VideoPlayerImpl;
  const std::vector<Case> cases = {
      {&P::setVideoBrightness, &P::getVideoBrightness, 50, 50, 1.0, 1.0, 0, 1.0},
      {&P::setVideoBrightness, &P::getVideoBrightness, 150, 50, 1.0, 1.0, 0, 1.0},
      {&P::setVideoBrightness, &P::getVideoBrightness, -1, 50, 1.0, 1.0, 0, 1.0},
      {&P::setVideoBrightness, &P::getVideoBrightness, 100, 100, 1.0, 2.0, 0, 1.0},
      {&P::setVideoBrightness, &P::getVideoBrightness, 0, 0, 1.0, 0.0, 0, 1.0},
      {&P::setVideoContrast, &P::getVideoContrast, 25, 25, 0.5, 1.0, 0, 1.0},
      {&P::setVideoHue, &P::getVideoHue, 0, 0, 1.0, 1.0, 180, 1.0},
      {&P::setVideoHue, &P::getVideoHue, 50, 50, 1.0, 1.0, 0, 1.0},
      {&P::setVideoHue, &P::getVideoHue, 100, 100, 1.0, 1.0, 180, 1.0},
      {&P::setVideoHue, &P::getVideoHue, 25, 25, 1.0, 1.0, 270, 1.0},
      {&P::setVideoSaturation, &P::getVideoSaturation, 100, 100, 1.0, 1.0, 0, 3.0},
      {&P::setVideoSaturation, &P::getVideoSaturation, 75, 75, 1.0, 1.0, 0, 2.0},
      {&P::setVideoSaturation, &P::getVideoSaturation, 25, 25, 1.0, 1.0, 0, 0.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.given);
    player->resetPictureAdjustFilter();
    EXPECT_EQ(0, (player.get()->*c.set)(c.given));
    int value = -7;
    EXPECT_EQ(0, (player.get()->*c.get)(value));
    EXPECT_EQ(c.readBack, value);
    const YuvAdjustParams& params = player->yuvAdjustParams();
    EXPECT_DOUBLE_EQ(c.contrast, params.contrast);
    EXPECT_DOUBLE_EQ(c.brightness, params.brightness);
    EXPECT_EQ(c.hue, params.hue);
    EXPECT_DOUBLE_EQ(c.saturation, params.saturation);
    EXPECT_DOUBLE_EQ(1.0, params.gamma);
  }
  player->setVideoContrast(80);
  ASSERT_EQ(0, player->openVideo());
  int contrast = 0;
  player->getVideoContrast(contrast);
  EXPECT_EQ(50, contrast) << "open resets the parameters";
  EXPECT_TRUE(player->yuvAdjustParams().isNeutral());
}

// The clock takes 1000 / rate when that lies in 32..32000; a rate of 0 or below, or not finite, is
// refused and changes nothing.
TEST_F(VideoPlayerTest, Rate) {
  struct Case {
    float rate;
    int result;
    float stored;
    int clockRate;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<Case> cases = {
      {2.0f, 0, 2.0f, 500},  {0.25f, 0, 0.25f, 4000}, {16.0f, 0, 16.0f, 62},  {40.0f, 0, 40.0f, 1000},
      {1.0f, 0, 1.0f, 1000}, {0.0f, -8, 1.0f, 1000},  {-1.0f, -8, 1.0f, 1000}, {nan, -8, 1.0f, 1000},
      {inf, -8, 1.0f, 1000}, {-inf, -8, 1.0f, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    makePlayer();
    EXPECT_EQ(c.result, player->setRate(c.rate));
    float rate = 0;
    EXPECT_EQ(0, player->getRate(rate));
    EXPECT_EQ(c.stored, rate);
    int clockRate = 0;
    player->input().withClock([&clockRate](input_clock& clock) { clockRate = clock.rate; });
    EXPECT_EQ(c.clockRate, clockRate);
  }
}

// The process ends while players of the process-wide pool are open and playing (they outlive the
// pool: it is deleted at exit first). Nothing crashes or hangs, and the players' own destruction after
// it finds no pool to release from.
TEST(VideoPlayerExit, ExitWithOpenPlayers) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // The display and window layers are set up first and so end last, as in a program; the pool is
        // made by the first play, after the players, and so is deleted before them.
        platform::MemoryDisplay::instance().reset();
        static const HWND window = createOffscreenWindow(176, 144);
        static std::unique_ptr<H264VideoPlayerImpl> players[3];
        for (auto& player : players) {
          player = std::make_unique<H264VideoPlayerImpl>();
          player->setVideoWindow(window, 0, 0, 176, 144);
          player->openVideo();
          player->setInputQueueMaxSize(100);
          player->playVideo();
          for (int i = 0; i < 20; ++i) {
            AVData frame;
            kxtest::makeFrame(i, 1000000, frame);
            player->pushVideoFrame(frame);
          }
        }
        players[2]->pauseVideo();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
