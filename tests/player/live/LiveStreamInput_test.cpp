// Live input without a player: packet reassembly from chunks of any size, frames parsed and routed
// with back-pressure, and what goes to the record callback.
#include "player/live/LiveStreamInput.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "media/AVFrameData.h"
#include "media/mpegts/MPEG_TS_Unpackager.h"
#include "media/mpegts/TSFrameParser.h"
#include "platform/DebugOutput.h"
#include "player/live/RecordRepackager.h"
#include "player/live/TSChunkReassembler.h"
#include "tests/player/LiveTestStreams.h"
#include "tests/player/live/LiveTestRouter.h"

namespace {

using livetest::Chunking;
using livetest::Delivered;
using livetest::TestRouter;
using livetest::Unit;

const char* const kOurFixture = "h264_baseline_crop_322x242_gop10.h264";

// Packets go straight into an unpackager; its video units are compared with ffmpeg's.
class UnpackagerSink : public TSPacketSink {
 public:
  UnpackagerSink() { m_unpackager.setBufferSize(TSFrameParser::kUnpackagerBufferSize); }
  int pushPacket(const char* packet, int length, int& consumed) override {
    for (int step = 0; step < 2; ++step) {
      AVData frame;
      const int pid = m_unpackager.parsePackets(reinterpret_cast<const uint8_t*>(packet), length, consumed, frame);
      if (pid != 0) take(frame);
      if (consumed > 0) return 0;
    }
    return -1;
  }
  void finish() {
    AVData frame;
    if (m_unpackager.finishStream(frame) != 0) take(frame);
  }
  std::vector<Unit> units;

 private:
  void take(const AVData& frame) {
    if (frame.getESStreamType() == 1)
      units.push_back({frame.getTimeStamp(), frame.getDataLength(),
                       tstest::md5Of(frame.getData(), static_cast<size_t>(frame.getDataLength()))});
  }
  MPEG_TS::MPEG_TS_Unpackager m_unpackager;
};

// Pushes bytes in the chunking; each chunk answered -13 is offered again after the router drains.
void pushAll(LiveStreamInput& input, TestRouter& router, const std::string& bytes, const Chunking& c) {
  size_t at = 0;
  size_t sinceDrain = 0;
  std::mt19937 random(c.seed + 77);
  for (int n : livetest::chunking(bytes.size(), c.size, c.seed)) {
    int result;
    while ((result = input.pushTSData(bytes.data() + at, n)) == -13) router.drain(1 + static_cast<int>(random() % 3));
    ASSERT_EQ(0, result) << "chunk at " << at;
    at += static_cast<size_t>(n);
    // The consumer takes a frame now and then, more slowly than the stream brings them.
    sinceDrain += static_cast<size_t>(n);
    if (sinceDrain > 20000) {
      router.drain(1);
      sinceDrain = 0;
    }
  }
  // The sync byte after the last packet releases it.
  while (input.pushTSData("\x47", 1) == -13) router.drain(1);
  router.drain(1000);
}

std::vector<Delivered> videoOf(const std::vector<Delivered>& frames) {
  std::vector<Delivered> video;
  for (const Delivered& d : frames)
    if (d.esType == 1) video.push_back(d);
  return video;
}

// ffmpeg's streams, damaged, in every chunking: the units of ffmpeg's own reading of the clean file.
class FfmpegStreamReassembly : public ::testing::TestWithParam<const char*> {};

TEST_P(FfmpegStreamReassembly, EveryChunkingFindsExactlyFfmpegsUnits) {
  const std::string path = kxtest::fixturePath(GetParam());
  const std::string clean = tstest::readFile(path);
  ASSERT_FALSE(clean.empty()) << path << " missing: scripts/fixtures/30-ts.sh writes it";
  const std::vector<Unit> expected = livetest::unitsOfFramemd5(tstest::readFile(path + ".framemd5"));
  ASSERT_GT(expected.size(), 10u);
  const std::string bytes = livetest::damaged(clean);
  for (const Chunking& c : livetest::chunkings()) {
    UnpackagerSink sink;
    TSChunkReassembler reassembler(sink);
    size_t at = 0;
    for (int n : livetest::chunking(bytes.size(), c.size, c.seed)) {
      ASSERT_EQ(0, reassembler.push(bytes.data() + at, n));
      at += static_cast<size_t>(n);
    }
    ASSERT_EQ(0, reassembler.push("\x47", 1)) << "the sync byte after the last packet";
    sink.finish();
    EXPECT_EQ(expected, sink.units) << c;
  }
}

INSTANTIATE_TEST_SUITE_P(FfmpegStreams, FfmpegStreamReassembly,
                         ::testing::Values("ts_ffmpeg_default_h264_baseline_crop_322x242_gop10.ts",
                                           "ts_ffmpeg_muxrate_audio_h264_main_crop_640x360_gop30.ts"));

class LiveStreamInputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    stream = new livetest::OurStream(livetest::ourStream(kOurFixture, 322, 242));
    const std::string dir = kxtest::scratchDir("live-input-ours");
    livetest::writeFile(dir + "/ours.ts", stream->bytes);
    reference = new std::vector<Unit>(livetest::ffmpegVideoUnits(dir + "/ours.ts"));
  }
  static void TearDownTestSuite() {
    delete stream;
    delete reference;
  }
  // The video frames as the player must get them: the fixture's access units at their microsecond times.
  static std::vector<Delivered> expectedVideo() {
    std::vector<Delivered> video;
    for (size_t i = 0; i < stream->videoBytes.size(); ++i)
      video.push_back({1, stream->videoKey[i] ? 1 : 2, stream->videoMicroseconds[i], stream->videoBytes[i]});
    return video;
  }
  static livetest::OurStream* stream;
  static std::vector<Unit>* reference;
};
livetest::OurStream* LiveStreamInputTest::stream = nullptr;
std::vector<Unit>* LiveStreamInputTest::reference = nullptr;

