// Seeking and stepping in a paused recording longer than two of the reader's chunks, whose groups of
// pictures cross chunk borders: by frame number, percentage and time, before and after the key-frame
// index is complete. Each target shows exactly that frame, equal to ffmpeg's picture of it, and a step
// either way moves by exactly one frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/MemoryDisplay.h"
#include "player/KXPlayerResult.h"
#include "player/file/FilePlayer.h"
#include "player/file/FilePosition.h"
#include "tests/player/PlaybackFixture.h"
#include "tests/player/PlaybackObserver.h"
#include "tests/player/file/RecordingFixture.h"

namespace {

using playtest::kFrameHeadStream;
using playtest::kTransportStream;
using playtest::PlaybackObserver;

constexpr int64_t kChunkBytes = 3760000;

// Ten seconds of 704 x 576 in groups of 50, about 10 MB.
playtest::Source longSource() {
  playtest::Source source;
  source.name = "long_704x576_gop50";
  source.width = 704;
  source.height = 576;
  source.frames = 250;
  source.gop = 50;
  source.noise = 10;
  source.crf = 25;
  return source;
}

struct Target {
  std::string what;
  long frame;
};

std::vector<Target> targetsOf(const playtest::Recording& r) {
  const kxtest::RecordingPlan& plan = r.plan;
  std::vector<Target> targets = {{"first frame", 1}, {"second frame", 2}, {"key frame", 51},
                                 {"after a key frame", 52}, {"last of a group", 50}};
  // A frame of a group that began in an earlier chunk, in the part at the start of a later chunk.
  for (size_t n = 0; n < plan.videoFrames().size(); ++n) {
    const kxtest::PlannedFrame& frame = plan.video(n);
    const kxtest::PlannedFrame& key = plan.keyFrameFor(frame.id);
    const int64_t at = r.frameOffsets[static_cast<size_t>(frame.index)];
    const int64_t keyAt = r.frameOffsets[static_cast<size_t>(key.index)];
    if (!frame.key && at / kChunkBytes > keyAt / kChunkBytes && at / kChunkBytes >= 1 &&
        frame.id - key.id >= 3) {
      targets.push_back({"a group crossing into a later chunk", static_cast<long>(n + 1)});
      break;
    }
  }
  targets.push_back({"last frame", static_cast<long>(plan.videoFrames().size())});
  return targets;
}

class FilePlayerSeek : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    window = createOffscreenWindow(704, 576);
    player.setVideoWindow(window, 0, 0, 704, 576);
  }
  void TearDown() override {
    player.close();
    destroyOffscreenWindow(window);
  }

  // The frame on screen after an operation: the last picture decoded, checked against ffmpeg's.
  void expectShown(const playtest::Recording& r, long frame, const std::string& where) {
    SCOPED_TRACE(where);
    const std::vector<playtest::Picture> pictures = observer.pictures();
    ASSERT_FALSE(pictures.empty());
    EXPECT_EQ(pictures.back().frame, frame);
    EXPECT_EQ(pictures.back().md5, r.md5s[static_cast<size_t>(frame - 1)]);
    long played = 0;
    EXPECT_EQ(player.getPlayedFrames(played), 0);
    EXPECT_EQ(played, frame);
  }

  void runTable(const playtest::Recording& r, const std::string& phase) {
    const long total = static_cast<long>(r.plan.videoFrames().size());
    long duration = 0;
    player.getDuration(duration);
    ASSERT_EQ(duration, total / 25);
    for (const Target& target : targetsOf(r)) {
      // The same target by frame number, by percentage and by time (the frame those name).
      const long percent = FilePosition::roundHalfUp(target.frame * 100.0 / total);
      const long seconds = FilePosition::roundHalfUp(static_cast<double>(target.frame) * duration / total);
      const struct {
        std::string how;
        std::function<int()> seek;
        long frame;
      } ways[] = {
          {"by frame number", [&] { return player.setCurrentFrameNum(target.frame); }, target.frame},
          {"by percentage " + std::to_string(percent), [&] { return player.setPlayPosByPercent(percent); },
           FilePosition::frameForPercent(percent, total)},
          {"by time " + std::to_string(seconds) + " s", [&] { return player.setPlayPosByTime(seconds); },
           FilePosition::frameForPercent(FilePosition::percentForSeconds(seconds, duration), total)},
      };
      for (const auto& way : ways) {
        const std::string where = phase + ", " + target.what + " " + way.how;
        observer.clearPictures();
        const size_t drawnBefore = drawnPictures();
        ASSERT_EQ(way.seek(), 0) << where;
        // The frames decoded on the way to the target (up to a whole group) are not drawn: the
        // window gets the target, besides at most the paused player's repaint of the picture before
        // drawing is switched off and of the target.
        const size_t drawn = drawnPictures() - drawnBefore;
        EXPECT_GE(drawn, 1u) << where;
        EXPECT_LE(drawn, 3u) << where;
        expectShown(r, way.frame, where);
        EXPECT_EQ(player.getPlayStatus(), 2) << where;

        const int next = player.playNextFrame();
        if (way.frame == total) {
          EXPECT_EQ(next, KXPLAYER_END_OF_DATA) << where;
        } else {
          EXPECT_EQ(next, 0) << where;
          expectShown(r, way.frame + 1, where + ", next frame");
        }
        ASSERT_EQ(player.setCurrentFrameNum(way.frame), 0) << where;
        EXPECT_EQ(player.playPreviousFrame(), 0) << where;
        expectShown(r, std::max(way.frame - 1, 1L), where + ", previous frame");
      }
    }
  }

  size_t drawnPictures() const {
    const std::vector<platform::BlitRecord> log = platform::MemoryDisplay::instance().blitLog();
    return static_cast<size_t>(std::count_if(log.begin(), log.end(),
                                             [&](const platform::BlitRecord& b) { return b.window == window; }));
  }

  HWND window = 0;
  FilePlayer player;
  PlaybackObserver observer;
};

