#include "media/mpegts/PMTSection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/mpegts/Crc32Mpeg.h"
#include "media/mpegts/SectionTestBytes.h"

using MPEG_TS::PMTSection;

TEST(PMTSection, BuildsTheLayoutWithRawNames) {
  PMTSection pmt;
  pmt.setProgram(1, "TS stream");
  pmt.setPCRPid(0x1011);
  pmt.addStream(0xE0, 0x1B, 0x1011, "H.264");
  int length = 0;
  const uint8_t* bytes = pmt.build(length);
  const std::vector<uint8_t> head = {0x02, 0xB0, 0x20, 0x00, 0x01, 0xC3, 0x00, 0x00, 0xF0, 0x11, 0xF0, 0x09};
  // 9 + 9 (name) + 5 + 5 (stream name) + 4 = 32 after the first three bytes.
  ASSERT_EQ(35, length);
  EXPECT_EQ(head, std::vector<uint8_t>(bytes, bytes + 12));
  EXPECT_EQ("TS stream", std::string(reinterpret_cast<const char*>(bytes + 12), 9));
  const std::vector<uint8_t> entry = {0x1B, 0xF0, 0x11, 0xF0, 0x05, 'H', '.', '2', '6', '4'};
  EXPECT_EQ(entry, std::vector<uint8_t>(bytes + 21, bytes + 31));
  EXPECT_EQ(0u, MPEG_TS::Crc32Mpeg::compute(bytes, static_cast<size_t>(length)));
}

TEST(PMTSection, OnlyStreamChangesMakeANewVersion) {
  PMTSection pmt;
  pmt.addStream(0xE0, 0x1B, 0x1011, "H.264");
  std::vector<uint8_t> first = sectiontest::builtPayload(pmt);
  EXPECT_EQ(1, pmt.getVersion());
  pmt.setPCRPid(0x1011);
  EXPECT_EQ(first, sectiontest::builtPayload(pmt));
  pmt.removeStream(0x1011);
  pmt.addStream(0xE1, 0x10, 0x1012, "Mpeg4");
  std::vector<uint8_t> second = sectiontest::builtPayload(pmt);
  EXPECT_EQ(2, pmt.getVersion());
  PMTSection parsed;
  ASSERT_TRUE(parsed.parse(second.data(), static_cast<int>(second.size())));
  ASSERT_EQ(1u, parsed.getStreams().size());
  EXPECT_EQ(0x1012, parsed.getStreams()[0].pid);
  EXPECT_EQ(0x1011, parsed.getPCRPid());
}

TEST(PMTSection, ASecondCopyAddsNewStreamsAndKeepsTheOld) {
  PMTSection first;
  first.setProgram(1, "TS stream");
  first.addStream(0xE0, 0x1B, 0x1011, "H.264");
  std::vector<uint8_t> one = sectiontest::builtPayload(first);
  PMTSection second;
  second.setProgram(1, "TS stream");
  second.addStream(0xC0, 0xF1, 0x1021, "G711A");
  std::vector<uint8_t> two = sectiontest::builtPayload(second);

  PMTSection parsed;
  ASSERT_TRUE(parsed.parse(one.data(), static_cast<int>(one.size())));
  ASSERT_TRUE(parsed.parse(two.data(), static_cast<int>(two.size())));
  ASSERT_EQ(2u, parsed.getStreams().size());
  EXPECT_EQ(0x1011, parsed.getStreams()[0].pid);
  EXPECT_EQ("H.264", parsed.getStreams()[0].name);
  EXPECT_EQ(0x1021, parsed.getStreams()[1].pid);
  EXPECT_EQ(0xF1, parsed.getStreamTypeByPid(0x1021));
  EXPECT_EQ(0, parsed.getPESStreamIdByPid(0x1021));
  EXPECT_EQ("TS stream", parsed.getProgramName());
  EXPECT_TRUE(parsed.hasStream(0x1021));
  EXPECT_FALSE(parsed.hasStream(0x1022));
  EXPECT_EQ(0, parsed.getStreamTypeByPid(0x1022));
}

