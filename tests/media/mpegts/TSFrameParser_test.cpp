#include "media/mpegts/TSFrameParser.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "media/AVData.h"
#include "media/Buffer.h"
#include "media/mpegts/TSTestFrames.h"

using tstest::TestFrame;
using tstest::TestPackager;
using tstest::pattern;

namespace {

constexpr int kVideo = 1;
constexpr int kAudio = 2;
constexpr int kKey = 1;
constexpr int kOther = 2;

// One frame of a recording: its kind, 90 kHz time and, for key frames, the record's id and time.
struct FramePlan {
  int esType;
  int frameType;
  int64_t ticks;
  int size;
  uint32_t recordId = 0;
  int64_t recordTime = 0;
};

struct Recording {
  TestPackager ts;
  std::deque<TestFrame> frames;

  explicit Recording(const std::vector<FramePlan>& plans) {
    int n = 0;
    for (const FramePlan& s : plans) {
      frames.emplace_back(s.esType, s.frameType, s.ticks, pattern(s.size, n++));
      if (s.esType == kVideo && s.frameType == kKey) {
        MPEG_TS::FrameInfoRecord record;
        record.sequenceId = s.recordId;
        record.timeStamp = static_cast<uint64_t>(s.recordTime);
        record.imageFormatId = 7;
        record.height = 288;
        record.width = 352;
        record.frameRate = 25;
        record.bitRate = 512;
        frames.back().setRecord(record);
      }
      ts.add(frames.back().frame);
    }
  }
  const char* bytes() const { return reinterpret_cast<const char*>(ts.stream.data()); }
  int length() const { return static_cast<int>(ts.stream.size()); }
};

struct Got {
  int esType;
  int frameType;
  uint32_t sequenceId;
  int64_t timeStamp;
  std::string data;
};

// Every frame of a whole-buffer parse.
std::vector<Got> listOf(FrameParser& parser) {
  std::vector<Got> list;
  parser.moveToBegin();
  AVData* frame = nullptr;
  while (parser.nextFrame(frame) == 0) {
    list.push_back({frame->getESStreamType(), frame->getFrameType(), frame->getSequenceId(), frame->getTimeStamp(),
                    std::string(frame->getData(), static_cast<size_t>(frame->getDataLength()))});
  }
  return list;
}

// Every frame that parsePackets delivers from the whole stream.
std::vector<Got> pushed(TSFrameParser& parser, const Recording& r) {
  std::vector<Got> list;
  int at = 0;
  for (;;) {
    AVData frame;
    int consumed = 0;
    const int result = parser.parsePackets(r.bytes() + at, r.length() - at, consumed, frame);
    at += consumed;
    if (result != 0) break;
    list.push_back({frame.getESStreamType(), frame.getFrameType(), frame.getSequenceId(), frame.getTimeStamp(),
                    std::string(frame.getData(), static_cast<size_t>(frame.getDataLength()))});
  }
  return list;
}

std::vector<int64_t> timesOf(const std::vector<Got>& list) {
  std::vector<int64_t> times;
  for (const Got& g : list) times.push_back(g.timeStamp);
  return times;
}

const int64_t T = 5000000000LL;

}  // namespace