TEST_F(LiveStreamInputTest, OurStreamAgreesWithFfmpegsReading) {
  if (reference->empty()) GTEST_SKIP() << "no ffmpeg";
  const std::vector<Delivered> video = expectedVideo();
  ASSERT_EQ(reference->size(), video.size());
  for (size_t i = 0; i < video.size(); ++i) {
    EXPECT_EQ((*reference)[i].md5, tstest::md5Of(video[i].bytes.data(), video[i].bytes.size())) << "frame " << i;
    EXPECT_EQ((*reference)[i].pts * 100 / 9, video[i].timeStamp) << "frame " << i;
  }
}

TEST_F(LiveStreamInputTest, SameFramesInSameOrderForEveryChunkingWithDamageAndBackPressure) {
  const std::string bytes = livetest::damaged(stream->bytes);
  std::vector<Delivered> first;
  for (bool throttled : {false, true}) {
    for (const Chunking& c : livetest::chunkings()) {
      SCOPED_TRACE(::testing::Message() << c << (throttled ? ", queue of 2" : ", no limit"));
      TestRouter router(throttled ? 2 : INT_MAX);
      LiveStreamInput input(router);
      pushAll(input, router, bytes, c);
      EXPECT_EQ(expectedVideo(), videoOf(router.frames));
      if (first.empty()) first = router.frames;
      EXPECT_EQ(first, router.frames) << "audio frames too";
      if (throttled) {
        EXPECT_GT(router.refusals, 0);
      }
    }
  }
  EXPECT_EQ(stream->videoBytes.size() * 2, first.size()) << "an audio frame after every video frame";
}

TEST_F(LiveStreamInputTest, LastPacketWaitsForTheNextChunksSyncByte) {
  TestRouter router;
  LiveStreamInput input(router);
  // The first frame is a key frame (PAT, PMT, PES); its last packet completes it.
  const std::string& key = stream->framePackets[0];
  ASSERT_EQ(0, input.pushTSData(key.data(), static_cast<int>(key.size())));
  EXPECT_TRUE(router.frames.empty()) << "held back: no byte after it confirms the packet";
  const std::string& audio = stream->framePackets[1];
  ASSERT_EQ(0, input.pushTSData(audio.data(), 1));
  ASSERT_EQ(1u, router.frames.size());
  EXPECT_EQ(stream->videoBytes[0], router.frames[0].bytes);
}

TEST_F(LiveStreamInputTest, InputTSDataOnAFreshInputWithConsumedLosesNoFrame) {
  TestRouter router(3);
  LiveStreamInput input(router);
  std::mt19937 random(5);
  const std::string& bytes = stream->bytes;
  size_t at = 0;
  int idle = 0;
  int waits = 0;
  while (at < bytes.size() && idle < 1000) {
    const int offered = static_cast<int>(std::min<size_t>(bytes.size() - at, 188 * (1 + random() % 40)));
    unsigned consumed = 99;
    ASSERT_EQ(0, input.inputTSData(bytes.data() + at, offered, consumed));
    if (consumed == 0) {
      ++idle;
      ++waits;
      router.drain(1 + static_cast<int>(random() % 3));
    } else {
      idle = 0;
    }
    at += consumed;
  }
  EXPECT_EQ(bytes.size(), at);
  router.drain(1000);
  unsigned consumed = 0;
  // The frame still waiting goes with the next call.
  ASSERT_EQ(0, input.inputTSData("\x47", 1, consumed));
  EXPECT_EQ(expectedVideo(), videoOf(router.frames));
  EXPECT_GT(waits, 0) << "full queues answer consumed 0";
}

