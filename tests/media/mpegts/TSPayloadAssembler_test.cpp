#include "media/mpegts/TSPayloadAssembler.h"

#include <gtest/gtest.h>

#include <vector>

#include "media/mpegts/TSRawPackets.h"

using MPEG_TS::TSPayloadAssembler;
using tstest::RawPacket;
using tstest::append;
using tstest::pesStart;
using tstest::rawPacket;

namespace {

std::vector<uint8_t> continuation(uint16_t pid, int counter, uint8_t fill) {
  RawPacket p;
  p.pid = pid;
  p.counter = counter;
  p.payload.assign(184, fill);
  return rawPacket(p);
}

std::vector<uint8_t> start(uint16_t pid, int counter, int packetLength, uint8_t fill, uint8_t streamId = 0xE0) {
  RawPacket p;
  p.pid = pid;
  p.counter = counter;
  p.unitStart = true;
  p.payload = pesStart(streamId, packetLength, fill);
  return rawPacket(p);
}

struct Assembler {
  TSPayloadAssembler assembler;
  Assembler() { assembler.setBufferSize(100000); }
};

}  // namespace

TEST(TSPayloadAssembler, FindSyncWantsSixtySyncBytesInARow) {
  std::vector<uint8_t> clean;
  for (int i = 0; i < 61; ++i) append(clean, continuation(0x1011, i, 0x00));
  int pos = -1;
  EXPECT_FALSE(TSPayloadAssembler::findSync(clean.data(), 11280, pos));
  EXPECT_EQ(0, pos);
  EXPECT_TRUE(TSPayloadAssembler::findSync(clean.data(), 11281, pos));
  EXPECT_EQ(0, pos);
  EXPECT_TRUE(TSPayloadAssembler::findSync(clean.data() + 1, 11281 + 187, pos));
  EXPECT_EQ(187, pos);
  clean[188 * 30] = 0x00;
  EXPECT_FALSE(TSPayloadAssembler::findSync(clean.data(), 11281 + 10, pos));
}

TEST(TSPayloadAssembler, AUnitWithALengthCompletesAtItsLastPacket) {
  Assembler a;
  std::vector<uint8_t> stream;
  // 184 + 184 + 10 bytes: a PES packet length of 378 - 6.
  append(stream, start(0x1011, 3, 372, 0x11));
  append(stream, continuation(0x1011, 4, 0x22));
  RawPacket last;
  last.counter = 5;
  last.adaptationLength = 173;
  last.payload.assign(10, 0x33);
  append(stream, rawPacket(last));
  int consumed = 0;
  ASSERT_TRUE(a.assembler.nextUnit(stream.data(), static_cast<int>(stream.size()), consumed));
  EXPECT_EQ(3 * 188, consumed);
  EXPECT_EQ(378, a.assembler.getUnitLength());
  EXPECT_EQ(0x33, a.assembler.getUnitData()[377]);
  EXPECT_EQ(0x1011, a.assembler.getUnitHeader().getPID());
}

TEST(TSPayloadAssembler, AnOpenUnitEndsAtTheNextUnitOrAtItsStuffedPacket) {
  // Next unit on the same PID.
  {
    Assembler a;
    std::vector<uint8_t> stream;
    append(stream, start(0x1011, 0, 0, 0x11));
    append(stream, continuation(0x1011, 1, 0x22));
    append(stream, start(0x1011, 2, 0, 0x33));
    int consumed = 0;
    ASSERT_TRUE(a.assembler.nextUnit(stream.data(), static_cast<int>(stream.size()), consumed));
    EXPECT_EQ(2 * 188, consumed);
    EXPECT_EQ(368, a.assembler.getUnitLength());
  }
  // Stuffing in its own last packet.
  {
    Assembler a;
    std::vector<uint8_t> stream;
    append(stream, start(0x1011, 0, 0, 0x11));
    RawPacket last;
    last.counter = 1;
    last.adaptationLength = 100;
    last.payload.assign(83, 0x22);
    append(stream, rawPacket(last));
    int consumed = 0;
    ASSERT_TRUE(a.assembler.nextUnit(stream.data(), static_cast<int>(stream.size()), consumed));
    EXPECT_EQ(2 * 188, consumed);
    EXPECT_EQ(184 + 83, a.assembler.getUnitLength());
  }
}

TEST(TSPayloadAssembler, SectionsNullAndAdaptationOnlyPacketsInsideAUnitArePassedOver) {
  Assembler a;
  std::vector<uint8_t> stream;
  append(stream, start(0x0100, 0, 0, 0x11));
  RawPacket pat;
  pat.pid = 0;
  pat.unitStart = true;
  pat.payload = {0x00, 0x00, 0xB0, 0x0D};
  append(stream, rawPacket(pat));
  RawPacket null;
  null.pid = 0x1FFF;
  null.payload.assign(184, 0);
  append(stream, rawPacket(null));
  RawPacket pcrOnly;
  pcrOnly.pid = 0x0100;
  pcrOnly.counter = 0;
  pcrOnly.adaptationOnly = true;
  pcrOnly.adaptationLength = 183;
  append(stream, rawPacket(pcrOnly));
  append(stream, continuation(0x0100, 1, 0x22));
  append(stream, start(0x0101, 0, 0, 0x33, 0xC0));
  int consumed = 0;
  ASSERT_TRUE(a.assembler.nextUnit(stream.data(), static_cast<int>(stream.size()), consumed));
  EXPECT_EQ(368, a.assembler.getUnitLength());
  EXPECT_EQ(0x22, a.assembler.getUnitData()[367]);
  EXPECT_EQ(5 * 188, consumed);
}

