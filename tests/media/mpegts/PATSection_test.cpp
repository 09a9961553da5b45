#include "media/mpegts/PATSection.h"

#include <gtest/gtest.h>

#include <vector>

#include "media/mpegts/SectionTestBytes.h"

using MPEG_TS::PATSection;

TEST(PATSection, OneProgramBuildsTheSixteenBytesOfVersionOne) {
  PATSection pat;
  pat.setTransportStreamId(256);
  pat.addProgram(1, 0x1000);
  int length = 0;
  const uint8_t* bytes = pat.build(length);
  const std::vector<uint8_t> expected = {0x00, 0xB0, 0x0D, 0x01, 0x00, 0xC3, 0x00, 0x00,
                                         0x00, 0x01, 0xF0, 0x00, 0x1D, 0xBE, 0xA2, 0x3C};
  EXPECT_EQ(expected, std::vector<uint8_t>(bytes, bytes + length));
  EXPECT_EQ(1, pat.getVersion());

  // No change: the same bytes again. A new program: version 2.
  EXPECT_EQ(expected, std::vector<uint8_t>(pat.build(length), pat.build(length) + length));
  pat.addProgram(2, 0x1001);
  bytes = pat.build(length);
  EXPECT_EQ(20, length);
  EXPECT_EQ(0xC5, bytes[5]);
}

TEST(PATSection, TheVersionWrapsFromThirtyOneToZero) {
  PATSection pat;
  int length = 0;
  for (int build = 1; build <= 32; ++build) {
    pat.addProgram(1, 0x1000);
    pat.build(length);
    EXPECT_EQ(build % 32, pat.getVersion());
  }
}

TEST(PATSection, ParseReadsBackWhatBuildWrote) {
  PATSection built;
  built.setTransportStreamId(0x1234);
  built.addProgram(1, 0x1000);
  built.addProgram(7, 0x1ABC);
  std::vector<uint8_t> payload = sectiontest::builtPayload(built);
  PATSection parsed;
  ASSERT_TRUE(parsed.parse(payload.data(), static_cast<int>(payload.size())));
  EXPECT_EQ(0x1234, parsed.getTransportStreamId());
  EXPECT_EQ(1, parsed.getVersion());
  ASSERT_EQ(2u, parsed.getPrograms().size());
  EXPECT_EQ(7, parsed.getPrograms()[1].programNumber);
  EXPECT_EQ(0x1ABC, parsed.getPrograms()[1].pmtPid);
  EXPECT_EQ(0x1000, parsed.getPMTPid());
}

TEST(PATSection, TheNetworkEntryIsNotTakenForThePMT) {
  PATSection built;
  built.addProgram(0, 0x0010);
  built.addProgram(1, 0x0100);
  std::vector<uint8_t> payload = sectiontest::builtPayload(built);
  PATSection parsed;
  ASSERT_TRUE(parsed.parse(payload.data(), static_cast<int>(payload.size())));
  EXPECT_EQ(0x0100, parsed.getPMTPid());
}

TEST(PATSection, MalformedSectionsAreRejectedAndLeaveTheTableAsItWas) {
  PATSection built;
  built.addProgram(1, 0x1000);
  const std::vector<uint8_t> good = sectiontest::builtPayload(built);
  struct Case {
    const char* what;
    std::vector<uint8_t> payload;
  };
  std::vector<Case> cases;
  cases.push_back({"altered CRC", good});
  cases.back().payload[15] ^= 0xFF;
  cases.push_back({"wrong table id", good});
  cases.back().payload[1] = 0x02;
  sectiontest::sealCrc(cases.back().payload);
  cases.push_back({"length beyond the unit", good});
  sectiontest::setSectionLength(cases.back().payload, 200);
  cases.push_back({"length below the fixed fields", good});
  sectiontest::setSectionLength(cases.back().payload, 4);
  cases.push_back({"pointer field beyond the unit", good});
  cases.back().payload[0] = 40;
  cases.push_back({"cut short", std::vector<uint8_t>(good.begin(), good.begin() + 3)});
  cases.push_back({"empty", {}});

  for (const Case& c : cases) {
    PATSection parsed;
    parsed.addProgram(9, 0x0123);
    EXPECT_FALSE(parsed.parse(c.payload.data(), static_cast<int>(c.payload.size()))) << c.what;
    ASSERT_EQ(1u, parsed.getPrograms().size()) << c.what;
    EXPECT_EQ(0x0123, parsed.getPMTPid()) << c.what;
  }
}

TEST(PATSection, AFullTableRefusesFurtherPrograms) {
  PATSection pat;
  for (int i = 0; i < PATSection::kMaxPrograms; ++i) ASSERT_TRUE(pat.addProgram(static_cast<uint16_t>(i + 1), 0x100));
  EXPECT_FALSE(pat.addProgram(999, 0x100));
  int length = 0;
  pat.build(length);
  EXPECT_LE(length, PATSection::kBufferSize);
}
