// Seeking, stepping back and walking through recordings of both file types that span several chunks,
// with the background index scan running or finished.
#include <filesystem>
#include <functional>

#include "player/KXPlayerResult.h"
#include "tests/player/file/RecordingFixture.h"

using readertest::Recording;
using readertest::expectFrame;
using readertest::kFrameHeadStream;
using readertest::kTransportStream;

namespace {

struct SeekTarget {
  const char* name;
  // Frame number (1-based) of the target in the recording.
  std::function<int64_t(const Recording&)> frameNumber;
};

int64_t numberOfId(const Recording& r, int64_t id) { return id - r.plan.firstVideoId() + 1; }

// A frame of the long group of pictures that lies in a later chunk than its key frame.
int64_t frameInLaterChunk(const Recording& r) {
  const auto& keys = r.plan.keyFrames();
  for (size_t k = 0; k + 1 < keys.size(); ++k) {
    int64_t keyOffset = r.frameOffsets[static_cast<size_t>(keys[k])];
    for (int i = keys[k]; i < keys[k + 1]; ++i) {
      const kxtest::PlannedFrame& f = r.plan.frames()[static_cast<size_t>(i)];
      if (f.video && r.frameOffsets[static_cast<size_t>(i)] > keyOffset + ChunkWindow::kChunkSize + 100000) {
        return numberOfId(r, f.id);
      }
    }
  }
  ADD_FAILURE() << "the recording has no group of pictures longer than a chunk";
  return 1;
}

const std::vector<SeekTarget>& seekTargets() {
  static const std::vector<SeekTarget> targets = {
      {"frame 0 (before the first)", [](const Recording&) { return int64_t{0}; }},
      {"frame 1", [](const Recording&) { return int64_t{1}; }},
      {"a key frame", [](const Recording& r) { return numberOfId(r, r.plan.frames()[r.plan.keyFrames()[1]].id); }},
      {"key frame + 1", [](const Recording& r) { return numberOfId(r, r.plan.frames()[r.plan.keyFrames()[1]].id) + 1; }},
      {"last frame of a group", [](const Recording& r) { return numberOfId(r, r.plan.frames()[r.plan.keyFrames()[3]].id) - 1; }},
      {"frame of a group in a later chunk", frameInLaterChunk},
      {"a frame after the audio-only stretch", [](const Recording& r) { return numberOfId(r, r.plan.frames()[r.plan.keyFrames()[3]].id) + 2; }},
      {"last frame", [](const Recording& r) { return numberOfId(r, r.plan.lastVideoId()); }},
      {"beyond the last frame", [](const Recording& r) { return numberOfId(r, r.plan.lastVideoId()) + 50; }},
  };
  return targets;
}

class ReaderSeek : public ::testing::TestWithParam<int> {
 protected:
  const Recording& recording() { return readertest::standardRecording(GetParam()); }

  void openReader(IndexedFileReader& reader) {
    reader.setFileType(GetParam());
    ASSERT_EQ(reader.open(recording().path.c_str()), KXPLAYER_OK);
    ASSERT_EQ(reader.getFirstFrameId(), recording().plan.firstVideoId());
    ASSERT_EQ(reader.getLastFrameId(), recording().plan.lastVideoId());
  }

