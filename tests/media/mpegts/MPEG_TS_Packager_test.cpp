#include "media/mpegts/MPEG_TS_Packager.h"

#include <gtest/gtest.h>

#include <vector>

#include "media/mpegts/Crc32Mpeg.h"
#include "media/mpegts/PESHeader.h"
#include "media/mpegts/PMTSection.h"
#include "media/mpegts/TSTestFrames.h"

using MPEG_TS::MPEG_TS_Packager;
using tstest::TestFrame;
using tstest::TestPackager;
using tstest::pattern;

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes packetAt(const std::vector<uint8_t>& stream, int index) {
  return Bytes(stream.begin() + index * 188, stream.begin() + (index + 1) * 188);
}

// A packet as a list of parts, padded with 0xFF to 188 bytes.
Bytes packetOf(std::initializer_list<Bytes> parts) {
  Bytes packet;
  for (const Bytes& part : parts) packet.insert(packet.end(), part.begin(), part.end());
  packet.resize(188, 0xFF);
  return packet;
}

Bytes slice(const std::vector<char>& data, int from, int count) {
  return Bytes(data.begin() + from, data.begin() + from + count);
}

Bytes pcrBytes(uint64_t base) {
  return {static_cast<uint8_t>(base >> 25), static_cast<uint8_t>(base >> 17), static_cast<uint8_t>(base >> 9),
          static_cast<uint8_t>(base >> 1), static_cast<uint8_t>(((base & 1) << 7) | 0x7E), 0x00};
}

Bytes timeBytes(uint8_t prefix, uint64_t v) {
  return {static_cast<uint8_t>((prefix << 4) | (((v >> 30) & 7) << 1) | 1), static_cast<uint8_t>(v >> 22),
          static_cast<uint8_t>((((v >> 15) & 0x7F) << 1) | 1), static_cast<uint8_t>(v >> 7),
          static_cast<uint8_t>(((v & 0x7F) << 1) | 1)};
}

Bytes pesHeader(uint8_t streamId, int payload, bool key, uint64_t time) {
  Bytes header = {0, 0, 1, streamId, static_cast<uint8_t>((payload + 13) >> 8), static_cast<uint8_t>(payload + 13),
                  static_cast<uint8_t>(key ? 0x8B : 0x83), 0xC0, 10};
  Bytes pts = timeBytes(3, time), dts = timeBytes(1, time);
  header.insert(header.end(), pts.begin(), pts.end());
  header.insert(header.end(), dts.begin(), dts.end());
  return header;
}

Bytes withCrc(Bytes section) {
  const uint32_t crc = MPEG_TS::Crc32Mpeg::compute(section.data(), section.size());
  for (int i = 0; i < 4; ++i) section.push_back(static_cast<uint8_t>(crc >> (24 - 8 * i)));
  return section;
}

}  // namespace

TEST(MPEG_TS_Packager, AKeyFrameOfAThousandBytesGivesTheEightPacketsOfTheLayout) {
  TestPackager ts(false);
  TestFrame key(1, 1, 900000, pattern(1000));
  key.setPrivate(pattern(28, 100));
  ASSERT_EQ(8, ts.add(key.frame));
  ASSERT_EQ(8u * 188, ts.stream.size());

  const Bytes pat = withCrc({0x00, 0xB0, 0x0D, 0x00, 0x01, 0xC3, 0x00, 0x00, 0x00, 0x01, 0xF0, 0x00});
  EXPECT_EQ(packetOf({{0x47, 0x60, 0x00, 0x10, 0x00}, pat}), packetAt(ts.stream, 0));
  const Bytes pmt = withCrc({0x02, 0xB0, 0x20, 0x00, 0x01, 0xC3, 0x00, 0x00, 0xF0, 0x11, 0xF0, 0x09,
                             'T',  'S',  ' ',  's',  't',  'r',  'e',  'a',  'm',  0x1B, 0xF0, 0x11,
                             0xF0, 0x05, 'H',  '.',  '2',  '6',  '4'});
  EXPECT_EQ(packetOf({{0x47, 0x70, 0x00, 0x10, 0x00}, pmt}), packetAt(ts.stream, 1));
  // Adaptation field of 37 bytes: random access, ES priority, PCR and private data.
  EXPECT_EQ(packetOf({{0x47, 0x70, 0x11, 0x30, 36, 0x72},
                      pcrBytes(900000),
                      {28},
                      slice(key.privateData, 0, 28),
                      pesHeader(0xE0, 1000, true, 900000),
                      slice(key.data, 0, 128)}),
            packetAt(ts.stream, 2));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(packetOf({{0x47, 0x30, 0x11, static_cast<uint8_t>(0x11 + i)}, slice(key.data, 128 + 184 * i, 184)}),
              packetAt(ts.stream, 3 + i))
        << i;
  }
  // The last packet keeps the ES priority of the key frame (flags 0x20) before 46 stuffing bytes.
  Bytes stuffing(46, 0xFF);
  EXPECT_EQ(packetOf({{0x47, 0x30, 0x11, 0x35, 47, 0x20}, stuffing, slice(key.data, 864, 136)}),
            packetAt(ts.stream, 7));
}

