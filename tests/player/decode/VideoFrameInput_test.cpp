#include "player/decode/VideoFrameInput.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "media/AVData.h"
#include "platform/DebugOutput.h"

namespace {

constexpr int kKey = 1;
constexpr int kP = 2;

AVData makeFrame(int type, int64_t ts, uint32_t id, int fps = 25) {
  static const char bytes[] = {0, 0, 0, 1, 0x65, 1, 2, 3};
  AVData frame;
  frame.setData(bytes, sizeof(bytes));
  frame.setEncoderType(1);
  frame.setESStreamType(1);
  frame.setFrameType(type);
  frame.setTimeStamp(ts);
  frame.setSequenceId(id);
  frame.setFrameRate(fps);
  return frame;
}

// The video input on a clock the test drives (microseconds).
class VideoFrameInputTest : public ::testing::Test {
 protected:
  VideoFrameInputTest() : input(log, [this] { return now; }) { input.setOpened(true); }
  int push(int type, int64_t ts) { return input.pushVideoFrame(makeFrame(type, ts, ++seq)); }
  std::unique_ptr<AVData> take() { return std::unique_ptr<AVData>(input.takeFrame()); }
  uint32_t maxSize() { return input.inputQueue().maxSize(); }

  PlayerDebugLog log;
  int64_t now = 10000000;
  uint32_t seq = 0;
  VideoFrameInput input;
};

TEST_F(VideoFrameInputTest, ANewInputHoldsTwoFramesAndCopiesThemDeeply) {
  EXPECT_EQ(0, push(kKey, 40000));
  EXPECT_EQ(0, push(kP, 80000));
  EXPECT_TRUE(input.isVideoQueueFull());
  EXPECT_EQ(-13, push(kP, 120000));
  auto first = take();
  ASSERT_TRUE(first);
  EXPECT_EQ(8, first->getDataLength());
  EXPECT_GE(first->getBufferSize(), 8u + VideoFrameInput::kFramePadding);
  for (unsigned i = 8; i < first->getBufferSize(); ++i) EXPECT_EQ(0, first->getData()[i]) << "padding " << i;
  EXPECT_EQ(0x65, first->getData()[4]);
  EXPECT_EQ(40000, first->getTimeStamp());
  EXPECT_EQ(1u, first->getSequenceId());
  EXPECT_EQ(kKey, first->getFrameType());
  EXPECT_EQ(25, first->getFrameRate());
}

TEST_F(VideoFrameInputTest, AClosedInputDropsFrames) {
  input.setOpened(false);
  EXPECT_EQ(0, push(kKey, 40000));
  EXPECT_TRUE(input.isVideoQueueEmpty());
}

TEST_F(VideoFrameInputTest, RefusedPushWithAutoClearDropsPFramesUntilAKeyFrame) {
  input.setAutoClearVideoQueueFlag(true);
  push(kKey, 40000);
  push(kP, 80000);
  EXPECT_EQ(-13, push(kP, 120000));
  take();
  take();
  EXPECT_EQ(0, push(kP, 160000));
  EXPECT_EQ(0, push(kP, 200000));
  EXPECT_TRUE(input.isVideoQueueEmpty()) << "P frames are dropped";
  EXPECT_EQ(0, push(kKey, 240000));
  EXPECT_EQ(0, push(kP, 280000));
  EXPECT_EQ(2, input.inputQueue().count());
  EXPECT_EQ(240000, take()->getTimeStamp());
  // clearVideoQueue starts the same discarding.
  input.clearVideoQueue();
  EXPECT_TRUE(input.isVideoQueueEmpty());
  EXPECT_EQ(0, push(kP, 320000));
  EXPECT_TRUE(input.isVideoQueueEmpty());
}

TEST_F(VideoFrameInputTest, MaximumDelaySizesTheQueueByFrameRateWhenNotLive) {
  struct Case {
    unsigned delayMs;
    int fps;
    uint32_t expected;
  } cases[] = {{500, 25, 12}, {500, 0, 12}, {500, 1, 2}, {0, 25, 2}, {5000, 60, 300}, {9000, 60, 300}};
  for (const Case& c : cases) {
    VideoFrameInput fresh(log, [this] { return now; });
    fresh.setOpened(true);
    fresh.setMaxDelayTime(c.delayMs);
    EXPECT_EQ(2u, fresh.inputQueue().maxSize()) << "sized by the next frame";
    fresh.pushVideoFrame(makeFrame(kKey, 40000, 1, c.fps));
    EXPECT_EQ(c.expected, fresh.inputQueue().maxSize()) << c.delayMs << " ms at " << c.fps << " fps";
  }
}

TEST_F(VideoFrameInputTest, LiveMaximumDelayGrowsTheQueueAndTheSampleCount) {
  struct Case {
    unsigned delayMs;
    uint32_t expectedSize;
    int expectedSamples;
  } cases[] = {{1000, 270, 20}, {300, 90, 10}, {999, 269, 10}, {5000, 1350, 60}, {7000, 1350, 60}};
  for (const Case& c : cases) {
    VideoFrameInput live(log, [this] { return now; });
    live.setLivePlayFlag(true);
    EXPECT_EQ(90u, live.inputQueue().maxSize());
    live.setMaxDelayTime(c.delayMs);
    EXPECT_EQ(c.expectedSize, live.inputQueue().maxSize()) << c.delayMs;
    EXPECT_EQ(c.expectedSamples, live.clockSampleCount()) << c.delayMs;
    unsigned stored = 0;
    live.getMaxDelayTime(stored);
    EXPECT_EQ(std::min(c.delayMs, 5000u), stored);
  }
}

TEST_F(VideoFrameInputTest, AVeryShortLiveDelayStillQueuesAFrame) {
  // A maximum computed as 3 ms x 270 / 1000 = 0 would refuse every push for ever.
  input.setLivePlayFlag(true);
  input.setInputQueueMaxSize(2);
  input.setMaxDelayTime(3);
  EXPECT_GE(maxSize(), 1u);
  EXPECT_EQ(0, push(kKey, 40000));
  take();
  EXPECT_EQ(0, push(kP, 80000));
}

TEST_F(VideoFrameInputTest, QueueSizeSetterClampsAndEmptiesWhenShrinking) {
  input.setInputQueueMaxSize(10);
  push(kKey, 40000);
  push(kP, 80000);
  input.setInputQueueMaxSize(20);
  EXPECT_EQ(2, input.inputQueue().count()) << "growing keeps the frames";
  input.setInputQueueMaxSize(0);
  EXPECT_EQ(2u, maxSize());
  EXPECT_TRUE(input.isVideoQueueEmpty());
  input.setInputQueueMaxSize(300001);
  EXPECT_EQ(300000u, maxSize());
}

TEST_F(VideoFrameInputTest, LiveTimeErrorsResetTheClock) {
  struct Case {
    int64_t gap;
    bool reset;
  } cases[] = {{3500000, false}, {3500001, true}, {-1, true}, {40000, false}};
  for (const Case& c : cases) {
    VideoFrameInput live(log, [this] { return now; });
    live.setOpened(true);
    live.setLivePlayFlag(true);
    live.pushVideoFrame(makeFrame(kKey, 1000000, 1));
    live.pushVideoFrame(makeFrame(kP, 1000000 + c.gap, 2));
    int64_t refStream = -1;
    live.withClock([&](input_clock& clock) { refStream = clock.ref.stream; });
    EXPECT_EQ(c.reset ? 1000000 + c.gap : 1000000, refStream) << c.gap;
    EXPECT_EQ(c.reset ? 1 : 0, live.oldClockFrames()) << "the queued frame is paced at a fixed interval";
  }
}

TEST_F(VideoFrameInputTest, ALiveSequenceGapResetsTheClock) {
  input.setLivePlayFlag(true);
  input.pushVideoFrame(makeFrame(kKey, 1000000, 7));
  input.pushVideoFrame(makeFrame(kP, 1040000, 9));
  int64_t refStream = 0;
  input.withClock([&](input_clock& clock) { refStream = clock.ref.stream; });
  EXPECT_EQ(1040000, refStream);
}

TEST_F(VideoFrameInputTest, ReversedTimestampsMirrorAroundTheReference) {
  input.setInputQueueMaxSize(10);
  input.setUseReverseTimestampForVideo(true);
  push(kKey, 1000000);
  push(kP, 960000);
  EXPECT_EQ(1000000, take()->getTimeStamp());
  EXPECT_EQ(1040000, take()->getTimeStamp());
}

TEST_F(VideoFrameInputTest, ZeroLiveDelayQueuesWithoutTheClock) {
  input.setLivePlayFlag(true);
  input.setMaxDelayTime(0);
  EXPECT_TRUE(input.isZeroBufDelay());
  push(kKey, 40000);
  EXPECT_FALSE(input.hasClockReference());
  EXPECT_EQ(0, input.getNextSleepTime());
}

TEST_F(VideoFrameInputTest, SleepTimeOfTheHeadFrame) {
  EXPECT_EQ(-1, input.getNextSleepTime()) << "empty";
  input.setInputQueueMaxSize(10);
  push(kKey, 1000000);
  push(kP, 1040000);
  EXPECT_EQ(0, input.getNextSleepTime());
  take();
  EXPECT_EQ(40, input.getNextSleepTime());
  now += 15000;
  EXPECT_EQ(25, input.getNextSleepTime());
  input.setUseTimestampForVideo(false);
  EXPECT_EQ(0, input.getNextSleepTime());
  input.setUseTimestampForVideo(true);
  input.changePause(true);
  EXPECT_EQ(0, input.getNextSleepTime()) << "paused";
  now += 1000000;
  input.changePause(false);
  EXPECT_EQ(25, input.getNextSleepTime()) << "the paused second does not count";
}

TEST_F(VideoFrameInputTest, FileTimeFarOffIsFixedToDueNow) {
  input.setInputQueueMaxSize(10);
  push(kKey, 1000000);
  take();
  now += 10000000;  // ten seconds late: outside the 3.5 s window
  push(kP, 1040000);
  EXPECT_EQ(0, input.getNextSleepTime());
  EXPECT_EQ(0, input.getNextSleepTime()) << "the reference moved: the frame is due now";
  push(kP, 1080000);
  take();
  EXPECT_EQ(40, input.getNextSleepTime());
}

// Head timestamps at the 64-bit extremes or 2^62 us away: in a file the frame is made due now, live
// the clock starts again, as for any timestamp far outside the window; nobody sleeps for ages.
TEST_F(VideoFrameInputTest, ExtremeTimestampsAreDueNowOrRestartTheClock) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  for (bool live : {false, true}) {
    for (int64_t far : {kMax, kMin, kMin + 1, int64_t{1} << 62, 1000000 + (int64_t{1} << 62), int64_t{-1}}) {
      SCOPED_TRACE(testing::Message() << (live ? "live " : "file ") << far);
      VideoFrameInput paced(log, [this] { return now; });
      paced.setOpened(true);
      paced.setLivePlayFlag(live);
      paced.setInputQueueMaxSize(10);
      paced.pushVideoFrame(makeFrame(kKey, 1000000, 1));
      paced.pushVideoFrame(makeFrame(kP, far, 2));
      paced.pushVideoFrame(makeFrame(kP, 1080000, 3));
      for (int frame = 0; frame < 3; ++frame) {
        const int sleep = paced.getNextSleepTime();
        EXPECT_GE(sleep, 0);
        EXPECT_LE(sleep, 3600) << "frame " << frame;
        delete paced.takeFrame();
      }
    }
  }
  // Mirrored timestamps of extreme frames stay at the ends.
  input.setInputQueueMaxSize(10);
  input.setUseReverseTimestampForVideo(true);
  push(kKey, 1000000);
  push(kP, kMin);
  push(kP, kMax);
  EXPECT_EQ(1000000, take()->getTimeStamp());
  EXPECT_EQ(kMax, take()->getTimeStamp());
  EXPECT_EQ(2000000 - kMax, take()->getTimeStamp());
}

