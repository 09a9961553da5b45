// The file-playback engine and its feed thread against a video player that decodes nothing, so that
// the test decides when pictures are taken: no frame is lost by a pause and steps, the end is reported
// once and only after the last picture, whatever ended the data, a callback may seek and play again,
// and the video queue grows with the rate.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/Thread.h"
#include "player/KXPlayerResult.h"
#include "player/file/FilePlayerImpl.h"
#include "tests/player/file/FakeVideoPlayer.h"
#include "tests/player/file/RecordingFixture.h"

namespace {

using readertest::kFrameHeadStream;
using readertest::kTransportStream;

struct Ends {
  std::atomic<int> count{0};
  static void onEnd(long, void* user) { ++static_cast<Ends*>(user)->count; }
};

// Takes pictures as a decoder thread would, until the condition holds: false after the limit.
template <class Condition>
bool playUntil(FakeVideoPlayer& video, Condition condition) {
  for (int i = 0; i < 60000; ++i) {
    if (condition()) return true;
    if (!video.showNext()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return condition();
}

class FilePlayerEngine : public ::testing::TestWithParam<int> {
 protected:
  FilePlayerEngine() : video(new FakeVideoPlayer()), engine(video, nullptr) {}

  int open(const std::string& path) {
    engine.setFileType(GetParam());
    return engine.open(path.c_str());
  }
  const readertest::Recording& standard() { return readertest::standardRecording(GetParam()); }

  FakeVideoPlayer* video;  // owned by the engine
  FilePlayerImpl engine;
};

TEST_P(FilePlayerEngine, StepsAfterAPauseShowEveryFrame) {
  const readertest::Recording& r = standard();
  ASSERT_EQ(open(r.path), 0);
  ASSERT_EQ(engine.play(), 0);
  // The queue is full and the feed holds the frame it could not push.
  ASSERT_TRUE(video->waitForRefusals(1));
  ASSERT_EQ(engine.pause(), 0);
  const size_t queued = video->pushed().size();
  for (size_t step = 0; step < queued + 5; ++step) ASSERT_EQ(engine.playNextFrame(), 0) << "step " << step;
  const std::vector<int64_t> shown = video->shown();
  ASSERT_EQ(shown.size(), queued + 5);
  for (size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i], static_cast<int64_t>(r.plan.firstVideoId() + i)) << "step " << i;
  }
  // Playing on after the steps goes on from the frame after the last one shown.
  ASSERT_EQ(engine.play(), 0);
  ASSERT_TRUE(video->waitForQueued(1));
  EXPECT_EQ(video->pushed().back() > shown.back(), true);
  EXPECT_EQ(video->pushed()[queued + 5], shown.back() + 1);
}

TEST_P(FilePlayerEngine, TheEndIsReportedOnceAfterTheLastPicture) {
  kxtest::RecordingPlan::Options options;
  options.gopLengths = {5, 7};
  options.audioStretchBeforeGop = -1;
  const kxtest::RecordingPlan plan(options);
  const std::string path = kxtest::scratchDir("EngineEnd" + readertest::typeName(GetParam())) + "/short";
  ASSERT_TRUE(kxtest::RecordingWriter::write(plan, GetParam(), path));
  Ends ends;
  engine.setFileEndCallback(3, &Ends::onEnd, &ends);
  ASSERT_EQ(open(path), 0);
  ASSERT_EQ(engine.play(), 0);
  // Every frame is queued (16 times normal speed: the queue holds them all): the data has ended, the
  // pictures have not.
  ASSERT_EQ(engine.setRate(16.0f), 0);
  ASSERT_TRUE(video->waitForQueued(12));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(ends.count, 0);
  for (int i = 0; i < 11; ++i) ASSERT_TRUE(video->showNext());
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(ends.count, 0) << "reported before the last picture";
  ASSERT_TRUE(video->showNext());
  ASSERT_TRUE(playUntil(*video, [&] { return ends.count > 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(ends.count, 1);
  EXPECT_EQ(engine.getPlayStatus(), FilePlayerImpl::kPlaying);
}

// Data that stops parsing in the middle of the file ends playback like the end of the file: the
// end is reported.
TEST_P(FilePlayerEngine, UnreadableDataEndsPlaybackWithAReport) {
  const readertest::Recording& r = standard();
  const std::string path = kxtest::scratchDir("EngineGarbage" + readertest::typeName(GetParam())) + "/damaged";
  ASSERT_TRUE(kxtest::RecordingWriter::write(r.plan, GetParam(), path));
  // More than a whole chunk of bytes that parse as nothing, in the middle of the file.
  ASSERT_TRUE(kxtest::RecordingWriter::insertGarbage(path, r.frameOffsets[r.frameOffsets.size() / 2], 8000000));
  Ends ends;
  engine.setFileEndCallback(0, &Ends::onEnd, &ends);
  ASSERT_EQ(open(path), 0);
  ASSERT_EQ(engine.play(), 0);
  ASSERT_TRUE(playUntil(*video, [&] { return ends.count > 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(ends.count, 1);
}

TEST_P(FilePlayerEngine, TheEndCallbackMaySeekAndPlayOn) {
  kxtest::RecordingPlan::Options options;
  options.gopLengths = {5, 7};
  options.audioStretchBeforeGop = -1;
  const kxtest::RecordingPlan plan(options);
  const std::string path = kxtest::scratchDir("EngineLoop" + readertest::typeName(GetParam())) + "/short";
  ASSERT_TRUE(kxtest::RecordingWriter::write(plan, GetParam(), path));
  struct Looper {
    FilePlayerImpl* engine;
    std::atomic<int> ends{0};
    std::atomic<int> failures{0};
  } looper{&engine};
  engine.setFileEndCallback(0, [](long, void* user) {
    auto* l = static_cast<Looper*>(user);
    if (++l->ends < 3) {
      l->failures += l->engine->setCurrentFrameNum(8) != 0;  // pauses, seeks, plays on
    } else {
      l->failures += l->engine->stop() != 0;
    }
  }, &looper);
  ASSERT_EQ(open(path), 0);
  ASSERT_EQ(engine.play(), 0);
  ASSERT_TRUE(playUntil(*video, [&] { return looper.ends >= 3 && engine.getPlayStatus() == FilePlayerImpl::kStopped; }));
  EXPECT_EQ(looper.failures, 0);
  EXPECT_EQ(looper.ends, 3);
}

TEST_P(FilePlayerEngine, PlayFailsWhenTheFeedThreadCannotStart) {
  ASSERT_EQ(open(standard().path), 0);
  platform::Thread::failNextCreations(1);
  EXPECT_EQ(engine.play(), KXPLAYER_START_FAILED);
  platform::Thread::failNextCreations(0);
  EXPECT_EQ(engine.getPlayStatus(), FilePlayerImpl::kStopped);
  EXPECT_EQ(engine.play(), 0);
  EXPECT_TRUE(video->waitForQueued(2));
}

// A play that comes while the feed thread is ending by itself (the end just reported) feeds again.
TEST_P(FilePlayerEngine, PlayRightAfterTheEndFeedsAgain) {
  kxtest::RecordingPlan::Options options;
  options.gopLengths = {4};
  options.audioStretchBeforeGop = -1;
  const kxtest::RecordingPlan plan(options);
  const std::string path = kxtest::scratchDir("EngineRace" + readertest::typeName(GetParam())) + "/short";
  ASSERT_TRUE(kxtest::RecordingWriter::write(plan, GetParam(), path));
  Ends ends;
  engine.setFileEndCallback(0, &Ends::onEnd, &ends);
  ASSERT_EQ(open(path), 0);
  ASSERT_EQ(engine.play(), 0);
  for (int round = 1; round <= 20; ++round) {
    ASSERT_TRUE(playUntil(*video, [&] { return ends.count >= round; })) << "round " << round;
    // Straight back to the first frame and on: the thread that reported the end may still be ending.
    // The seek shows the first frame, the feed pushes the three after it.
    const size_t pushedBefore = video->pushed().size();
    ASSERT_EQ(engine.setCurrentFrameNum(1), 0);
    ASSERT_TRUE(playUntil(*video, [&] { return video->pushed().size() >= pushedBefore + 4; })) << "round " << round;
  }
}

// Above normal speed the queue holds more pictures, so that the feed keeps up; back at normal speed
// it shrinks only once it has run empty, so that no queued picture is dropped.
TEST_P(FilePlayerEngine, TheVideoQueueFollowsTheRateWithoutDroppingFrames) {
  const readertest::Recording& r = standard();
  ASSERT_EQ(open(r.path), 0);
  EXPECT_EQ(engine.setRate(2.0f), KXPLAYER_WRONG_STATE) << "stopped";
  ASSERT_EQ(engine.play(), 0);
  // At normal speed the queue holds half a second of pictures (the sound beside them covers the
  // audio player's lead).
  const unsigned normal = video->capacity();
  EXPECT_EQ(normal, 13u);
  ASSERT_EQ(engine.setRate(16.0f), 0);
  EXPECT_EQ(video->capacity(), 32u);
  ASSERT_TRUE(video->waitForQueued(32));
  ASSERT_EQ(engine.setRate(1.0f), 0);
  EXPECT_EQ(video->capacity(), 32u) << "shrinking now would drop queued frames";
  ASSERT_TRUE(playUntil(*video, [&] { return video->capacity() == normal; }));
  ASSERT_TRUE(playUntil(*video, [&] { return video->shown().size() >= 60; }));
  const std::vector<int64_t> shown = video->shown();
  for (size_t i = 0; i < shown.size(); ++i) {
    ASSERT_EQ(shown[i], static_cast<int64_t>(r.plan.firstVideoId() + i)) << "picture " << i;
  }
  float rate = 0;
  EXPECT_EQ(engine.getRate(rate), 0);
  EXPECT_EQ(rate, 1.0f);
}

TEST_P(FilePlayerEngine, PositionsBeforeTheFirstPicture) {
  ASSERT_EQ(open(standard().path), 0);
  long played = -5, percent = -5, seconds = -5;
  EXPECT_EQ(engine.getPlayedFrames(played), 0);
  EXPECT_EQ(engine.getPlayPosByPercent(percent), 0);
  EXPECT_EQ(engine.getPlayPosByTime(seconds), 0);
  EXPECT_EQ(played, 0);
  EXPECT_EQ(percent, 0);
  EXPECT_EQ(seconds, 0);
  // Operations that need a started engine.
  EXPECT_EQ(engine.playNextFrame(), KXPLAYER_WRONG_STATE);
  EXPECT_EQ(engine.playPreviousFrame(), KXPLAYER_WRONG_STATE);
  EXPECT_EQ(engine.pause(), KXPLAYER_WRONG_STATE);
  EXPECT_EQ(engine.playSound(), KXPLAYER_WRONG_STATE);
  EXPECT_EQ(engine.snapShot("x.jpg", "jpg"), KXPLAYER_WRONG_STATE);
  EXPECT_FALSE(engine.changeWindow(1));
  EXPECT_EQ(engine.stop(), 0);
  EXPECT_EQ(engine.open(standard().path.c_str()), 0) << "stopped: a second open is allowed";
}

TEST_P(FilePlayerEngine, WithoutAnAudioPlayerSoundIsMissing) {
  ASSERT_EQ(open(standard().path), 0);
  ASSERT_EQ(engine.play(), 0);
  EXPECT_EQ(engine.playSound(), KXPLAYER_MISSING_ARGUMENT);
  EXPECT_FALSE(engine.isOnSound());
  long volume = 3;
  EXPECT_EQ(engine.getVolume(volume), 0);
  EXPECT_EQ(volume, 3);
  EXPECT_EQ(engine.stopSound(), 0);
}

INSTANTIATE_TEST_SUITE_P(BothTypes, FilePlayerEngine, ::testing::Values(kTransportStream, kFrameHeadStream),
                         [](const ::testing::TestParamInfo<int>& info) { return readertest::typeName(info.param); });

}  // namespace