TEST(MPEG_TS_Packager, ASmallFrameFitsOnePacketBehindItsPCR) {
  TestPackager ts(false);
  TestFrame frame(1, 2, 3600, pattern(157));
  ASSERT_EQ(1, ts.add(frame.frame));
  EXPECT_EQ(packetOf({{0x47, 0x50, 0x11, 0x30, 7, 0x10}, pcrBytes(3600), pesHeader(0xE0, 157, false, 3600),
                      slice(frame.data, 0, 157)}),
            packetAt(ts.stream, 0));
}

TEST(MPEG_TS_Packager, AContinuationOfExactly183BytesGetsTheEmptyAdaptationField) {
  TestPackager ts(false);
  // The first packet of a frame without private data carries 157 data bytes behind its PCR.
  TestFrame frame(1, 2, 0, pattern(157 + 183));
  ASSERT_EQ(2, ts.add(frame.frame));
  EXPECT_EQ(packetOf({{0x47, 0x10, 0x11, 0x31, 0x00}, slice(frame.data, 157, 183)}), packetAt(ts.stream, 1));
}

TEST(MPEG_TS_Packager, TheCounterWrapsAfterSixteenPackets) {
  TestPackager ts(false);
  TestFrame frame(1, 2, 0, pattern(157 + 184 * 15));
  ASSERT_EQ(16, ts.add(frame.frame));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(i, ts.stream[188 * i + 3] & 0x0F);
  ts.add(frame.frame);
  EXPECT_EQ(0, ts.stream[188 * 16 + 3] & 0x0F);
}

TEST(MPEG_TS_Packager, StreamsFollowThePidPlan) {
  MPEG_TS_Packager packager(1);
  packager.addProgram(1, "TS stream");
  EXPECT_EQ(0x1011, packager.addStreamEx(0, EncoderType::H264));
  EXPECT_EQ(0x1011, packager.addStreamEx(0, EncoderType::H264));
  EXPECT_EQ(0x1021, packager.addStreamEx(0, EncoderType::G711U));
  EXPECT_EQ(0x1012, packager.addStreamEx(0, EncoderType::MPEG4));
  EXPECT_EQ(0xFFFF, packager.addStreamEx(0, EncoderType::H264_TYPE4));
  EXPECT_EQ(0xFFFF, packager.addStream(0, EncoderType::UNKNOWN, "x"));
  EXPECT_EQ(0x1022, packager.addStream(0, EncoderType::AMR, "amr"));

  // The key frame's PMT lists the new video stream with PES id 0xE1 as PCR PID, not the old one.
  TestFrame key(1, 1, 0, pattern(10));
  std::vector<uint8_t> out(188 * 4);
  ASSERT_EQ(3, packager.EStoTS_Packet(0x1012, out.data(), static_cast<int>(out.size()), &key.frame));
  MPEG_TS::PMTSection pmt;
  ASSERT_TRUE(pmt.parse(out.data() + 188 + 4, 184));
  EXPECT_EQ(0x1012, pmt.getPCRPid());
  EXPECT_FALSE(pmt.hasStream(0x1011));
  EXPECT_TRUE(pmt.hasStream(0x1021));
  EXPECT_TRUE(pmt.hasStream(0x1022));
  EXPECT_EQ(0xE1, out[2 * 188 + 4 + 1 + out[2 * 188 + 4] + 3]);
  EXPECT_EQ(0x10, pmt.getStreamTypeByPid(0x1012));
  // Unknown PIDs write nothing.
  EXPECT_EQ(-1, packager.EStoTS_Packet(0x1011, out.data(), static_cast<int>(out.size()), &key.frame));
  EXPECT_EQ(-1, packager.EStoTS_Packet(0x1012, out.data(), static_cast<int>(out.size()), nullptr));
}