TEST(TSFrameParser, TimesComeFromTheRecordAndTheTimeStampSteps) {
  struct Case {
    const char* what;
    std::vector<FramePlan> plans;
    std::vector<int64_t> pushedTimes;  // parsePackets
    std::vector<int64_t> wholeTimes;   // whole-buffer parse
  };
  const Case cases[] = {
      {"record time, then steps of 40 ms",
       {{kVideo, kKey, 0, 500, 1, T}, {kVideo, kOther, 3600, 300}, {kVideo, kOther, 7200, 300}},
       {T, T + 40000, T + 80000},
       {T, T + 40000, T + 80000}},
      {"a jump of 4 s counts as one frame only when pushed",
       {{kVideo, kKey, 0, 500, 1, T}, {kVideo, kOther, 360000, 300}},
       {T, T + 40000},
       {T, T + 4000000}},
      {"a step back counts as one frame when pushed and orders after the last one when whole",
       {{kVideo, kKey, 90000, 500, 1, T}, {kVideo, kOther, 0, 300}},
       {T, T + 40000},
       {T, T + 1}},
      {"audio is timed from the frame before it by the distance of their stream times",
       {{kVideo, kKey, 0, 500, 1, T}, {kAudio, kOther, 900, 320}, {kAudio, kOther, 2700, 320}, {kVideo, kOther, 3600, 300}},
       {T, T + 10000, T + 30000, T + 40000},
       {T, T + 10000, T + 30000, T + 40000}},
      {"audio with a stream time before its video frame or far after it takes the frame's time",
       {{kVideo, kKey, 900, 500, 1, T}, {kAudio, kOther, 0, 320}, {kAudio, kOther, 900 + 360000, 320}, {kVideo, kOther, 4500, 300}},
       {T, T, T, T + 40000},
       {T, T, T, T + 40000}},
      {"frames before the first record are discarded",
       {{kVideo, kOther, 0, 300}, {kAudio, kOther, 0, 320}, {kVideo, kKey, 3600, 500, 9, T}, {kVideo, kOther, 7200, 300}},
       {T, T + 40000},
       {T, T + 40000}},
  };
  for (const Case& c : cases) {
    Recording pushedRecording(c.plans);
    TSFrameParser pushedParser;
    EXPECT_EQ(c.pushedTimes, timesOf(pushed(pushedParser, pushedRecording))) << c.what;
    Recording wholeRecording(c.plans);
    TSFrameParser wholeParser;
    ASSERT_EQ(0, wholeParser.parse(wholeRecording.bytes(), wholeRecording.length(), true)) << c.what;
    EXPECT_EQ(c.wholeTimes, timesOf(listOf(wholeParser))) << c.what;
  }
}

TEST(TSFrameParser, FramesTakeTheirAttributesFromTheRecord) {
  Recording r({{kVideo, kKey, 0, 500, 41, T}, {kVideo, kOther, 3600, 300}, {kAudio, kOther, 3700, 320}});
  TSFrameParser parser;
  ASSERT_EQ(0, parser.parse(r.bytes(), r.length(), true));
  AVData* frame = nullptr;
  ASSERT_EQ(0, parser.nextFrame(frame));
  EXPECT_EQ(41u, frame->getSequenceId());
  EXPECT_EQ(7, frame->getImageFormatId());
  EXPECT_EQ(288, frame->getImageHeight());
  EXPECT_EQ(352, frame->getImageWidth());
  EXPECT_EQ(25, frame->getFrameRate());
  EXPECT_EQ(512, frame->getBitRate());
  EXPECT_EQ(1, frame->getEncoderType());
  EXPECT_EQ(1, frame->getStreamFormat());
  EXPECT_EQ(nullptr, frame->getPrivateData());
  EXPECT_EQ(500u, frame->getBufferSize());
  ASSERT_EQ(0, parser.nextFrame(frame));
  EXPECT_EQ(42u, frame->getSequenceId());
  EXPECT_EQ(kOther, frame->getFrameType());
  EXPECT_EQ(352, frame->getImageWidth());
  ASSERT_EQ(0, parser.nextFrame(frame));
  EXPECT_EQ(kAudio, frame->getESStreamType());
  EXPECT_EQ(102, frame->getEncoderType());
  EXPECT_EQ(288, parser.getImageHeight());
  EXPECT_EQ(352, parser.getImageWidth());
  EXPECT_EQ(7, parser.getImageFormatId());
}