TEST_F(LiveStreamInputTest, TransportFramesRefusedAreOfferedAgainAndDeliveredOnce) {
  TestRouter router(2);
  LiveStreamInput input(router);
  std::mt19937 random(9);
  int refused = 0;
  for (const std::string& packets : stream->framePackets) {
    AVFrameData frame;
    frame.setStreamFormat(2);
    frame.setDataEx(packets.data(), static_cast<unsigned>(packets.size()));
    int result;
    while ((result = input.inputTSAVFrame(frame)) == -13) {
      ++refused;
      router.drain(1 + static_cast<int>(random() % 2));
    }
    ASSERT_EQ(0, result);
  }
  router.drain(1000);
  AVFrameData none;
  none.setStreamFormat(1);
  EXPECT_EQ(-7, input.inputTSAVFrame(none));
  EXPECT_EQ(expectedVideo(), videoOf(router.frames));
  EXPECT_EQ(stream->framePackets.size(), router.frames.size());
  EXPECT_GT(refused, 0);
}

// Elementary frames of the stream as a caller hands them in: microsecond times, borrowed bytes.
struct ElementaryFrames {
  std::deque<AVFrameData> frames;
  explicit ElementaryFrames(const livetest::OurStream& s) {
    for (size_t i = 0; i < s.videoBytes.size(); ++i) frames.push_back(livetest::elementaryFrame(s, i));
  }
};

struct RecordSink {
  std::string bytes;
  int calls = 0;
  static int take(void* reserved, const char* data, int length, void* user) {
    EXPECT_EQ(nullptr, reserved);
    auto* self = static_cast<RecordSink*>(user);
    self->bytes.append(data, static_cast<size_t>(length));
    ++self->calls;
    return 0;
  }
};

// Reads recorded bytes back as the file player's parser does.
std::vector<Delivered> readBack(const std::string& recorded) {
  TSFrameParser parser;
  parser.setEndOfStream(true);
  std::vector<Delivered> frames;
  int position = 0;
  for (;;) {
    AVData* frame = nullptr;
    if (parser.parseFrame(recorded.data(), static_cast<int>(recorded.size()), position, frame) != 0) break;
    frames.push_back({frame->getESStreamType(), frame->getFrameType(), frame->getTimeStamp(),
                      std::string(frame->getData(), static_cast<size_t>(frame->getDataLength()))});
    delete frame;
  }
  return frames;
}

TEST_F(LiveStreamInputTest, ElementaryFramesAreRecordedOnceWhenAcceptedAndReadBackWithTheirTimes) {
  ElementaryFrames in(*stream);
  TestRouter router(2);
  LiveStreamInput input(router);
  RecordSink sink;
  input.setRecordCallback(&RecordSink::take, &sink);
  std::mt19937 random(3);
  int refused = 0;
  for (const AVFrameData& frame : in.frames) {
    int result;
    while ((result = input.inputAVFrame(frame)) == -13) {
      ++refused;
      router.drain(1 + static_cast<int>(random() % 2));
    }
    ASSERT_EQ(0, result);
  }
  EXPECT_GT(refused, 0);
  EXPECT_EQ(static_cast<int>(in.frames.size()), sink.calls) << "each frame recorded once";
  // The player got the caller's microseconds, never the recording's 90 kHz ticks.
  EXPECT_EQ(expectedVideo(), router.frames);
  for (size_t i = 0; i < in.frames.size(); ++i) EXPECT_EQ(stream->videoMicroseconds[i], in.frames[i].getTimeStamp());
  ASSERT_EQ(0u, sink.bytes.size() % 188);
  EXPECT_EQ(expectedVideo(), readBack(sink.bytes));
}

TEST_F(LiveStreamInputTest, ChunksAreRecordedWhenAcceptedAndNeverWhenRefused) {
  TestRouter router(1);
  LiveStreamInput input(router);
  RecordSink sink;
  input.setRecordCallback(&RecordSink::take, &sink);
  std::string accepted;
  std::mt19937 random(11);
  const std::string& bytes = stream->bytes;
  size_t at = 0;
  for (int n : livetest::chunking(bytes.size(), 0, 21)) {
    int result;
    while ((result = input.pushTSData(bytes.data() + at, n)) == -13) router.drain(1);
    ASSERT_EQ(0, result);
    accepted.append(bytes, at, static_cast<size_t>(n));
    at += static_cast<size_t>(n);
    if (at > bytes.size() / 2 && sink.calls > 0 && random() % 3 == 0) break;
  }
  EXPECT_TRUE(accepted == sink.bytes);
  input.clearRecordCallback();
  int result;
  while ((result = input.pushTSData(bytes.data() + at, 188)) == -13) router.drain(1);
  ASSERT_EQ(0, result);
  EXPECT_TRUE(accepted == sink.bytes) << "nothing after the callback is cleared";
}

