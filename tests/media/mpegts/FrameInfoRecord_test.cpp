#include "media/mpegts/FrameInfoRecord.h"

#include <gtest/gtest.h>

#include <vector>

using MPEG_TS::FrameInfoRecord;

TEST(FrameInfoRecord, WritesEveryFieldLittleEndianAtItsOffset) {
  FrameInfoRecord record;
  record.reserved = 0xFFFF;
  record.sequenceId = 0x04030201;
  record.imageFormatId = 0x05;
  record.height = 0x0706;
  record.width = 0x0908;
  record.frameRate = 0x0A;
  record.bitRate = 0x0C0B;
  record.reserved2[0] = 0xEE;
  record.timeStamp = 0x1413121110FFFEFDull;
  uint8_t bytes[28];
  MPEG_TS::buildFrameInfo(record, bytes);
  const std::vector<uint8_t> expected = {0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                                         0x09, 0x0A, 0x0B, 0x0C, 0x00, 0x00, 0x00, 0x00, 0xFD, 0xFE,
                                         0xFF, 0x10, 0x11, 0x12, 0x13, 0x14, 0x00, 0x00};
  EXPECT_EQ(expected, std::vector<uint8_t>(bytes, bytes + 28));

  FrameInfoRecord parsed;
  parsed.frameRate = 99;
  MPEG_TS::parseFrameInfo(bytes, parsed);
  EXPECT_EQ(record.sequenceId, parsed.sequenceId);
  EXPECT_EQ(record.imageFormatId, parsed.imageFormatId);
  EXPECT_EQ(record.height, parsed.height);
  EXPECT_EQ(record.width, parsed.width);
  EXPECT_EQ(record.frameRate, parsed.frameRate);
  EXPECT_EQ(record.bitRate, parsed.bitRate);
  EXPECT_EQ(record.timeStamp, parsed.timeStamp);
  EXPECT_EQ(0, parsed.reserved);
  EXPECT_EQ(0, parsed.reserved2[0]);
}
