#include "media/mpegts/MPEG_TS_Unpackager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/mpegts/TSTestFrames.h"
#include "platform/DebugOutput.h"

using MPEG_TS::MPEG_TS_Unpackager;
using tstest::TestFrame;
using tstest::TestPackager;
using tstest::pattern;

namespace {

struct Delivered {
  int pid;
  int esStreamType;
  int encoderType;
  int frameType;
  int64_t timeStamp;
  std::string data;
  std::string privateData;
  bool discontinuity;
};

// Feeds the stream in pieces of the given number of packets and collects every frame.
std::vector<Delivered> unpackAll(MPEG_TS_Unpackager& unpackager, const std::vector<uint8_t>& stream, int piece) {
  std::vector<Delivered> frames;
  size_t at = 0;
  while (at < stream.size()) {
    const int len = static_cast<int>(std::min<size_t>(stream.size() - at, static_cast<size_t>(piece) * 188));
    int offset = 0;
    for (;;) {
      AVData frame;
      int consumed = 0;
      const int pid = unpackager.parsePackets(stream.data() + at + offset, len - offset, consumed, frame);
      offset += consumed;
      if (pid == 0) break;
      frames.push_back({pid, frame.getESStreamType(), frame.getEncoderType(), frame.getFrameType(),
                        frame.getTimeStamp(), std::string(frame.getData(), static_cast<size_t>(frame.getDataLength())),
                        std::string(frame.getPrivateData(), frame.getPrivateDataLen()),
                        frame.getDiscontinuityIndicator()});
    }
    EXPECT_EQ(len, offset);
    at += static_cast<size_t>(len);
  }
  return frames;
}

struct Recording {
  TestPackager ts;
  std::deque<TestFrame> frames;

  // Key frames with records every 5 frames, audio after every video frame; sizes around the packet
  // and PES limits, among them frames that need no following unit to end.
  Recording() {
    const int sizes[] = {1000, 157, 183, 5000, 70000, 184 * 400 + 13, 1, 65507, 65508, 300};
    for (int i = 0; i < 10; ++i) {
      frames.emplace_back(1, i % 5 == 0 ? 1 : 2, 3600 * i, pattern(sizes[i], i));
      if (i % 5 == 0) frames.back().setPrivate(pattern(28, 50 + i));
      frames.emplace_back(2, 2, 3600 * i + 100, pattern(320, 200 + i));
    }
    for (TestFrame& f : frames) ts.add(f.frame);
  }
};

}  // namespace

TEST(MPEG_TS_Unpackager, TSHeaderPositionNeedsSixtyPackets) {
  Recording r;
  ASSERT_GT(r.ts.stream.size(), 11280u + 188);
  int pos = -1;
  const char* data = reinterpret_cast<const char*>(r.ts.stream.data());
  EXPECT_FALSE(MPEG_TS_Unpackager::getTSHeaderPos(data, 11279, pos));
  EXPECT_TRUE(MPEG_TS_Unpackager::getTSHeaderPos(data, 11280, pos));
  EXPECT_EQ(0, pos);
  EXPECT_TRUE(MPEG_TS_Unpackager::getTSHeaderPos(data + 100, 11280 + 88, pos));
  EXPECT_EQ(88, pos);
}

TEST(MPEG_TS_Unpackager, EveryFrameComesBackOnceWhateverThePieces) {
  for (int piece : {1, 2, 7, 64, 100000}) {
    Recording r;
    MPEG_TS_Unpackager unpackager;
    unpackager.setBufferSize(940000);
    const std::vector<Delivered> got = unpackAll(unpackager, r.ts.stream, piece);
    ASSERT_EQ(r.frames.size(), got.size()) << piece;
    for (size_t i = 0; i < got.size(); ++i) {
      const TestFrame& sent = r.frames[i];
      const bool video = sent.frame.getESStreamType() == 1;
      EXPECT_EQ(video ? r.ts.videoPid : r.ts.audioPid, got[i].pid) << i;
      EXPECT_EQ(sent.frame.getESStreamType(), got[i].esStreamType) << i;
      EXPECT_EQ(video ? 1 : 102, got[i].encoderType) << i;
      EXPECT_EQ(sent.frame.getFrameType(), got[i].frameType) << i;
      EXPECT_EQ(sent.frame.getTimeStamp(), got[i].timeStamp) << i;
      EXPECT_EQ("", tstest::firstDifference(std::string(sent.data.begin(), sent.data.end()), got[i].data))
          << i << " piece " << piece;
      EXPECT_EQ("", tstest::firstDifference(std::string(sent.privateData.begin(), sent.privateData.end()),
                                            got[i].privateData))
          << i;
    }
    EXPECT_TRUE(unpackager.checkProgramInfo());
  }
}