TEST(RecordRepackagerTest, SizeLimitAgreesWithTheReaderAndLargerFramesAreRefused) {
  RecordRepackager repackager;
  platform::DebugCapture log;
  for (int extra : {0, 1}) {
    const int length = RecordRepackager::maxFrameLength() + extra;
    std::vector<char> bytes = tstest::pattern(length, extra);
    AVData frame;
    frame.setESStreamType(1);
    frame.setEncoderType(EncoderType::H264);
    frame.setFrameType(1);
    frame.setTimeStamp(2000000);
    frame.setData(bytes.data(), static_cast<unsigned>(length));
    const AVData* packets = repackager.repackage(frame);
    if (extra == 0) {
      ASSERT_NE(nullptr, packets);
      const std::vector<Delivered> back = readBack(std::string(packets->getData(), static_cast<size_t>(packets->getDataLength())));
      ASSERT_EQ(1u, back.size());
      EXPECT_EQ(2000000, back[0].timeStamp);
      EXPECT_TRUE(back[0].bytes == std::string(bytes.begin(), bytes.end()));
      EXPECT_FALSE(log.contains("not recorded"));
    } else {
      EXPECT_EQ(nullptr, packets);
      EXPECT_TRUE(log.contains("not recorded"));
    }
  }
}

TEST(RecordRepackagerTest, KeyFrameIsWholePacketsWithRecordAndNinetyKilohertzTimes) {
  RecordRepackager repackager;
  std::vector<char> bytes = tstest::pattern(1000);
  AVData frame;
  frame.setESStreamType(1);
  frame.setEncoderType(EncoderType::H264);
  frame.setFrameType(1);
  frame.setSequenceId(7);
  frame.setTimeStamp(1500000);
  frame.setImageWidth(352);
  frame.setImageHeight(288);
  frame.setData(bytes.data(), 1000);
  const AVData* packets = repackager.repackage(frame);
  ASSERT_NE(nullptr, packets);
  EXPECT_EQ(8 * 188, packets->getDataLength()) << "PAT, PMT and six packets of the frame";
  EXPECT_EQ(2, packets->getStreamFormat());
  EXPECT_EQ(135000, packets->getTimeStamp());
  EXPECT_EQ(1500000, frame.getTimeStamp()) << "the caller's frame is not changed";
  EXPECT_EQ(nullptr, frame.getPrivateData());
  MPEG_TS::MPEG_TS_Unpackager unpackager;
  unpackager.setBufferSize(TSFrameParser::kUnpackagerBufferSize);
  AVData back;
  int consumed = 0;
  ASSERT_NE(0, unpackager.parsePackets(reinterpret_cast<const uint8_t*>(packets->getData()),
                                       packets->getDataLength(), consumed, back));
  EXPECT_EQ(135000, back.getTimeStamp()) << "PTS in 90 kHz";
  ASSERT_EQ(28u, back.getPrivateDataLen());
  MPEG_TS::FrameInfoRecord record;
  MPEG_TS::parseFrameInfo(reinterpret_cast<const uint8_t*>(back.getPrivateData()), record);
  EXPECT_EQ(7u, record.sequenceId);
  EXPECT_EQ(352, record.width);
  EXPECT_EQ(288, record.height);
  EXPECT_EQ(1500000u, record.timeStamp) << "the record keeps the player's microseconds";
  AVData unknown(frame);
  unknown.setEncoderType(EncoderType::UNKNOWN);
  EXPECT_EQ(nullptr, repackager.repackage(unknown)) << "no stream for the type: nothing recorded";
}

TEST(LiveStreamInputErrors, ArgumentsFormatsAndAnExceptionBecomeResultCodes) {
  class ThrowingRouter : public TestRouter {
   public:
    int routeFrame(const AVData&) override { throw std::runtime_error("router fault"); }
  };
  ThrowingRouter router;
  LiveStreamInput input(router);
  EXPECT_EQ(-8, input.pushTSData(nullptr, 10));
  EXPECT_EQ(-8, input.pushTSData("x", 0));
  AVFrameData frame;
  frame.setStreamFormat(2);
  EXPECT_EQ(-7, input.inputAVFrame(frame));
  frame.setStreamFormat(1);
  frame.setESStreamType(3);
  EXPECT_EQ(-7, input.inputAVFrame(frame));
  frame.setESStreamType(1);
  platform::DebugCapture log;
  EXPECT_EQ(-233, input.inputAVFrame(frame));
  EXPECT_TRUE(log.contains("router fault"));
}

}  // namespace
