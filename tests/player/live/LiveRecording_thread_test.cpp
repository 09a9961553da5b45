// Live recording end to end below the facade: live input hands what it accepts to the recorder,
// whose writer thread appends it to the file; recordings stop at a random moment.
#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "media/AVData.h"
#include "media/AVFrameData.h"
#include "media/mpegts/TSFrameParser.h"
#include "player/live/LiveStreamInput.h"
#include "player/live/RecorderHolder.h"
#include "tests/player/LiveTestStreams.h"
#include "tests/player/live/LiveTestRouter.h"

namespace {

using livetest::Delivered;
using livetest::TestRouter;

int toRecorder(void*, const char* data, int length, void* user) {
  AVData chunk;
  chunk.setData(data, static_cast<unsigned>(length));
  return static_cast<RecorderHolder*>(user)->inputData(chunk);
}

// ffprobe's video packet times of a file, and what it wrote to standard error.
std::vector<int64_t> ffprobeVideoPts(const std::string& path, std::string& errors) {
  const std::string errorFile = path + ".ffprobe-errors";
  const std::string out = kxtest::runCommand("ffprobe -v error -select_streams v -show_entries packet=pts -of csv=p=0 '" +
                                             path + "' 2>'" + errorFile + "'");
  errors = kxtest::readFile(errorFile);
  std::vector<int64_t> pts;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) pts.push_back(std::stoll(line));
  return pts;
}

std::vector<Delivered> readBack(const std::string& bytes) {
  TSFrameParser parser;
  parser.setEndOfStream(true);
  std::vector<Delivered> frames;
  int position = 0;
  for (AVData* frame = nullptr; parser.parseFrame(bytes.data(), static_cast<int>(bytes.size()), position, frame) == 0;) {
    frames.push_back({frame->getESStreamType(), frame->getFrameType(), frame->getTimeStamp(),
                      std::string(frame->getData(), static_cast<size_t>(frame->getDataLength()))});
    delete frame;
  }
  return frames;
}

class LiveRecording : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { stream = new livetest::OurStream(livetest::ourStream("h264_baseline_crop_322x242_gop10.h264", 322, 242)); }
  static void TearDownTestSuite() { delete stream; }
  static livetest::OurStream* stream;
};
livetest::OurStream* LiveRecording::stream = nullptr;

TEST_F(LiveRecording, ChunkRecordingIsTheHeadBlockPlusEveryAcceptedChunk) {
  const std::string dir = kxtest::scratchDir("live-recording-chunks");
  for (unsigned seed : {1u, 2u, 3u}) {
    const std::string path = dir + "/chunks" + std::to_string(seed) + ".ts";
    const std::string head = seed == 1 ? std::string() : "HEAD-" + std::to_string(seed);
    RecorderHolder recorder;
    ASSERT_TRUE(recorder.setRecordFile(path.c_str()));
    ASSERT_TRUE(recorder.recorder().setRecordFileHead(head.data(), static_cast<int>(head.size())));
    TestRouter router(2);
    LiveStreamInput input(router);
    std::mt19937 random(seed);
    const std::vector<int> chunks = livetest::chunking(stream->bytes.size(), 0, seed);
    const size_t startAt = random() % (chunks.size() / 3);
    const size_t stopAt = startAt + 1 + random() % (chunks.size() - startAt - 1);
    std::string accepted;
    size_t at = 0;
    for (size_t n = 0; n < chunks.size(); ++n) {
      if (n == startAt) {
        ASSERT_TRUE(recorder.startRecord());
        input.setRecordCallback(&toRecorder, &recorder);
      }
      if (n == stopAt) {
        input.clearRecordCallback();
        recorder.stopRecord();
      }
      int result;
      while ((result = input.pushTSData(stream->bytes.data() + at, chunks[n])) == -13) router.drain(1);
      ASSERT_EQ(0, result);
      if (n >= startAt && n < stopAt) accepted.append(stream->bytes, at, static_cast<size_t>(chunks[n]));
      at += static_cast<size_t>(chunks[n]);
      if (random() % 3 == 0) router.drain(1);
    }
    EXPECT_TRUE(head + accepted == kxtest::readFile(path)) << "seed " << seed;
  }
}

TEST_F(LiveRecording, ElementaryFramesRecordAsAStreamFfprobeReadsWithThePushedTimes) {
  const std::string path = kxtest::scratchDir("live-recording-frames") + "/frames.ts";
  RecorderHolder recorder;
  ASSERT_TRUE(recorder.setRecordFile(path.c_str()));
  ASSERT_TRUE(recorder.startRecord());
  TestRouter router(3);
  LiveStreamInput input(router);
  input.setRecordCallback(&toRecorder, &recorder);
  std::mt19937 random(17);
  const size_t stopAfter = stream->videoBytes.size() / 2 + random() % (stream->videoBytes.size() / 2);
  std::vector<Delivered> recorded;
  for (size_t i = 0; i < stopAfter; ++i) {
    const AVFrameData frame = livetest::elementaryFrame(*stream, i);
    int result;
    while ((result = input.inputAVFrame(frame)) == -13) router.drain(1);
    ASSERT_EQ(0, result);
    recorded.push_back({1, stream->videoKey[i] ? 1 : 2, stream->videoMicroseconds[i], stream->videoBytes[i]});
    if (random() % 2 == 0) router.drain(1);
  }
  input.clearRecordCallback();
  ASSERT_TRUE(recorder.stopRecord());
  const std::string bytes = kxtest::readFile(path);
  ASSERT_EQ(0u, bytes.size() % 188);
  EXPECT_EQ(recorded, readBack(bytes)) << "the same frames, bytes and microsecond times";
  if (!kxtest::haveProgram("ffprobe")) GTEST_SKIP() << "no ffprobe";
  std::string errors;
  const std::vector<int64_t> pts = ffprobeVideoPts(path, errors);
  EXPECT_EQ("", errors);
  ASSERT_EQ(recorded.size(), pts.size());
  for (size_t i = 0; i < pts.size(); ++i) EXPECT_EQ(recorded[i].timeStamp * 9 / 100, pts[i]) << "frame " << i;
}

}  // namespace