TEST_F(VideoFrameInputTest, LivePacingKeepsTheFixedInterval) {
  // Live at rate 1.0 with a pacing interval of 20 ms: a frame due 5 ms from now, taken 8 ms after the
  // last one, sleeps 12 ms.
  input.setLivePlayFlag(true);
  push(kKey, 1000000);
  take();
  now += 8000;
  push(kP, 1013000);
  EXPECT_EQ(12, input.getNextSleepTime());
}

// The decoder loop on the injected clock: sleeps as told, takes the head when it is due, and records
// the clock time of each take.
std::vector<int64_t> paceFrames(VideoFrameInput& input, int64_t& now, int count) {
  std::vector<int64_t> taken;
  while (static_cast<int>(taken.size()) < count) {
    const int sleep = input.getNextSleepTime();
    if (sleep < 0) break;
    if (sleep > 0) {
      now += sleep * 1000;
      continue;
    }
    delete input.takeFrame();
    taken.push_back(now);
  }
  return taken;
}

TEST_F(VideoFrameInputTest, PacesFramesAtEveryRate) {
  struct Case {
    float rate;
    int64_t interval;  // microseconds between takes
    int64_t tolerance;
  } cases[] = {{1.0f, 40000, 0}, {0.25f, 160000, 0}, {16.0f, 2480, 1000}};  // 16x: clock rate 62
  for (const Case& c : cases) {
    int64_t clockNow = 50000000;
    VideoFrameInput paced(log, [&clockNow] { return clockNow; });
    paced.setOpened(true);
    paced.setInputQueueMaxSize(100);
    paced.changeRate(c.rate);
    for (int i = 0; i < 20; ++i) paced.pushVideoFrame(makeFrame(i % 10 == 0 ? kKey : kP, 2000000 + i * 40000, i + 1));
    const int64_t start = clockNow;
    const std::vector<int64_t> taken = paceFrames(paced, clockNow, 20);
    ASSERT_EQ(20u, taken.size());
    for (int i = 0; i < 20; ++i) {
      const int64_t due = start + i * c.interval;
      EXPECT_LE(taken[i], due) << "rate " << c.rate << " frame " << i;
      EXPECT_GE(taken[i], due - c.tolerance) << "rate " << c.rate << " frame " << i;
    }
  }
}