TEST(TSFrameParser, ShortBuffersAndStreamsWithoutRecordsGiveNoFrames) {
  Recording r({{kVideo, kKey, 0, 100, 1, T}, {kVideo, kOther, 3600, 100}});
  ASSERT_GE(r.length(), 376);
  TSFrameParser parser;
  EXPECT_EQ(-1, parser.parse(r.bytes(), 375, true));
  EXPECT_EQ(375, parser.getParsedLength());
  EXPECT_EQ(0, parser.getTailLength());
  EXPECT_EQ(0, parser.getLastParseLength());
  // 376 bytes are two whole packets: the PAT and the PMT, no frame.
  EXPECT_EQ(-1, parser.parse(r.bytes(), 376, true));
  EXPECT_EQ(376, parser.getLastParseLength());
  EXPECT_EQ(0, parser.getLeftoverLength());

  Recording plain({{kVideo, kOther, 0, 1000}, {kVideo, kOther, 3600, 1000}});
  TSFrameParser without;
  EXPECT_EQ(-1, without.parse(plain.bytes(), plain.length(), true));
  EXPECT_TRUE(without.isEmpty());
}

TEST(TSFrameParser, StartTimeDropsEarlierFramesUntilTheFirstOneAtOrAfterIt) {
  // 90 kHz times of 9, 10 and 11 s; the key frame's record gives 10 s.
  Recording r({{kVideo, kKey, 810000, 500, 1, 9000000},
               {kVideo, kKey, 900000, 500, 2, 10000000},
               {kVideo, kOther, 903600, 300},
               {kVideo, kKey, 990000, 500, 4, 11000000}});
  TSFrameParser parser;
  EXPECT_EQ(10000000, parser.setStartTime(10000000));
  ASSERT_EQ(0, parser.parse(r.bytes(), r.length(), true));
  const std::vector<Got> list = listOf(parser);
  ASSERT_EQ(3u, list.size());
  EXPECT_EQ(2u, list[0].sequenceId);
  EXPECT_EQ(10000000, list[0].timeStamp);
  EXPECT_EQ(3u, list[1].sequenceId);
}

TEST(TSFrameParser, LazyParseStopsAtEachVideoFrameAndStepsParseOn) {
  Recording r({{kVideo, kKey, 0, 500, 1, T},
               {kAudio, kOther, 100, 320},
               {kVideo, kOther, 3600, 300},
               {kVideo, kOther, 7200, 300},
               {kVideo, kKey, 10800, 500, 4, T + 120000},
               {kVideo, kOther, 14400, 300}});
  TSFrameParser parser;
  ASSERT_EQ(0, parser.parse(r.bytes(), r.length(), false));
  AVData* frame = nullptr;
  ASSERT_EQ(0, parser.nextFrame(frame));
  EXPECT_EQ(1u, frame->getSequenceId());
  ASSERT_EQ(0, parser.nextVideoFrame(frame));
  EXPECT_EQ(2u, frame->getSequenceId());
  ASSERT_EQ(0, parser.nextKeyFrame(frame));
  EXPECT_EQ(4u, frame->getSequenceId());
  EXPECT_EQ(T + 120000, frame->getTimeStamp());
  ASSERT_EQ(0, parser.nextFrame(frame));
  EXPECT_EQ(5u, frame->getSequenceId());
  EXPECT_EQ(-1, parser.nextFrame(frame));
  EXPECT_EQ(-1, parser.nextKeyFrame(frame));
  ASSERT_EQ(0, parser.previousKeyFrame(frame, false));
  EXPECT_EQ(4u, frame->getSequenceId());
}

TEST(TSFrameParser, PreviousFrameOnTheFirstFrameMovesBeforeTheList) {
  Recording r({{kVideo, kKey, 0, 500, 1, T}, {kVideo, kOther, 3600, 300}});
  TSFrameParser parser;
  ASSERT_EQ(0, parser.parse(r.bytes(), r.length(), true));
  AVData* frame = nullptr;
  ASSERT_EQ(0, parser.nextFrame(frame));
  EXPECT_EQ(-1, parser.previousFrame(frame));
  ASSERT_EQ(0, parser.nextFrame(frame));
  EXPECT_EQ(1u, frame->getSequenceId());
}