TEST(MPEG_TS_Unpackager, ProgramInfoComesFromThePMT) {
  Recording r;
  MPEG_TS_Unpackager unpackager;
  unpackager.setBufferSize(940000);
  EXPECT_FALSE(unpackager.checkProgramInfo());
  unpackAll(unpackager, r.ts.stream, 1000);
  const MPEG_TS::ProgramInfo info = unpackager.getProgramInfo();
  EXPECT_EQ(1, info.programNumber);
  EXPECT_EQ(0x1011, info.pcrPid);
  EXPECT_EQ("TS stream", info.programName);
  ASSERT_EQ(2u, info.streams.size());
  EXPECT_EQ(0x1011, info.streams[0].pid);
  EXPECT_EQ(1, info.streams[0].encoderType);
  EXPECT_EQ("H.264", info.streams[0].name);
  EXPECT_EQ(0x1021, info.streams[1].pid);
  EXPECT_EQ(102, info.streams[1].encoderType);
  EXPECT_EQ("G711A", info.streams[1].name);
}

TEST(MPEG_TS_Unpackager, PrivateTextsAreKeptAndFound) {
  TestPackager ts;
  TestFrame key(1, 1, 0, pattern(500));
  ts.add(key.frame);
  std::vector<uint8_t> out(188 * 30);
  const int packets = ts.packager.PrivateDatatoTS_Packet(out.data(), static_cast<int>(out.size()), std::string(600, 't'));
  ts.stream.insert(ts.stream.end(), out.begin(), out.begin() + packets * 188);
  ts.add(key.frame);

  MPEG_TS_Unpackager unpackager;
  unpackager.setBufferSize(940000);
  std::string text;
  EXPECT_FALSE(unpackager.getPrivateData(text));
  unpackAll(unpackager, ts.stream, 1000);
  ASSERT_TRUE(unpackager.getPrivateData(text));
  EXPECT_EQ(std::string(600, 't'), text);
  EXPECT_FALSE(unpackager.getPrivateData(text));

  MPEG_TS_Unpackager searcher;
  searcher.setBufferSize(940000);
  int consumed = 0;
  text.clear();
  ASSERT_TRUE(searcher.searchPrivateData(ts.stream.data(), static_cast<int>(ts.stream.size()), consumed, text));
  EXPECT_EQ(std::string(600, 't'), text);
  EXPECT_LE(consumed, static_cast<int>(ts.stream.size()));
}

TEST(MPEG_TS_Unpackager, GarbageBeforeTheStreamIsSkipped) {
  Recording r;
  std::vector<uint8_t> stream(100, 0x00);
  stream.insert(stream.end(), r.ts.stream.begin(), r.ts.stream.end());
  MPEG_TS_Unpackager unpackager;
  unpackager.setBufferSize(940000);
  AVData frame;
  int consumed = 0;
  ASSERT_EQ(0x1011, unpackager.parsePackets(stream.data(), static_cast<int>(stream.size()), consumed, frame));
  EXPECT_EQ(1000, frame.getDataLength());
  EXPECT_EQ(r.frames[0].data[999], frame.getData()[999]);
}

TEST(MPEG_TS_Unpackager, FramesOfUnlistedPidsAndBrokenPESUnitsAreDropped) {
  TestPackager ts;
  TestFrame key(1, 1, 0, pattern(500));
  ts.add(key.frame);
  // A PES unit whose start code is broken, then one whose header data length runs past it.
  TestFrame other(1, 2, 3600, pattern(100));
  auto pesOfLastPacket = [&ts]() {
    uint8_t* packet = ts.stream.data() + ts.stream.size() - 188;
    return packet + 4 + 1 + packet[4];
  };
  ts.add(other.frame);
  pesOfLastPacket()[2] = 0x02;
  ts.add(other.frame);
  pesOfLastPacket()[8] = 0xF0;
  TestFrame last(1, 2, 7200, pattern(100, 3));
  ts.add(last.frame);
  MPEG_TS_Unpackager unpackager;
  unpackager.setBufferSize(940000);
  const std::vector<Delivered> got = unpackAll(unpackager, ts.stream, 1000);
  ASSERT_EQ(2u, got.size());
  EXPECT_EQ(0, got[0].timeStamp);
  EXPECT_EQ(7200, got[1].timeStamp);
}

TEST(MPEG_TS_Unpackager, EachFrameWritesOneDebugLine) {
  TestPackager ts;
  TestFrame key(1, 1, 0x12345, pattern(500));
  ts.add(key.frame);
  MPEG_TS_Unpackager unpackager;
  unpackager.setBufferSize(940000);
  platform::DebugCapture capture;
  unpackAll(unpackager, ts.stream, 1000);
  EXPECT_EQ(
      "MPEG_TS_Unpackager::parsePackets:PES_StreamID=e0, PID = 1011, DTS = 12345, info.getDiscontinuityIndicator = 00 \n",
      capture.text());
}
