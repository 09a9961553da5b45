// The record file: head block, then every chunk handed in while recording, whole and in order.
#include "player/live/Mepg2TSRecorder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <string>
#include <vector>

#include "media/AVData.h"
#include "platform/DebugOutput.h"
#include "player/live/RecorderHolder.h"
#include "support/TestPaths.h"

namespace {

// A frame borrowing the bytes of text.
AVData chunkOf(const std::string& text) {
  AVData frame;
  frame.setData(text.data(), static_cast<unsigned>(text.size()));
  return frame;
}

int hand(Recorder& recorder, const std::string& text) { return recorder.inputData(chunkOf(text)); }

class Mepg2TSRecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = kxtest::scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    path = dir + "/record.ts";
  }
  std::string dir;
  std::string path;
  Mepg2TSRecorder recorder;
};

TEST_F(Mepg2TSRecorderTest, FileIsHeadThenEveryChunkInOrderWhenStopReturns) {
  const std::string head("HEAD\0block", 10);
  ASSERT_TRUE(recorder.setRecordFile(path.c_str()));
  ASSERT_TRUE(recorder.setRecordFileHead(head.data(), static_cast<int>(head.size())));
  ASSERT_TRUE(recorder.startRecord());
  std::string expected = head;
  for (int i = 0; i < 200; ++i) {
    const std::string chunk(static_cast<size_t>(1 + i * 7), static_cast<char>('a' + i % 26));
    ASSERT_EQ(0, hand(recorder, chunk));
    expected += chunk;
  }
  // No wait: stop itself writes what is still queued.
  ASSERT_TRUE(recorder.stopRecord());
  EXPECT_EQ(expected, kxtest::readFile(path));
}

TEST_F(Mepg2TSRecorderTest, WithoutHeadOrEmptyHeadFileStartsWithFirstChunk) {
  ASSERT_TRUE(recorder.setRecordFile(path.c_str()));
  for (bool emptyHead : {false, true}) {
    if (emptyHead) {
      ASSERT_TRUE(recorder.setRecordFileHead("x", 0));
    }
    ASSERT_TRUE(recorder.startRecord());
    ASSERT_EQ(0, hand(recorder, "\x47payload"));
    recorder.stopRecord();
    EXPECT_EQ("\x47payload", kxtest::readFile(path)) << "empty head " << emptyHead;
  }
}

TEST_F(Mepg2TSRecorderTest, RestartTruncatesAndRewritesHead) {
  ASSERT_TRUE(recorder.setRecordFile(path.c_str()));
  ASSERT_TRUE(recorder.setRecordFileHead("H1", 2));
  ASSERT_TRUE(recorder.startRecord());
  ASSERT_EQ(0, hand(recorder, std::string(5000, 'x')));
  recorder.stopRecord();
  ASSERT_TRUE(recorder.setRecordFileHead("H2", 2));
  ASSERT_TRUE(recorder.startRecord());
  ASSERT_EQ(0, hand(recorder, "second"));
  recorder.stopRecord();
  EXPECT_EQ("H2second", kxtest::readFile(path));
}

TEST_F(Mepg2TSRecorderTest, ChunksOutsideRecordingAreRefusedAndNeverWritten) {
  ASSERT_TRUE(recorder.setRecordFile(path.c_str()));
  EXPECT_EQ(-1, hand(recorder, "before"));
  ASSERT_TRUE(recorder.startRecord());
  EXPECT_FALSE(recorder.startRecord()) << "already recording";
  ASSERT_EQ(0, hand(recorder, "during"));
  recorder.stopRecord();
  EXPECT_EQ(-1, hand(recorder, "after"));
  EXPECT_TRUE(recorder.stopRecord()) << "a second stop is harmless";
  EXPECT_EQ("during", kxtest::readFile(path));
}

TEST_F(Mepg2TSRecorderTest, FileThatCannotBeOpenedFailsStart) {
  platform::DebugCapture log;
  const std::string unwritable = dir + "/no-such-folder/record.ts";
  ASSERT_TRUE(recorder.setRecordFile(unwritable.c_str()));
  EXPECT_FALSE(recorder.startRecord());
  EXPECT_EQ(-1, hand(recorder, "lost"));
  EXPECT_TRUE(log.contains("cannot open record file"));
  // The recorder is usable again once the path is right.
  ASSERT_TRUE(recorder.setRecordFile(path.c_str()));
  ASSERT_TRUE(recorder.startRecord());
  ASSERT_EQ(0, hand(recorder, "kept"));
  recorder.stopRecord();
  EXPECT_EQ("kept", kxtest::readFile(path));
}

TEST_F(Mepg2TSRecorderTest, PathsLongerThan255BytesAreRefusedNotCut) {
  const std::string prefix = dir + "/";
  std::string fits = prefix + std::string(static_cast<size_t>(255) - prefix.size(), 'f');
  ASSERT_EQ(255u, fits.size());
  std::string tooLong = fits + "g";
  EXPECT_TRUE(recorder.setRecordFile(fits.c_str()));
  EXPECT_FALSE(recorder.setRecordFile(tooLong.c_str()));
  // The refused path leaves no path at all: no recording goes to the earlier file or a cut name.
  EXPECT_FALSE(recorder.startRecord());
  EXPECT_FALSE(recorder.setRecordFile(nullptr));
  EXPECT_FALSE(recorder.startRecord());
  ASSERT_TRUE(recorder.setRecordFile(fits.c_str()));
  ASSERT_TRUE(recorder.startRecord());
  recorder.stopRecord();
  EXPECT_TRUE(kxtest::readFile(fits).empty());
  EXPECT_TRUE(std::filesystem::exists(fits));
}

TEST_F(Mepg2TSRecorderTest, NullOrNegativeHeadIsRefusedAndOldHeadKept) {
  ASSERT_TRUE(recorder.setRecordFile(path.c_str()));
  ASSERT_TRUE(recorder.setRecordFileHead("OLD", 3));
  EXPECT_FALSE(recorder.setRecordFileHead(nullptr, 4));
  EXPECT_FALSE(recorder.setRecordFileHead(nullptr, 0));
  EXPECT_FALSE(recorder.setRecordFileHead("NEW", -1));
  ASSERT_TRUE(recorder.startRecord());
  recorder.stopRecord();
  EXPECT_EQ("OLD", kxtest::readFile(path));
}

TEST_F(Mepg2TSRecorderTest, HolderForwardsAndStopsRecordingWhenDestroyed) {
  {
    RecorderHolder holder;
    ASSERT_TRUE(holder.setRecordFile(path.c_str()));
    ASSERT_TRUE(holder.recorder().setRecordFileHead("HB", 2));
    ASSERT_TRUE(holder.startRecord());
    ASSERT_EQ(0, holder.inputData(chunkOf("tail")));
  }
  EXPECT_EQ("HBtail", kxtest::readFile(path));
}

}  // namespace