TEST(MPEG_TS_Packager, AnAreaTooSmallForTheFrameIsLeftUntouched) {
  TestPackager ts(false);
  TestFrame frame(1, 1, 0, pattern(1000));
  const int needed = ts.packager.packetCount(ts.videoPid, &frame.frame);
  // PAT, PMT, 157 bytes in the first PES packet and 843 in five more.
  EXPECT_EQ(8, needed);
  std::vector<uint8_t> out(188 * 7 + 187, 0xAA);
  EXPECT_EQ(-1, ts.packager.EStoTS_Packet(ts.videoPid, out.data(), static_cast<int>(out.size()), &frame.frame));
  EXPECT_EQ(std::vector<uint8_t>(out.size(), 0xAA), out);
  // Nothing was counted: the first packets written afterwards still carry counter 0.
  ASSERT_EQ(8, ts.add(frame.frame));
  EXPECT_EQ(0x10, ts.stream[3]);
  EXPECT_EQ(0x30, ts.stream[2 * 188 + 3]);
}

TEST(MPEG_TS_Packager, PacketCountsMatchWhatIsWritten) {
  struct Case {
    int frameType;
    int length;
    int privateLength;
  };
  // Around the first packet's room, the PES length limit and the last packet of an open unit.
  const Case cases[] = {{2, 0, 0},       {2, 1, 0},        {2, 157, 0},      {2, 158, 0},     {1, 1000, 28},
                        {1, 1000, 128},  {1, 65507, 28},   {1, 65508, 28},   {2, 65508, 0},   {2, 65661, 0},
                        {2, 65845, 0},   {1, 200000, 28},  {2, 169 + 184 * 400, 0}};
  for (const Case& c : cases) {
    TestPackager ts(false);
    TestFrame frame(1, c.frameType, 0, pattern(c.length));
    if (c.privateLength) frame.setPrivate(pattern(c.privateLength));
    const int expected = ts.packager.packetCount(ts.videoPid, &frame.frame);
    EXPECT_EQ(expected, ts.add(frame.frame)) << c.length;
    // A unit without a PES length ends in a stuffed packet.
    const Bytes last = packetAt(ts.stream, expected - 1);
    if (c.length + 13 > 65520) {
      EXPECT_EQ(0x30, last[3] & 0x30) << c.length;
    }
  }
}

TEST(MPEG_TS_Packager, PrivateTextTravelsAsASectionOnThePMTPid) {
  TestPackager ts(false);
  std::vector<uint8_t> out(188 * 30);
  ASSERT_EQ(1, ts.packager.PrivateDatatoTS_Packet(out.data(), static_cast<int>(out.size()), "camera 7"));
  EXPECT_EQ(packetOf({{0x47, 0x50, 0x00, 0x10, 0x00, 0x40, 0x30, 0x08}, {'c', 'a', 'm', 'e', 'r', 'a', ' ', '7'}}),
            Bytes(out.begin(), out.begin() + 188));
  EXPECT_EQ(23, ts.packager.PrivateDatatoTS_Packet(out.data(), static_cast<int>(out.size()), std::string(5000, 'x')));
  EXPECT_EQ(-1, ts.packager.PrivateDatatoTS_Packet(out.data(), 188 * 22, std::string(5000, 'x')));
}

TEST(MPEG_TS_Packager, AdjustTimeStampRebasesARunOnTheNewBase) {
  TestPackager ts;
  TestFrame key(1, 1, 1000, pattern(1000));
  TestFrame audio(2, 2, 2800, pattern(320));
  TestFrame next(1, 2, 4600, pattern(500));
  ts.add(key.frame);
  ts.add(audio.frame);
  ts.add(next.frame);
  std::vector<uint8_t> run = ts.stream;
  EXPECT_EQ(97200u, MPEG_TS_Packager::adjustTimeStamp(run.data(), static_cast<uint32_t>(run.size()), 90000));
  // The key frame's first packet is the third: PCR and both time stamps now read 90000.
  const uint8_t* first = run.data() + 2 * 188;
  EXPECT_EQ(90000u, MPEG_TS_Packager::retrievePCR(first + 4));
  const uint8_t* pes = first + 4 + 1 + first[4];
  EXPECT_EQ(90000u, MPEG_TS_Packager::retrieveDTS(pes));
  EXPECT_EQ(90000u, MPEG_TS::PESHeader::readTimeStamp(pes + 14));
  // PAT and PMT stay as they were.
  EXPECT_EQ(packetAt(ts.stream, 0), packetAt(run, 0));
  EXPECT_EQ(packetAt(ts.stream, 1), packetAt(run, 1));
  EXPECT_EQ(90000u + 3600, MPEG_TS_Packager::adjustTimeStamp(run.data(), 188 * 2, 90000));
}
