#include "media/BitReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Bytes from a string of '0' and '1', padded to whole bytes with the given bit.
std::vector<unsigned char> bytesOf(const std::string& bits, char pad = '1') {
  std::string all = bits;
  while (all.size() % 8 != 0) all += pad;
  std::vector<unsigned char> bytes(all.size() / 8, 0);
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i] == '1') bytes[i / 8] |= static_cast<unsigned char>(0x80 >> (i % 8));
  }
  return bytes;
}

struct ExpGolombCase {
  std::string bits;
  uint32_t ue;
  int32_t se;
};

TEST(BitReaderTest, ExpGolombCodeWordsGiveTheirValuesAndLengths) {
  const std::string zeros31(31, '0');
  const std::vector<ExpGolombCase> cases = {
      {"1", 0, 0},
      {"010", 1, 1},
      {"011", 2, -1},
      {"00100", 3, 2},
      {"00101", 4, -2},
      {"0001000", 7, 4},
      {"000011111", 30, -15},
      // The longest code words a 32-bit value has.
      {zeros31 + "1" + zeros31, 2147483647u, 1073741824},
      {zeros31 + "1" + std::string(31, '1'), 4294967294u, -2147483647},
  };
  for (const ExpGolombCase& c : cases) {
    SCOPED_TRACE(c.bits);
    std::vector<unsigned char> bytes = bytesOf(c.bits);
    BitReader ue(bytes.data(), static_cast<int>(bytes.size()));
    EXPECT_EQ(ue.readUe(), c.ue);
    EXPECT_EQ(ue.bitPosition(), static_cast<int64_t>(c.bits.size()));
    BitReader se(bytes.data(), static_cast<int>(bytes.size()));
    EXPECT_EQ(se.readSe(), c.se);
    EXPECT_EQ(se.bitPosition(), static_cast<int64_t>(c.bits.size()));
    EXPECT_FALSE(ue.failed() || se.failed());
  }
}

TEST(BitReaderTest, ExpGolombWordsThatCannotBeReadFailWithoutMoving) {
  struct Case {
    const char* what;
    std::vector<unsigned char> bytes;
    int skipBits;  // read with readBits first, so that the failed word starts mid-byte
  };
  const std::vector<Case> cases = {
      {"no bits at all", {}, 0},
      {"zero run up to the end", {0x00, 0x00}, 0},
      {"zero run up to the end from mid-byte", {0xF0, 0x00}, 4},
      {"info bits beyond the end", {0x01}, 0},
      {"info bits beyond the end from mid-byte", {0xFF, 0x03}, 8},
      {"zero run longer than a 32-bit value allows", bytesOf(std::string(32, '0') + "1", '0'), 0},
      {"a long run of zero bytes", std::vector<unsigned char>(200000, 0), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int signedRead = 0; signedRead < 2; ++signedRead) {
      BitReader reader(c.bytes.data(), static_cast<int>(c.bytes.size()));
      if (c.skipBits > 0) reader.readBits(c.skipBits);
      ASSERT_FALSE(reader.failed());
      if (signedRead) {
        EXPECT_EQ(reader.readSe(), 0);
      } else {
        EXPECT_EQ(reader.readUe(), 0u);
      }
      EXPECT_TRUE(reader.failed());
      EXPECT_EQ(reader.bitPosition(), c.skipBits);
    }
  }
}

TEST(BitReaderTest, FixedLengthReadsTakeTheMostSignificantBitFirst) {
  std::vector<unsigned char> bytes = {0xA5, 0x3C, 0xFF, 0x00, 0x81};
  BitReader reader(bytes.data(), static_cast<int>(bytes.size()));
  EXPECT_EQ(reader.readFlag(), 1u);
  EXPECT_EQ(reader.readBits(3), 0x2u);          // 010
  EXPECT_EQ(reader.readBits(8), 0x53u);         // 0101 0011
  EXPECT_EQ(reader.readBits(28), 0xCFF0081u);   // crosses three byte boundaries, ends at the last bit
  EXPECT_EQ(reader.bitPosition(), 40);
  EXPECT_FALSE(reader.failed());

  BitReader whole(bytes.data(), static_cast<int>(bytes.size()));
  EXPECT_EQ(whole.readBits(32), 0xA53CFF00u);
}

TEST(BitReaderTest, FixedLengthReadsBeyondTheEndOrOfBadWidthFail) {
  std::vector<unsigned char> bytes = {0xFF, 0x80};
  struct Case {
    int skip;
    int count;
  };
  const std::vector<Case> cases = {{0, 17}, {9, 8}, {16, 1}, {0, 0}, {0, 33}, {0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "skip " << c.skip << " read " << c.count);
    BitReader reader(bytes.data(), static_cast<int>(bytes.size()));
    if (c.skip > 0) reader.readBits(c.skip);
    EXPECT_EQ(reader.readBits(c.count), 0u);
    EXPECT_TRUE(reader.failed());
    EXPECT_EQ(reader.bitPosition(), c.skip);
  }
  // A failed read does not spoil the bits that remain; the failure is remembered.
  BitReader reader(bytes.data(), static_cast<int>(bytes.size()));
  reader.readBits(8);
  EXPECT_EQ(reader.readBits(9), 0u);
  EXPECT_EQ(reader.readFlag(), 1u);
  EXPECT_TRUE(reader.failed());
}

TEST(BitReaderTest, NullDataReadsNothing) {
  BitReader reader(nullptr, 10);
  EXPECT_EQ(reader.readFlag(), 0u);
  EXPECT_EQ(reader.readUe(), 0u);
  EXPECT_TRUE(reader.failed());
  EXPECT_EQ(reader.bitsLeft(), 0);
}

}  // namespace
