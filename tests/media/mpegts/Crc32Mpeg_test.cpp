#include "media/mpegts/Crc32Mpeg.h"

#include <gtest/gtest.h>

#include <cstring>

using MPEG_TS::Crc32Mpeg;

TEST(Crc32Mpeg, MatchesTheCheckValueOfTheMpeg2Variant) {
  const char* text = "123456789";
  EXPECT_EQ(0x0376E6E7u, Crc32Mpeg::compute(reinterpret_cast<const uint8_t*>(text), std::strlen(text)));
  EXPECT_EQ(0xFFFFFFFFu, Crc32Mpeg::compute(nullptr, 0));
}

TEST(Crc32Mpeg, ASectionFollowedByItsCrcSumsToZero) {
  uint8_t bytes[16] = {0x00, 0xB0, 0x0D, 0x01, 0x00, 0xC3, 0x00, 0x00, 0x00, 0x01, 0xF0, 0x00};
  const uint32_t crc = Crc32Mpeg::compute(bytes, 12);
  EXPECT_EQ(0x1DBEA23Cu, crc);
  for (int i = 0; i < 4; ++i) bytes[12 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  EXPECT_EQ(0u, Crc32Mpeg::compute(bytes, 16));
  bytes[7] ^= 0x01;
  EXPECT_NE(0u, Crc32Mpeg::compute(bytes, 16));
}
