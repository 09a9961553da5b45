#include "media/mpegts/PrivateSection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/mpegts/SectionTestBytes.h"

using MPEG_TS::PrivateSection;

TEST(PrivateSection, BuildsHeaderAndTextWithoutTerminatorOrCrc) {
  PrivateSection section;
  int length = 0;
  const uint8_t* bytes = section.build("camera 7", length);
  ASSERT_EQ(11, length);
  EXPECT_EQ(std::vector<uint8_t>({0x40, 0x30, 0x08}), std::vector<uint8_t>(bytes, bytes + 3));
  EXPECT_EQ("camera 7", std::string(reinterpret_cast<const char*>(bytes + 3), 8));

  std::vector<uint8_t> payload = sectiontest::payloadOf(bytes, length);
  PrivateSection parsed;
  const char* text = parsed.parse(payload.data(), static_cast<int>(payload.size()));
  ASSERT_NE(nullptr, text);
  EXPECT_STREQ("camera 7", text);
}

TEST(PrivateSection, TextsAreCutToWhatTheBufferHolds) {
  PrivateSection section;
  int length = 0;
  const uint8_t* bytes = section.build(std::string(5000, 'x'), length);
  EXPECT_EQ(PrivateSection::kBufferSize, length);
  EXPECT_EQ(0x3F, bytes[1]);
  EXPECT_EQ(0xFD, bytes[2]);
  std::vector<uint8_t> payload = sectiontest::payloadOf(bytes, length);
  PrivateSection parsed;
  const char* text = parsed.parse(payload.data(), static_cast<int>(payload.size()));
  ASSERT_NE(nullptr, text);
  EXPECT_EQ(std::string(PrivateSection::kMaxTextLength, 'x'), text);
}

TEST(PrivateSection, OtherTablesAndLengthsPastTheUnitGiveNull) {
  PrivateSection section;
  int length = 0;
  const uint8_t* bytes = section.build("hello", length);
  std::vector<uint8_t> other = sectiontest::payloadOf(bytes, length);
  other[1] = 0x02;
  std::vector<uint8_t> longer = sectiontest::payloadOf(bytes, length);
  sectiontest::setSectionLength(longer, 4000);
  PrivateSection parsed;
  EXPECT_EQ(nullptr, parsed.parse(other.data(), static_cast<int>(other.size())));
  EXPECT_EQ(nullptr, parsed.parse(longer.data(), static_cast<int>(longer.size())));
  EXPECT_EQ(nullptr, parsed.parse(longer.data(), 2));
}