  // Every target of the table: the seek delivers the frame with the target's id (clamped to the
  // file), reading on continues in file order, and a step back from a frame that is not a key frame
  // gives its group's key frame, from which the video frames lead back to the target.
  void seekThroughTable(IndexedFileReader& reader) {
    const Recording& r = recording();
    const auto& frames = r.plan.frames();
    for (const SeekTarget& target : seekTargets()) {
      int64_t number = target.frameNumber(r);
      int64_t id = reader.getFirstFrameId() + number - 1;
      id = std::max<int64_t>(r.plan.firstVideoId(), std::min<int64_t>(id, r.plan.lastVideoId()));
      int at = r.plan.indexOfVideoId(id);
      SCOPED_TRACE(std::string(target.name) + ", frame number " + std::to_string(number));

      AVData* frame = nullptr;
      ASSERT_EQ(reader.seekToFrame(reader.getFirstFrameId() + number - 1, &frame), KXPLAYER_OK);
      expectFrame(frame, frames[static_cast<size_t>(at)], GetParam(), "seek");
      for (int next = at + 1; next <= at + 3; ++next) {
        if (static_cast<size_t>(next) >= frames.size()) {
          EXPECT_EQ(reader.readNextFrame(&frame), KXPLAYER_END_OF_DATA);
          break;
        }
        ASSERT_EQ(reader.readNextFrame(&frame), KXPLAYER_OK);
        expectFrame(frame, frames[static_cast<size_t>(next)], GetParam(), "read on");
      }

      ASSERT_EQ(reader.seekToFrame(id, &frame), KXPLAYER_OK);
      const kxtest::PlannedFrame& planned = frames[static_cast<size_t>(at)];
      const kxtest::PlannedFrame& groupKey = r.plan.keyFrameFor(id);
      if (planned.key && planned.index == r.plan.keyFrames().front()) {
        EXPECT_EQ(reader.readPreviousKeyFrame(&frame), KXPLAYER_END_OF_DATA);
        continue;
      }
      const kxtest::PlannedFrame& expectedKey = planned.key ? r.plan.keyFrameFor(id - 1) : groupKey;
      ASSERT_EQ(reader.readPreviousKeyFrame(&frame), KXPLAYER_OK);
      expectFrame(frame, expectedKey, GetParam(), "step back");
      for (int64_t walk = expectedKey.id + 1; walk <= static_cast<int64_t>(planned.id); ++walk) {
        ASSERT_EQ(reader.readNextVideoFrame(&frame), KXPLAYER_OK);
        ASSERT_EQ(static_cast<int64_t>(frame->getSequenceId()), walk) << "walking from the key frame";
      }
      expectFrame(frame, planned, GetParam(), "walked back to the target");
    }
  }
};

TEST_P(ReaderSeek, SeeksWhileTheIndexScanRuns) {
  IndexedFileReader reader;
  openReader(reader);
  // No wait: the index holds whatever the scan has reached; the answers do not depend on it.
  seekThroughTable(reader);
}

TEST_P(ReaderSeek, SeeksThroughTheCompleteIndex) {
  IndexedFileReader reader;
  openReader(reader);
  ASSERT_TRUE(readertest::waitForIndex(reader));
  seekThroughTable(reader);
  // Seeks in both directions one after another never stay on an earlier answer.
  AVData* frame = nullptr;
  const int64_t first = recording().plan.firstVideoId();
  for (int64_t id : {int64_t{recording().plan.lastVideoId()} - 5, first + 3, first + 150, first + 151}) {
    ASSERT_EQ(reader.seekToFrame(id, &frame), KXPLAYER_OK);
    EXPECT_EQ(static_cast<int64_t>(frame->getSequenceId()), id);
  }
}

void walkForwardsOverEveryFrame(IndexedFileReader& reader, const Recording& r, int fileType) {
  AVData* frame = nullptr;
  for (const kxtest::PlannedFrame& planned : r.plan.frames()) {
    ASSERT_EQ(reader.readNextFrame(&frame), KXPLAYER_OK) << "frame " << planned.index;
    expectFrame(frame, planned, fileType, "forward walk");
    if (::testing::Test::HasFatalFailure()) return;
  }
  EXPECT_EQ(reader.readNextFrame(&frame), KXPLAYER_END_OF_DATA);
  EXPECT_EQ(reader.readNextFrame(&frame), KXPLAYER_END_OF_DATA);
}

TEST_P(ReaderSeek, WalksForwardsOverEveryFrameOnceInOrder) {
  IndexedFileReader reader;
  openReader(reader);
  walkForwardsOverEveryFrame(reader, recording(), GetParam());
}

// Chunks of 1000 transport packets (more than twice the largest frame): the recording spans about a
// hundred of them, so every step crosses chunk boundaries; with the index built inside open, it is
// complete at the first look and no thread runs.
TEST_P(ReaderSeek, SmallChunksAndAnIndexBuiltAtOpenGiveTheSameFrames) {
  constexpr int kSmallChunk = 1000 * 188;
  {
    IndexedFileReader reader(kSmallChunk, false);
    openReader(reader);
    EXPECT_TRUE(reader.updateIndex()) << "the index is complete when open returns";
    seekThroughTable(reader);
  }
  IndexedFileReader reader(kSmallChunk, false);
  openReader(reader);
  walkForwardsOverEveryFrame(reader, recording(), GetParam());
}

TEST_P(ReaderSeek, WalksForwardsOverEveryVideoFrame) {
  IndexedFileReader reader;
  openReader(reader);
  AVData* frame = nullptr;
  for (size_t n = 0; n < recording().plan.videoFrames().size(); ++n) {
    ASSERT_EQ(reader.readNextVideoFrame(&frame), KXPLAYER_OK) << "video frame " << n;
    ASSERT_EQ(static_cast<int64_t>(frame->getSequenceId()), recording().plan.video(n).id);
  }
  EXPECT_EQ(reader.readNextVideoFrame(&frame), KXPLAYER_END_OF_DATA);
}

TEST_P(ReaderSeek, WalksBackwardsOverEveryKeyFrame) {
  IndexedFileReader reader;
  openReader(reader);
  const Recording& r = recording();
  AVData* frame = nullptr;
  ASSERT_EQ(reader.seekToFrame(r.plan.lastVideoId(), &frame), KXPLAYER_OK);
  const auto& keys = r.plan.keyFrames();
  for (size_t k = keys.size(); k-- > 0;) {
    ASSERT_EQ(reader.readPreviousKeyFrame(&frame), KXPLAYER_OK) << "key frame " << k;
    expectFrame(frame, r.plan.frames()[static_cast<size_t>(keys[k])], GetParam(), "backward walk");
  }
  EXPECT_EQ(reader.readPreviousKeyFrame(&frame), KXPLAYER_END_OF_DATA);
  // Nothing before the first key frame: the reader stays on it and reads on from there.
  ASSERT_EQ(reader.readNextVideoFrame(&frame), KXPLAYER_OK);
  EXPECT_EQ(static_cast<int64_t>(frame->getSequenceId()), r.plan.firstVideoId() + 1);
}

// A seek whose read fails (here: the file was cut short under the reader, so the indexed offset lies
// past its end) leaves the reader on the chunk and the frame it held, and reading goes on from there.
TEST_P(ReaderSeek, AFailedSeekLeavesTheReaderWhereItWas) {
  const Recording& r = recording();
  std::string path = kxtest::scratchDir("reader-failed-seek") + "/recording";
  std::filesystem::copy_file(r.path, path);
  IndexedFileReader reader;
  reader.setFileType(GetParam());
  ASSERT_EQ(reader.open(path.c_str()), KXPLAYER_OK);
  ASSERT_TRUE(readertest::waitForIndex(reader));
  const auto& frames = r.plan.frames();
  AVData* frame = nullptr;
  for (int n = 0; n < 5; ++n) ASSERT_EQ(reader.readNextFrame(&frame), KXPLAYER_OK);
  const kxtest::PlannedFrame& lastKey = frames[static_cast<size_t>(r.plan.keyFrames().back())];
  ASSERT_TRUE(kxtest::RecordingWriter::truncate(path, r.frameOffsets[static_cast<size_t>(lastKey.index)] - 1000));
  EXPECT_NE(reader.seekToFrame(lastKey.id + 1, &frame), KXPLAYER_OK);
  for (int n = 5; n < 12; ++n) {
    ASSERT_EQ(reader.readNextFrame(&frame), KXPLAYER_OK);
    expectFrame(frame, frames[static_cast<size_t>(n)], GetParam(), "after the failed seek");
  }
}

INSTANTIATE_TEST_SUITE_P(BothFileTypes, ReaderSeek, ::testing::Values(kTransportStream, kFrameHeadStream),
                         [](const ::testing::TestParamInfo<int>& info) { return readertest::typeName(info.param); });

}  // namespace