TEST(PMTSection, NamesEndAtTheirFirstZeroByte) {
  PMTSection built;
  built.setProgram(1, std::string("prog\0tail", 9));
  built.addStream(0xE0, 0x1B, 0x1011, std::string("vid\0eo", 6));
  std::vector<uint8_t> payload = sectiontest::builtPayload(built);
  PMTSection parsed;
  ASSERT_TRUE(parsed.parse(payload.data(), static_cast<int>(payload.size())));
  EXPECT_EQ("prog", parsed.getProgramName());
  EXPECT_EQ("vid", parsed.getStreams()[0].name);
}

TEST(PMTSection, NamesTooLongForOneSectionAreCutToFit) {
  PMTSection built;
  built.setProgram(1, std::string(4000, 'p'));
  built.addStream(0xE0, 0x1B, 0x1011, std::string(4000, 's'));
  int length = 0;
  built.build(length);
  EXPECT_LE(length, PMTSection::kBufferSize);

  PMTSection streams;
  streams.setProgram(1, "TS stream");
  streams.addStream(0xE0, 0x1B, 0x1011, std::string(900, 'a'));
  streams.addStream(0xC0, 0xF1, 0x1021, std::string(900, 'b'));
  std::vector<uint8_t> payload = sectiontest::builtPayload(streams);
  EXPECT_LE(payload.size(), static_cast<size_t>(PMTSection::kBufferSize + 1));
  PMTSection parsed;
  ASSERT_TRUE(parsed.parse(payload.data(), static_cast<int>(payload.size())));
  ASSERT_EQ(2u, parsed.getStreams().size());
  EXPECT_EQ(900u, parsed.getStreams()[0].name.size());
  EXPECT_LT(parsed.getStreams()[1].name.size(), 900u);
}

TEST(PMTSection, MalformedSectionsAreRejectedAndChangeNothing) {
  PMTSection built;
  built.setProgram(1, "TS stream");
  built.addStream(0xE0, 0x1B, 0x1011, "H.264");
  const std::vector<uint8_t> good = sectiontest::builtPayload(built);
  // Offsets in the payload: pointer field at 0, section from 1; program-info length at 11-12,
  // the stream entry's ES-info length at 25-26.
  struct Case {
    const char* what;
    std::vector<uint8_t> payload;
  };
  std::vector<Case> cases;
  cases.push_back({"altered CRC", good});
  cases.back().payload[20] ^= 0x10;
  cases.push_back({"program info past the section", good});
  cases.back().payload[11] = 0xF3;
  cases.back().payload[12] = 0xFF;
  sectiontest::sealCrc(cases.back().payload);
  cases.push_back({"ES info past the section", good});
  cases.back().payload[25] = 0xF0;
  cases.back().payload[26] = 0x40;
  sectiontest::sealCrc(cases.back().payload);
  cases.push_back({"ES info of 4095 bytes", good});
  cases.back().payload[25] = 0xFF;
  cases.back().payload[26] = 0xFF;
  sectiontest::sealCrc(cases.back().payload);
  cases.push_back({"section length beyond the unit", good});
  sectiontest::setSectionLength(cases.back().payload, 0xFFF);
  cases.push_back({"section length below the fixed fields", good});
  sectiontest::setSectionLength(cases.back().payload, 8);
  cases.push_back({"wrong table id", good});
  cases.back().payload[1] = 0x00;
  sectiontest::sealCrc(cases.back().payload);

  for (const Case& c : cases) {
    PMTSection parsed;
    parsed.addStream(0xC0, 0xF1, 0x1021, "kept");
    EXPECT_FALSE(parsed.parse(c.payload.data(), static_cast<int>(c.payload.size()))) << c.what;
    ASSERT_EQ(1u, parsed.getStreams().size()) << c.what;
    EXPECT_EQ("kept", parsed.getStreams()[0].name) << c.what;
  }
}
