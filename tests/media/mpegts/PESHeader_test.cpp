#include "media/mpegts/PESHeader.h"

#include <gtest/gtest.h>

#include <vector>

using MPEG_TS::PESHeader;

namespace {

// A PES unit with the given flag byte, header data length, optional-header bytes and payload.
std::vector<uint8_t> unit(uint8_t flags, std::vector<uint8_t> optional, int payload, bool withLength = true) {
  std::vector<uint8_t> bytes = {0, 0, 1, 0xC0, 0, 0, 0x80, flags, static_cast<uint8_t>(optional.size())};
  bytes.insert(bytes.end(), optional.begin(), optional.end());
  for (int i = 0; i < payload; ++i) bytes.push_back(static_cast<uint8_t>(i));
  if (withLength) {
    const size_t length = bytes.size() - 6;
    bytes[4] = static_cast<uint8_t>(length >> 8);
    bytes[5] = static_cast<uint8_t>(length);
  }
  return bytes;
}

std::vector<uint8_t> stamp(uint8_t prefix, uint64_t value) {
  std::vector<uint8_t> bytes(5);
  PESHeader::writeTimeStamp(bytes.data(), prefix, value);
  return bytes;
}

}  // namespace

TEST(PESHeader, BuildsTheNineteenBytesWithPtsAndDts) {
  PESHeader header;
  header.setStreamId(0xE0);
  header.setPriority(1);
  header.setPTS(0x1ABCDEF01ull);
  header.setDTS(90000);
  uint8_t out[19] = {};
  EXPECT_EQ(19, header.build(out, 1000));
  const std::vector<uint8_t> expected = {0x00, 0x00, 0x01, 0xE0, 0x03, 0xF5, 0x8B, 0xC0, 0x0A, 0x3D,
                                         0xAF, 0x37, 0xDE, 0x03, 0x11, 0x00, 0x05, 0xBF, 0x21};
  EXPECT_EQ(expected, std::vector<uint8_t>(out, out + 19));
}

TEST(PESHeader, ThePacketLengthTurnsZeroAboveItsLimit) {
  PESHeader header;
  uint8_t out[19] = {};
  header.build(out, 65507);
  EXPECT_EQ(65520, header.getPESPacketLength());
  header.build(out, 65508);
  EXPECT_EQ(0, header.getPESPacketLength());
  EXPECT_EQ(0, out[4]);
  EXPECT_EQ(0, out[5]);
}

TEST(PESHeader, ParseHonoursTheTimeFlagsAndTheHeaderLength) {
  struct Case {
    const char* what;
    std::vector<uint8_t> unit;
    uint64_t pts;
    uint64_t dts;
    int payloadOffset;
  };
  std::vector<uint8_t> both = stamp(3, 123456789);
  std::vector<uint8_t> dts = stamp(1, 123450000);
  both.insert(both.end(), dts.begin(), dts.end());
  std::vector<uint8_t> ptsWithStuffing = stamp(2, 77777);
  ptsWithStuffing.insert(ptsWithStuffing.end(), {0xFF, 0xFF, 0xFF});
  const Case cases[] = {
      {"PTS and DTS", unit(0xC0, both, 40), 123456789, 123450000, 19},
      {"PTS alone", unit(0x80, stamp(2, 8589934591ull), 40), 8589934591ull, 8589934591ull, 14},
      {"PTS alone, stuffed header", unit(0x80, ptsWithStuffing, 40), 77777, 77777, 17},
      {"no time stamps", unit(0x00, {}, 40), 0, 0, 9},
      {"open length", unit(0x80, stamp(2, 90000), 40, false), 90000, 90000, 14},
  };
  for (const Case& c : cases) {
    PESHeader header;
    int payloadLength = -1;
    const uint8_t* payload = header.parse(c.unit.data(), static_cast<int>(c.unit.size()), payloadLength);
    ASSERT_NE(nullptr, payload) << c.what;
    EXPECT_EQ(c.unit.data() + c.payloadOffset, payload) << c.what;
    EXPECT_EQ(40, payloadLength) << c.what;
    EXPECT_EQ(c.pts, header.getPTS()) << c.what;
    EXPECT_EQ(c.dts, header.getDTS()) << c.what;
    EXPECT_EQ(0xC0, header.getStreamId()) << c.what;
  }
}

TEST(PESHeader, InconsistentUnitsAreRejected) {
  std::vector<uint8_t> good = unit(0x80, stamp(2, 1000), 10);
  struct Case {
    const char* what;
    std::vector<uint8_t> unit;
  };
  std::vector<Case> cases;
  cases.push_back({"no start code", good});
  cases.back().unit[2] = 0x02;
  cases.push_back({"unit longer than the packet length", good});
  cases.back().unit.push_back(0);
  cases.push_back({"unit shorter than the packet length", good});
  cases.back().unit.pop_back();
  // With both time stamps the header takes 13 bytes of the packet length.
  std::vector<uint8_t> stamps = stamp(3, 1000);
  const std::vector<uint8_t> dts = stamp(1, 1000);
  stamps.insert(stamps.end(), dts.begin(), dts.end());
  const std::vector<uint8_t> built = unit(0xC0, stamps, 10);
  for (int length = 1; length <= 12; ++length) {
    cases.push_back({"packet length below the header", std::vector<uint8_t>(built.begin(), built.begin() + 6 + length)});
    cases.back().unit[4] = 0;
    cases.back().unit[5] = static_cast<uint8_t>(length);
  }
  cases.push_back({"header data length past the unit", good});
  cases.back().unit[8] = 200;
  cases.push_back({"time stamps longer than the header data", good});
  cases.back().unit[7] = 0xC0;
  cases.push_back({"forbidden DTS-only flags", good});
  cases.back().unit[7] = 0x40;
  cases.push_back({"cut short", std::vector<uint8_t>(good.begin(), good.begin() + 8)});

  for (const Case& c : cases) {
    PESHeader header;
    int payloadLength = -1;
    EXPECT_EQ(nullptr, header.parse(c.unit.data(), static_cast<int>(c.unit.size()), payloadLength)) << c.what;
  }
}

TEST(PESHeader, BuiltHeadersParseBack) {
  PESHeader built;
  built.setStreamId(0xE1);
  built.setPTS(1234567);
  built.setDTS(1234567);
  std::vector<uint8_t> bytes(19 + 500, 0xAB);
  built.build(bytes.data(), 500);
  PESHeader parsed;
  int payloadLength = 0;
  ASSERT_EQ(bytes.data() + 19, parsed.parse(bytes.data(), static_cast<int>(bytes.size()), payloadLength));
  EXPECT_EQ(500, payloadLength);
  EXPECT_EQ(1234567u, parsed.getPTS());
  EXPECT_EQ(1234567u, parsed.getDTS());
}
