#include "media/mpegts/TS_Packet.h"

#include <gtest/gtest.h>

#include <vector>

using MPEG_TS::TS_Packet;

TEST(TS_Packet, ANewGeneratorHasPriorityOneAndEverythingElseZero) {
  TS_Packet packet(0x1011);
  uint8_t out[188];
  const uint8_t data[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(10, packet.build(out, data, 10, false, false));
  EXPECT_EQ(0x47, out[0]);
  EXPECT_EQ(0x30, out[1]);  // transport priority, PID high bits
  EXPECT_EQ(0x11, out[2]);
  EXPECT_EQ(0x10, out[3]);  // payload only, counter 0
  EXPECT_EQ(1, out[4]);
  EXPECT_EQ(0xFF, out[14]);
  EXPECT_EQ(0xFF, out[187]);
}

TEST(TS_Packet, TheCounterKeepsFourBits) {
  TS_Packet packet;
  packet.setContinuityCounter(0x1F);
  EXPECT_EQ(0x0F, packet.getContinuityCounter());
}

TEST(TS_Packet, StoredPrivateDataIsClampedToItsField) {
  TS_Packet packet(0x1011);
  std::vector<uint8_t> data(200, 0xAB);
  packet.setPrivateData(data.data(), 200);
  EXPECT_EQ(TS_Packet::kMaxPrivateData, packet.getPrivateDataLength());
  uint8_t out[188];
  const std::vector<uint8_t> payload(300, 0x11);
  // Length, flags, 6 PCR bytes, private length and 128 bytes leave 184 - 137 = 47 payload bytes.
  packet.setPCR(1, 0);
  EXPECT_EQ(47, packet.build(out, payload.data(), 300, true, true));
  EXPECT_EQ(136, out[4]);
  EXPECT_EQ(128, out[12]);
}

TEST(TS_Packet, ParseReadsTheAdaptationFieldThatBuildWrote) {
  TS_Packet built(0x1021);
  built.setPayloadUnitStart(1);
  built.setRandomAccess(1);
  built.setDiscontinuity(1);
  built.setPCR(0x1FFFFFFFFull, 0x1FF);
  const uint8_t priv[3] = {7, 8, 9};
  built.setPrivateData(priv, 3);
  built.setContinuityCounter(9);
  uint8_t out[188];
  const std::vector<uint8_t> payload(50, 0x22);
  ASSERT_EQ(50, built.build(out, payload.data(), 50, true, true));

  TS_Packet parsed;
  int length = 0;
  const uint8_t* data = parsed.parse(out, length);
  ASSERT_NE(nullptr, data);
  EXPECT_EQ(50, length);
  EXPECT_EQ(out + 138, data);
  EXPECT_EQ(0x1021, parsed.getPID());
  EXPECT_EQ(1, parsed.getPayloadUnitStart());
  EXPECT_EQ(1, parsed.getRandomAccess());
  EXPECT_EQ(1, parsed.getDiscontinuity());
  EXPECT_EQ(9, parsed.getContinuityCounter());
  uint64_t base = 0;
  uint16_t extension = 0;
  EXPECT_TRUE(parsed.getPCR(base, extension));
  EXPECT_EQ(0x1FFFFFFFFull, base);
  EXPECT_EQ(0x1FF, extension);
  ASSERT_EQ(3, parsed.getPrivateDataLength());
  EXPECT_EQ(8, parsed.getPrivateData()[1]);
  EXPECT_TRUE(parsed.hasStuffing());
}

TEST(TS_Packet, DamagedPacketsAndFieldsStayInsideThePacket) {
  uint8_t packet[188];
  std::fill(packet, packet + 188, 0xFF);
  packet[0] = 0x47;
  packet[1] = 0x50;
  packet[2] = 0x11;
  packet[3] = 0x30;
  struct Case {
    const char* what;
    uint8_t adaptationLength;
    uint8_t flags;
    uint8_t privateLength;  // at byte 6 when no PCR is flagged
    bool parses;
    int payload;
    int privateRead;
  };
  const Case cases[] = {
      {"adaptation field longer than the packet", 184, 0x00, 0, false, 0, 0},
      {"adaptation field of 255 bytes", 255, 0x00, 0, false, 0, 0},
      {"adaptation field that fills the packet", 183, 0x00, 0, true, 0, 0},
      {"private data longer than the adaptation field", 10, 0x02, 60, true, 173, 0},
      {"private data longer than its field", 183, 0x02, 150, true, 0, 128},
      {"private data inside the field", 20, 0x02, 5, true, 163, 5},
      {"PCR flagged in a too short field", 3, 0x10, 0, true, 180, 0},
  };
  for (const Case& c : cases) {
    packet[4] = c.adaptationLength;
    packet[5] = c.flags;
    packet[6] = c.privateLength;
    TS_Packet parsed;
    int length = -1;
    const uint8_t* data = parsed.parse(packet, length);
    EXPECT_EQ(c.parses, data != nullptr) << c.what;
    if (!data) continue;
    EXPECT_EQ(c.payload, length) << c.what;
    EXPECT_EQ(c.privateRead, parsed.getPrivateDataLength()) << c.what;
    uint64_t base = 0;
    uint16_t extension = 0;
    EXPECT_FALSE(parsed.getPCR(base, extension)) << c.what;
  }
  packet[0] = 0x46;
  TS_Packet parsed;
  int length = 0;
  EXPECT_EQ(nullptr, parsed.parse(packet, length));
}
