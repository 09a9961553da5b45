// The background key-frame index scan over recordings of both file types.
#include "player/KXPlayerResult.h"
#include "player/file/FileIndexScanThread.h"
#include "tests/player/file/RecordingFixture.h"

using readertest::Recording;
using readertest::kFrameHeadStream;
using readertest::kTransportStream;

namespace {

class IndexScan : public ::testing::TestWithParam<int> {
 protected:
  // The key frames of a recording and the offsets where their bytes begin.
  static void expectedIndex(const kxtest::RecordingPlan& plan, const std::vector<int64_t>& frameOffsets,
                            std::vector<int64_t>& ids, std::vector<int64_t>& offsets) {
    for (int k : plan.keyFrames()) {
      ids.push_back(plan.frames()[static_cast<size_t>(k)].id);
      offsets.push_back(frameOffsets[static_cast<size_t>(k)]);
    }
  }

  static bool waitUntilEnded(FileIndexScanThread& scan) {
    for (int i = 0; i < 20000 && scan.isRunning(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !scan.isRunning();
  }
};

// Every key frame of the file, past chunks without any (a group of pictures longer than a chunk,
// a stretch of audio), with the offset where its bytes begin.
TEST_P(IndexScan, IndexesEveryKeyFrameOfTheFileWithItsOffset) {
  const Recording& r = readertest::standardRecording(GetParam());
  FileIndexScanThread scan;
  scan.setFile(r.path.c_str());
  scan.setType(GetParam());
  ASSERT_EQ(scan.startScan(), KXPLAYER_OK);
  ASSERT_TRUE(waitUntilEnded(scan));
  EXPECT_TRUE(scan.isDone());
  std::vector<int64_t> ids, offsets, expectedIds, expectedOffsets;
  ASSERT_EQ(scan.getIndex(ids, offsets), KXPLAYER_OK);
  expectedIndex(r.plan, r.frameOffsets, expectedIds, expectedOffsets);
  EXPECT_EQ(ids, expectedIds);
  EXPECT_EQ(offsets, expectedOffsets);
}

TEST_P(IndexScan, OffsetsStayTrueAfterGarbageInTheMiddle) {
  kxtest::RecordingPlan plan;
  std::string path = kxtest::scratchDir("scan-garbage") + "/recording";
  std::vector<int64_t> frameOffsets;
  ASSERT_TRUE(kxtest::RecordingWriter::write(plan, GetParam(), path, &frameOffsets));
  // Before the key frame of the fourth group: 1000 bytes that shift every later offset.
  size_t at = static_cast<size_t>(plan.keyFrames()[3]);
  ASSERT_TRUE(kxtest::RecordingWriter::insertGarbage(path, frameOffsets[at], 1000));
  for (size_t i = at; i < frameOffsets.size(); ++i) frameOffsets[i] += 1000;

  FileIndexScanThread scan;
  scan.setFile(path.c_str());
  scan.setType(GetParam());
  EXPECT_EQ(scan.scanNow(), KXPLAYER_OK);
  std::vector<int64_t> ids, offsets, expectedIds, expectedOffsets;
  ASSERT_EQ(scan.getIndex(ids, offsets), KXPLAYER_OK);
  expectedIndex(plan, frameOffsets, expectedIds, expectedOffsets);
  EXPECT_EQ(ids, expectedIds);
  if (GetParam() == kFrameHeadStream) {
    EXPECT_EQ(offsets, expectedOffsets);
    return;
  }
  // The transport-stream parser counts its offsets in packets from where it found the stream again,
  // so after garbage that is no whole number of packets they may fall up to a packet and the garbage
  // early. A seek reads on from an early offset to the key frame; it must never be late.
  ASSERT_EQ(offsets.size(), expectedOffsets.size());
  for (size_t k = 0; k < offsets.size(); ++k) {
    EXPECT_LE(offsets[k], expectedOffsets[k]) << "key frame " << k;
    EXPECT_LT(expectedOffsets[k] - offsets[k], 188 + 1000) << "key frame " << k;
  }
}

TEST_P(IndexScan, StartsOnceAtATimeAndKeepsWhatAStoppedScanFound) {
  const Recording& r = readertest::standardRecording(GetParam());
  FileIndexScanThread scan;
  scan.setFile(r.path.c_str());
  scan.setType(GetParam());
  std::vector<int64_t> ids{-1}, offsets{-1};
  // Before any entry the caller's vectors stay as they were.
  EXPECT_EQ(scan.getIndex(ids, offsets), KXPLAYER_NOT_FOUND);
  EXPECT_EQ(ids, std::vector<int64_t>{-1});
  ASSERT_EQ(scan.startScan(), KXPLAYER_OK);
  // Right after the start the scan is still at its first chunks.
  EXPECT_EQ(scan.startScan(), KXPLAYER_SCAN_RUNNING);
  scan.stopScan();
  EXPECT_FALSE(scan.isRunning());
  EXPECT_TRUE(scan.isDone()) << "a stopped scan reports done";
  std::vector<int64_t> expectedIds, expectedOffsets;
  expectedIndex(r.plan, r.frameOffsets, expectedIds, expectedOffsets);
  if (scan.getIndex(ids, offsets) == KXPLAYER_OK) {
    ASSERT_EQ(ids.size(), offsets.size());
    ASSERT_LE(ids.size(), expectedIds.size());
    EXPECT_EQ(ids, std::vector<int64_t>(expectedIds.begin(), expectedIds.begin() + static_cast<long>(ids.size())));
  }
  // A new scan starts from an empty index and ends with the whole one.
  ASSERT_EQ(scan.startScan(), KXPLAYER_OK);
  ASSERT_TRUE(waitUntilEnded(scan));
  ASSERT_EQ(scan.getIndex(ids, offsets), KXPLAYER_OK);
  EXPECT_EQ(ids, expectedIds);
}

TEST_P(IndexScan, ReportsAScanThatCannotRunAsNotDone) {
  FileIndexScanThread scan;
  scan.setType(GetParam());
  std::string dir = kxtest::scratchDir("scan-fails");
  EXPECT_EQ(scan.setFile((dir + "/" + std::string(FileIndexScanThread::kMaxPathLength, 'x')).c_str()),
            KXPLAYER_OUT_OF_RANGE);
  EXPECT_EQ(scan.scanNow(), KXPLAYER_FILE_OPEN_FAILED) << "a refused path leaves none to scan";
  scan.setFile((dir + "/missing").c_str());
  ASSERT_EQ(scan.startScan(), KXPLAYER_OK);
  ASSERT_TRUE(waitUntilEnded(scan));
  EXPECT_FALSE(scan.isDone());
  scan.setType(7);
  EXPECT_EQ(scan.scanNow(), KXPLAYER_NO_PARSER);
}

INSTANTIATE_TEST_SUITE_P(BothFileTypes, IndexScan, ::testing::Values(kTransportStream, kFrameHeadStream),
                         [](const ::testing::TestParamInfo<int>& info) { return readertest::typeName(info.param); });

}  // namespace