TEST_P(FilePlayerSeek, EveryTargetShowsExactlyItsFrame) {
  const playtest::Recording& r = playtest::recording(longSource(), GetParam());
  ASSERT_GT(kxtest::readFile(r.path).size(), static_cast<size_t>(2 * kChunkBytes));
  ASSERT_EQ(player.open(r.path.c_str()), 0);
  player.setDecodeCallBack(1, &PlaybackObserver::onPicture, &observer);
  ASSERT_EQ(player.play(), 0);
  ASSERT_EQ(player.pause(), 0);
  runTable(r, "index being built");
  // Another scan of the same file, started later, has ended: so has the player's.
  IndexedFileReader reader;
  reader.setFileType(GetParam());
  ASSERT_EQ(reader.open(r.path.c_str()), 0);
  ASSERT_TRUE(readertest::waitForIndex(reader));
  runTable(r, "index complete");
}

TEST_P(FilePlayerSeek, OutOfRangePositionsAreRefused) {
  const playtest::Recording& r = playtest::recording(longSource(), GetParam());
  ASSERT_EQ(player.open(r.path.c_str()), 0);
  EXPECT_EQ(player.setCurrentFrameNum(5), KXPLAYER_WRONG_STATE) << "stopped";
  ASSERT_EQ(player.play(), 0);
  EXPECT_EQ(player.setPlayPosByPercent(101), KXPLAYER_OUT_OF_RANGE);
  EXPECT_EQ(player.setPlayPosByPercent(-1), KXPLAYER_OUT_OF_RANGE);
  EXPECT_EQ(player.setPlayPosByTime(11), KXPLAYER_OUT_OF_RANGE);
  EXPECT_EQ(player.setPlayPosByTime(-1), KXPLAYER_OUT_OF_RANGE);
  // Seeking while playing plays on from the target.
  player.setDecodeCallBack(1, &PlaybackObserver::onPicture, &observer);
  ASSERT_EQ(player.setCurrentFrameNum(200), 0);
  EXPECT_EQ(player.getPlayStatus(), 3);
  // The pictures from the key frame before the target are decoded (not drawn), then the target and
  // the frames after it.
  ASSERT_TRUE(observer.waitFor([](const PlaybackObserver& o) { return o.countFrom(200) >= 5; }));
  const std::vector<playtest::Picture> pictures = observer.pictures();
  const auto target = std::find_if(pictures.begin(), pictures.end(),
                                   [](const playtest::Picture& p) { return p.frame == 200; });
  ASSERT_NE(target, pictures.end());
  for (long i = 0; i < 5; ++i) {
    EXPECT_EQ(target[i].frame, 200 + i);
    EXPECT_EQ(target[i].md5, r.md5s[static_cast<size_t>(199 + i)]);
  }
}

// Pausing while the feed holds a frame that the full queue refused, then stepping: every step shows
// the next frame, none is lost.
TEST_P(FilePlayerSeek, StepsAfterAPauseLoseNoFrame) {
  const playtest::Recording& r = playtest::recording(longSource(), GetParam());
  ASSERT_EQ(player.open(r.path.c_str()), 0);
  player.setDecodeCallBack(1, &PlaybackObserver::onPicture, &observer);
  ASSERT_EQ(player.play(), 0);
  ASSERT_TRUE(observer.waitForPictures(3));
  // By now the queue is full and the feed holds the next frame.
  ASSERT_EQ(player.pause(), 0);
  // A picture the decoder thread had in hand at the pause may still arrive: the first step waits for
  // it, and the frames from there on follow one by one.
  ASSERT_EQ(player.playNextFrame(), 0);
  const long shown = observer.pictures().back().frame;
  for (int step = 1; step <= 60; ++step) {
    ASSERT_EQ(player.playNextFrame(), 0) << "step " << step;
    expectShown(r, shown + step, "step " + std::to_string(step));
  }
}

INSTANTIATE_TEST_SUITE_P(BothTypes, FilePlayerSeek, ::testing::Values(kTransportStream, kFrameHeadStream),
                         [](const ::testing::TestParamInfo<int>& info) { return playtest::typeName(info.param); });

}  // namespace