namespace {

// A recording of several groups of pictures with audio; frame sizes cross the PES length limit.
std::vector<FramePlan> longRecording() {
  std::vector<FramePlan> plans;
  for (int i = 0; i < 60; ++i) {
    const bool key = i % 12 == 0;
    const int size = key ? 70000 + 997 * i : 300 + 1301 * (i % 7);
    plans.push_back({kVideo, key ? kKey : kOther, 3600 * i, size, static_cast<uint32_t>(1000 + i), T + 40000 * i});
    if (i % 2 == 1) plans.push_back({kAudio, kOther, 3600 * i + 100, 320});
  }
  return plans;
}

}  // namespace

TEST(TSFrameParser, ChunksOfAnySizeGiveEveryFrameOnceWithItsAttributes) {
  Recording r(longRecording());
  TSFrameParser reference;
  ASSERT_EQ(0, reference.parse(r.bytes(), r.length(), true));
  const std::vector<Got> whole = listOf(reference);
  ASSERT_EQ(r.frames.size(), whole.size());
  for (size_t i = 0; i < whole.size(); ++i) {
    const TestFrame& sent = r.frames[i];
    EXPECT_EQ(sent.frame.getESStreamType(), whole[i].esType) << i;
    EXPECT_EQ(sent.frame.getFrameType(), whole[i].frameType) << i;
    EXPECT_EQ("", tstest::firstDifference(std::string(sent.data.begin(), sent.data.end()), whole[i].data)) << i;
    if (sent.frame.getESStreamType() == kVideo) {
      const int v = static_cast<int>(i - i / 3);  // two video frames, then one audio frame
      EXPECT_EQ(1000u + static_cast<uint32_t>(v), whole[i].sequenceId) << i;
      EXPECT_EQ(T + 40000 * v, whole[i].timeStamp) << i;
    }
  }

  // Chunks as the file reader reads them: it goes back by the leftover before the next chunk.
  // Among the sizes are chunks that end exactly where a frame's last packet ends.
  const int frameEnd = 2 * 188 + 188 * r.ts.packager.packetCount(r.ts.videoPid, &r.frames[0].frame) - 2 * 188;
  for (int chunk : {376, 188 * 7 + 55, 188 * 64, 100000, frameEnd, frameEnd + 188}) {
    TSFrameParser parser;
    std::vector<Got> all;
    int at = 0;
    while (at < r.length()) {
      const int len = std::min(chunk, r.length() - at);
      if (parser.parse(r.bytes() + at, len, true) == 0) {
        const std::vector<Got> part = listOf(parser);
        all.insert(all.end(), part.begin(), part.end());
      }
      const int step = len - parser.getLeftoverLength();
      if (len == r.length() - at && step == 0) break;
      at += step;
    }
    ASSERT_EQ(whole.size(), all.size()) << chunk;
    for (size_t i = 0; i < all.size(); ++i) {
      EXPECT_EQ(whole[i].timeStamp, all[i].timeStamp) << chunk << " frame " << i;
      EXPECT_EQ(whole[i].sequenceId, all[i].sequenceId) << chunk << " frame " << i;
      EXPECT_EQ(whole[i].data.size(), all[i].data.size()) << chunk << " frame " << i;
    }
  }
}

TEST(TSFrameParser, ScanFindsEveryKeyFrameAtThePATBeforeIt) {
  Recording r(longRecording());
  for (int chunk : {188 * 50, 188 * 200 + 17, 1 << 20}) {
    TSFrameParser parser;
    std::vector<int64_t> ids;
    std::vector<int64_t> offsets;
    int at = 0;
    while (at < r.length()) {
      const int len = std::min(chunk, r.length() - at);
      Buffer buffer;
      ASSERT_TRUE(buffer.alloc(len));
      ASSERT_TRUE(buffer.copy(r.bytes() + at, static_cast<unsigned>(len)));
      EXPECT_EQ(len <= 375 ? -1 : 0, parser.scanKeyFrames(buffer, ids, offsets));
      at += len - parser.getLeftoverLength();
      if (len <= 375) break;
    }
    EXPECT_EQ(std::vector<int64_t>({1000, 1012, 1024, 1036, 1048}), ids) << chunk;
    ASSERT_EQ(ids.size(), offsets.size());
    for (int64_t offset : offsets) {
      ASSERT_EQ(0, offset % 188) << chunk;
      const uint8_t* packet = r.ts.stream.data() + offset;
      EXPECT_EQ(0x47, packet[0]);
      EXPECT_EQ(0, ((packet[1] & 0x1F) << 8) | packet[2]) << "offset " << offset << " chunk " << chunk;
    }
  }
}