TEST_F(VideoFrameInputTest, LiveDelayGrowsUnderJitterWithinItsBound) {
  platform::DebugCapture capture;
  log.assignPlayerNumber();
  input.setLivePlayFlag(true);
  input.setMaxDelayTime(1000);
  int64_t stream = 1000000;
  uint32_t id = 1;
  int64_t largest = 0;
  // Frames every 40 ms of stream time, arriving later and later: up to 6 s behind.
  for (int i = 0; i < 150; ++i) {
    const int64_t lateBy = i * 40000;
    now = 20000000 + i * 40000 + lateBy;
    ASSERT_EQ(0, input.pushVideoFrame(makeFrame(i % 25 == 0 ? kKey : kP, stream, id++)));
    stream += 40000;
    delete input.takeFrame();
    largest = std::max(largest, input.ptsDelay());
    ASSERT_LE(input.ptsDelay(), 1000000) << "frame " << i;
  }
  EXPECT_GT(largest, 100000) << "the delay rose with the jitter";
  // It stops at the maximum, or within the 10 ms step below which a raise is not worth making.
  EXPECT_GT(input.ptsDelay(), 1000000 - 10000);
  EXPECT_TRUE(capture.contains("pts_delay increased to")) << capture.text();
  EXPECT_TRUE(capture.contains("ignored")) << "jitter beyond the maximum is cut";
  // Lowering the maximum lowers the delay at once.
  input.setMaxDelayTime(400);
  EXPECT_EQ(400000, input.ptsDelay());
}

TEST_F(VideoFrameInputTest, RateSetterFeedsTheClockOnlyInRange) {
  struct Case {
    float rate;
    int clockRate;
  } cases[] = {{2.0f, 500}, {0.25f, 4000}, {40.0f, 1000}, {0.0f, 1000}, {-1.0f, 1000}, {0.03f, 1000}};
  for (const Case& c : cases) {
    VideoFrameInput fresh(log, [this] { return now; });
    fresh.changeRate(c.rate);
    EXPECT_EQ(c.rate, fresh.rate());
    int clockRate = 0;
    fresh.withClock([&](input_clock& clock) { clockRate = clock.rate; });
    EXPECT_EQ(c.clockRate, clockRate) << c.rate;
  }
}

TEST_F(VideoFrameInputTest, KeyFramesGiveStreamAndSystemFrameRates) {
  input.setInputQueueMaxSize(100);
  for (int i = 0; i <= 25; ++i) {
    input.pushVideoFrame(makeFrame(i % 25 == 0 ? kKey : kP, 1000000 + i * 40000, i + 1));
    now += 50000;  // arriving at 20 frames a second
  }
  EXPECT_EQ(25, input.streamFps());
  EXPECT_EQ(20, input.systemFps());
}

}  // namespace
