#include "media/KXAVFrameHead.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

// A head with a negative timestamp and every field distinct, and its wire form written out by hand.
KXAVFrameHead goldenHead() {
  KXAVFrameHead head;
  head.setSequenceId(0x01020304);
  head.setTimeStamp(-2);
  head.setFrameLength(0x00000100);
  head.setBitRate(0x1234);
  head.setFrameType(1);
  head.setImageFormatId(2);
  head.setVideoSystem(3);
  head.setStreamFormat(1);
  head.setESStreamType(1);
  head.setEncodeType(102);
  head.setFrameRate(25);
  head.setTimezone(8);
  head.setDaylightSavingTime(0xABCD);
  head.setCheckNum(0x0F1E);
  return head;
}

const std::string kGoldenBytes = std::string("t~a!v@ri%n") +
                                 std::string("\x01\x02\x03\x04", 4) +          // sequence id
                                 std::string("\xFF\xFF\xFF\xFF", 4) +          // timestamp high
                                 std::string("\xFF\xFF\xFF\xFE", 4) +          // timestamp low
                                 std::string("\x00\x00\x01\x00", 4) +          // frame length
                                 std::string("\x12\x34", 2) +                  // bit rate
                                 std::string("\x01\x02\x03\x01\x01\x66\x19\x08", 8) +
                                 std::string("\xAB\xCD", 2) +                  // daylight saving time
                                 std::string("\x0F\x1E", 2);                   // check number

}  // namespace

TEST(KXAVFrameHead, WritesTheGoldenBytes) {
  ASSERT_EQ(kGoldenBytes.size(), 40u);
  const KXAVFrameHead head = goldenHead();
  char out[48];
  std::memset(out, 0x55, sizeof(out));
  int len = sizeof(out);
  ASSERT_TRUE(head.getFrameHead(out, len));
  EXPECT_EQ(len, 40);
  EXPECT_EQ(std::string(out, 40), kGoldenBytes);
  EXPECT_EQ(std::string(out + 40, 8), std::string(8, '\x55'));  // exactly 40 bytes written

  char other[40];
  int outLen = 0;
  ASSERT_TRUE(head.toByteFrameHead(other, sizeof(other), outLen));
  EXPECT_EQ(outLen, 40);
  EXPECT_EQ(std::string(other, 40), kGoldenBytes);
}

TEST(KXAVFrameHead, ReadsTheGoldenBytes) {
  KXAVFrameHead head;
  ASSERT_TRUE(head.parseFrameHead(kGoldenBytes.data(), 40));
  EXPECT_EQ(head.getSequenceId(), 0x01020304u);
  EXPECT_EQ(head.getTimeStamp(), -2);
  EXPECT_EQ(head.getFrameLength(), 256);
  EXPECT_EQ(head.getBitRate(), 0x1234);
  EXPECT_EQ(head.getFrameType(), 1);
  EXPECT_EQ(head.getImageFormatId(), 2);
  EXPECT_EQ(head.getVideoSystem(), 3);
  EXPECT_EQ(head.getStreamFormat(), 1);
  EXPECT_EQ(head.getESStreamType(), 1);
  EXPECT_EQ(head.getEncodeType(), 102);
  EXPECT_EQ(head.getFrameRate(), 25);
  EXPECT_EQ(head.getTimezone(), 8);
  EXPECT_EQ(head.getDaylightSavingTime(), 0xABCD);
  EXPECT_EQ(head.getCheckNum(), 0x0F1E);
}

TEST(KXAVFrameHead, TimestampAndLengthRoundTrip) {
  struct Case {
    int64_t timeStamp;
    uint32_t high, low;
  } cases[] = {{(int64_t(1) << 32) + 5, 1, 5},
               {-1, 0xFFFFFFFFu, 0xFFFFFFFFu},
               {INT64_MIN, 0x80000000u, 0},
               {INT64_MAX, 0x7FFFFFFFu, 0xFFFFFFFFu},
               {1700000000000000LL, 0x00060A24u, 0x181E4000u}};
  for (const Case& c : cases) {
    KXAVFrameHead head;
    head.setTimeStamp(c.timeStamp);
    head.setFrameLength(-40);
    EXPECT_EQ(head.getTimeStampHigh(), c.high);
    EXPECT_EQ(head.getTimeStampLow(), c.low);
    char bytes[40];
    int len = 40;
    ASSERT_TRUE(head.getFrameHead(bytes, len));
    KXAVFrameHead back;
    ASSERT_TRUE(back.parseFrameHead(bytes, len));
    EXPECT_EQ(back.getTimeStamp(), c.timeStamp);
    EXPECT_EQ(back.getFrameLength(), -40);
  }
}

TEST(KXAVFrameHead, RefusalsLeaveHeadAndBufferUntouched) {
  const KXAVFrameHead head = goldenHead();
  char out[40];
  std::memset(out, 0x55, sizeof(out));
  int len = 39;
  EXPECT_FALSE(head.getFrameHead(out, len));
  EXPECT_EQ(len, 39);
  EXPECT_EQ(std::string(out, 40), std::string(40, '\x55'));
  len = 40;
  EXPECT_FALSE(head.getFrameHead(nullptr, len));
  int outLen = 7;
  EXPECT_FALSE(head.toByteFrameHead(out, 39, outLen));
  EXPECT_FALSE(head.toByteFrameHead(nullptr, 40, outLen));
  EXPECT_EQ(outLen, 7);

  KXAVFrameHead target = goldenHead();
  for (size_t wrong = 0; wrong < 10; ++wrong) {
    std::string bytes(40, '\0');
    bytes.replace(0, 10, "t~a!v@ri%n");
    bytes[wrong] ^= 0x20;
    EXPECT_FALSE(target.parseFrameHead(bytes.data(), 40)) << wrong;
  }
  EXPECT_FALSE(target.parseFrameHead(kGoldenBytes.data(), 39));
  EXPECT_FALSE(target.parseFrameHead(nullptr, 40));
  EXPECT_EQ(target.getSequenceId(), 0x01020304u);
  EXPECT_EQ(target.getTimeStamp(), -2);
  EXPECT_EQ(target.getCheckNum(), 0x0F1E);
}

TEST(KXAVFrameHead, LengthAndStartCode) {
  EXPECT_EQ(KXAVFrameHead::getFrameHeadLength(), 40);
  KXAVFrameHead head;
  EXPECT_EQ(std::string(head.getStartCode(), 10), "t~a!v@ri%n");
  EXPECT_EQ(head.getSequenceId(), 0u);
  EXPECT_EQ(head.getTimeStamp(), 0);
}