TEST(TSPayloadAssembler, SectionsBetweenTwoUnitsAreGivenBackToBeReadAsUnits) {
  Assembler a;
  std::vector<uint8_t> stream;
  append(stream, start(0x1011, 0, 0, 0x11));
  RawPacket pat;
  pat.pid = 0;
  pat.unitStart = true;
  pat.payload = {0x00, 0x00, 0xB0, 0x0D, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
  append(stream, rawPacket(pat));
  append(stream, start(0x1011, 1, 0, 0x33));
  int consumed = 0;
  ASSERT_TRUE(a.assembler.nextUnit(stream.data(), static_cast<int>(stream.size()), consumed));
  EXPECT_EQ(188, consumed);
  int more = 0;
  ASSERT_TRUE(a.assembler.nextUnit(stream.data() + consumed, static_cast<int>(stream.size()) - consumed, more));
  EXPECT_EQ(0, a.assembler.getUnitHeader().getPID());
  EXPECT_EQ(188, more);
}

TEST(TSPayloadAssembler, ACounterGapAbandonsTheUnitAndTheGapPacketIsExaminedAgain) {
  Assembler a;
  std::vector<uint8_t> stream;
  append(stream, start(0x1011, 3, 0, 0x11));
  append(stream, continuation(0x1011, 4, 0x22));
  append(stream, start(0x1011, 6, 234 - 6, 0x33));
  RawPacket rest;
  rest.counter = 7;
  rest.adaptationLength = 183 - 50;
  rest.payload.assign(50, 0x44);
  append(stream, rawPacket(rest));
  int consumed = 0;
  ASSERT_TRUE(a.assembler.nextUnit(stream.data(), static_cast<int>(stream.size()), consumed));
  EXPECT_EQ(4 * 188, consumed);
  EXPECT_EQ(234, a.assembler.getUnitLength());
  EXPECT_EQ(0x33, a.assembler.getUnitData()[100]);
}

TEST(TSPayloadAssembler, AForeignPacketInsideAUnitAbandonsIt) {
  Assembler a;
  std::vector<uint8_t> stream;
  append(stream, start(0x1011, 0, 600, 0x11));
  append(stream, continuation(0x1021, 0, 0x55));
  append(stream, continuation(0x1011, 1, 0x22));
  int consumed = 0;
  EXPECT_FALSE(a.assembler.nextUnit(stream.data(), static_cast<int>(stream.size()), consumed));
  EXPECT_EQ(3 * 188, consumed);
  EXPECT_FALSE(a.assembler.isStarted());
}

TEST(TSPayloadAssembler, UnitsCarryOnAcrossCalls) {
  Assembler a;
  std::vector<uint8_t> stream;
  append(stream, start(0x1011, 0, 184 * 3 - 6, 0x11));
  append(stream, continuation(0x1011, 1, 0x22));
  append(stream, continuation(0x1011, 2, 0x33));
  int consumed = 0;
  EXPECT_FALSE(a.assembler.nextUnit(stream.data(), 2 * 188 + 100, consumed));
  EXPECT_EQ(2 * 188, consumed);
  EXPECT_TRUE(a.assembler.isStarted());
  ASSERT_TRUE(a.assembler.nextUnit(stream.data() + 2 * 188, 188, consumed));
  EXPECT_EQ(184 * 3, a.assembler.getUnitLength());
}

TEST(TSPayloadAssembler, DamageInsideAUnitIsReportedAndResynchronised) {
  struct Case {
    const char* what;
    std::vector<uint8_t> damaged;
  };
  RawPacket longAdaptation;
  longAdaptation.counter = 1;
  longAdaptation.adaptationLength = 200;
  std::vector<uint8_t> noSync = continuation(0x1011, 1, 0x22);
  noSync[0] = 0x00;
  const Case cases[] = {{"adaptation field longer than the packet", rawPacket(longAdaptation)},
                        {"lost sync byte", noSync}};
  for (const Case& c : cases) {
    Assembler a;
    std::vector<uint8_t> stream;
    append(stream, start(0x1011, 0, 0, 0x11));
    append(stream, c.damaged);
    // A clean run after the damage, long enough to trust the grid again.
    append(stream, start(0x1011, 5, 184 - 6, 0x33));
    for (int i = 0; i < 60; ++i) append(stream, continuation(0x1FFF, 0, 0));
    int consumed = 0;
    ASSERT_TRUE(a.assembler.nextUnit(stream.data(), static_cast<int>(stream.size()), consumed)) << c.what;
    EXPECT_EQ(3 * 188, consumed) << c.what;
    EXPECT_EQ(0x33, a.assembler.getUnitData()[20]) << c.what;
  }
}

TEST(TSPayloadAssembler, AUnitLargerThanTheBufferIsDropped) {
  TSPayloadAssembler assembler;
  assembler.setBufferSize(300);
  std::vector<uint8_t> stream;
  append(stream, start(0x1011, 0, 0, 0x11));
  append(stream, continuation(0x1011, 1, 0x22));
  append(stream, start(0x1011, 2, 184 - 6, 0x33));
  int consumed = 0;
  ASSERT_TRUE(assembler.nextUnit(stream.data(), static_cast<int>(stream.size()), consumed));
  EXPECT_EQ(0x33, assembler.getUnitData()[20]);
  EXPECT_EQ(184, assembler.getUnitLength());
}