TEST(TSFrameParser, TheLastFrameOfAStreamIsDeliveredAtTheEnd) {
  // An open unit whose last packet is exactly full cannot tell where it ends: the packager never
  // writes one (it splits the last packet), so the test joins the two last packets.
  Recording r({{kVideo, kKey, 0, 500, 1, T}});
  // 157 bytes in the first packet and 356 full packets after it.
  TestFrame big(kVideo, kOther, 3600, pattern(157 + 184 * 356));
  const int packets = r.ts.add(big.frame);
  ASSERT_EQ(1 + 356 + 1, packets) << "the packager splits the last packet";
  std::vector<uint8_t>& s = r.ts.stream;
  uint8_t* second = s.data() + s.size() - 2 * 188;
  uint8_t* last = s.data() + s.size() - 188;
  ASSERT_EQ(1, second[4]);
  std::vector<uint8_t> joined(188);
  joined[0] = 0x47;
  joined[1] = second[1];
  joined[2] = second[2];
  joined[3] = static_cast<uint8_t>(0x10 | (second[3] & 0x0F));
  std::copy(second + 6, second + 188, joined.begin() + 4);
  std::copy(last + 186, last + 188, joined.begin() + 186);
  s.resize(s.size() - 2 * 188);
  s.insert(s.end(), joined.begin(), joined.end());

  TSFrameParser waiting;
  ASSERT_EQ(0, waiting.parse(r.bytes(), r.length(), true));
  EXPECT_EQ(1, waiting.getVideoFrameCount());

  TSFrameParser atEnd;
  atEnd.setEndOfStream(true);
  ASSERT_EQ(0, atEnd.parse(r.bytes(), r.length(), true));
  const std::vector<Got> list = listOf(atEnd);
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ("", tstest::firstDifference(std::string(big.data.begin(), big.data.end()), list[1].data));
  EXPECT_EQ(0, atEnd.getTailLength());
}

TEST(TSFrameParser, TheFactoryMakesItForFileTypeOne) {
  std::unique_ptr<FrameParser> parser(createFrameParser(kTransportStreamParser));
  EXPECT_NE(nullptr, dynamic_cast<TSFrameParser*>(parser.get()));
}

TEST(TSFrameParser, PushedBytesLeaveTheirUnparsedTailToTheCaller) {
  Recording r({{kVideo, kKey, 0, 500, 1, T}, {kVideo, kOther, 3600, 300}});
  std::vector<char> bytes(r.bytes(), r.bytes() + r.length());
  bytes.insert(bytes.end(), 100, 0x47);  // part of a packet still to come
  TSFrameParser parser;
  AVData frame;
  int consumed = 0;
  ASSERT_EQ(0, parser.parsePackets(bytes.data(), static_cast<int>(bytes.size()), consumed, frame));
  EXPECT_EQ(1u, frame.getSequenceId());
  int at = consumed;
  ASSERT_EQ(0, parser.parsePackets(bytes.data() + at, static_cast<int>(bytes.size()) - at, consumed, frame));
  EXPECT_EQ(T + 40000, frame.getTimeStamp());
  at += consumed;
  EXPECT_EQ(-1, parser.parsePackets(bytes.data() + at, static_cast<int>(bytes.size()) - at, consumed, frame));
  EXPECT_EQ(100, static_cast<int>(bytes.size()) - at - consumed);
  EXPECT_EQ(100, parser.getLeftoverLength());
}
