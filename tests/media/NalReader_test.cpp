#include "media/NalReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

const char kNoStartCodeMessage[] = "GetAnnexbNALU: no Start Code at the begin of the NALU, return -1\n";
const char kCannotReadMessage[] = "GetAnnexbNALU can't read start code\n";
const char kLeadingZeroMessage[] =
    "GetAnnexbNALU: The leading_zero_8bits syntax can only be present in the first byte stream NAL "
    "unit, return -1\n";
const char kTooLargeMessage[] = "GetAnnexbNALU: the NALU does not fit the unit buffer, return -1\n";

// One expected read: its result and, for a unit, what the unit holds (header at headerAt of the input).
struct Read {
  int result;
  int prefixLength = 0;
  int leadingZeros = 0;
  int trailingZeros = 0;
  int headerAt = 0;
  int length = 0;
  const char* message = "";
};

Read unitRead(int result, int prefixLength, int leadingZeros, int trailingZeros, int headerAt, int length) {
  return Read{result, prefixLength, leadingZeros, trailingZeros, headerAt, length, ""};
}
Read failedRead(const char* message) { return Read{-1, 0, 0, 0, 0, 0, message}; }
Read endRead() { return Read{0}; }

struct StreamCase {
  const char* what;
  Bytes input;
  std::vector<Read> reads;
  bool firstUnit = true;
};

TEST(NalReaderTest, ReadsUnitsAndStartCodesAsTheyStand) {
  const std::vector<StreamCase> cases = {
      {"empty input", {}, {endRead(), endRead()}},
      {"zero bytes only", {0, 0, 0, 0}, {failedRead(kCannotReadMessage)}},
      {"input ends after the start code", {0, 0, 1}, {failedRead(kCannotReadMessage)}},
      {"a non-zero byte that is not 01", {0, 0, 2, 0x67}, {failedRead(kNoStartCodeMessage)}},
      {"a start code of two bytes", {0, 1, 0x67}, {failedRead(kNoStartCodeMessage)}},
      {"no zero bytes at all", {0x67, 0x42}, {failedRead(kNoStartCodeMessage)}},
      {"one leading zero before a long start code", {0, 0, 0, 0, 1, 0x67},
       {unitRead(6, 4, 1, 0, 5, 1), endRead()}},
      {"leading zeros are refused after the first unit", {0, 0, 0, 0, 1, 0x67},
       {failedRead(kLeadingZeroMessage)}, false},
      {"a long start code is not leading zeros after the first unit", {0, 0, 0, 1, 0x67, 0x42},
       {unitRead(6, 4, 0, 0, 4, 2), endRead()}, false},
      {"zeros before a long start code are trimmed; the next read starts at that code",
       {0, 0, 1, 0x67, 0x42, 0, 0, 0, 0, 1, 0x68, 0xCE},
       {unitRead(6, 3, 0, 1, 3, 2), unitRead(6, 4, 0, 0, 10, 2), endRead()}},
      {"nothing is trimmed before a short start code",
       {0, 0, 1, 0x67, 0x42, 0x80, 0, 0, 1, 0x68},
       {unitRead(6, 3, 0, 0, 3, 3), unitRead(4, 3, 0, 0, 9, 1), endRead()}},
      {"the last unit keeps a final non-zero byte", {0, 0, 1, 0x67, 0x42, 0, 0x1E},
       {unitRead(7, 3, 0, 0, 3, 4), endRead()}},
      {"the last unit loses its trailing zeros", {0, 0, 1, 0x67, 0x80, 0, 0},
       {unitRead(7, 3, 0, 2, 3, 2), endRead()}},
      {"an empty unit between two start codes", {0, 0, 1, 0, 0, 1, 0x09, 0xF0},
       {unitRead(3, 3, 0, 0, 3, 0), unitRead(5, 3, 0, 0, 6, 2), endRead()}},
      {"a failed read leaves the cursor where it stopped", {0, 0, 2, 0, 0, 1, 0x68},
       {failedRead(kNoStartCodeMessage), unitRead(4, 3, 0, 0, 6, 1), endRead()}},
      {"a unit running into a start code whose zeros are all trailing", {0, 0, 1, 0x65, 0x88, 0, 0, 0, 0, 0, 1, 0x41},
       {unitRead(7, 3, 0, 2, 3, 2), unitRead(5, 4, 0, 0, 11, 1), endRead()}},
  };
  for (const StreamCase& c : cases) {
    SCOPED_TRACE(c.what);
    NalReader reader;
    reader.setInput(c.input.data(), static_cast<int>(c.input.size()), c.firstUnit);
    for (size_t r = 0; r < c.reads.size(); ++r) {
      SCOPED_TRACE(testing::Message() << "read " << r);
      const Read& expected = c.reads[r];
      NalUnit unit;
      unit.length = -7;  // to see that a failed read leaves the unit alone
      testing::internal::CaptureStdout();
      int result = reader.GetAnnexbNALU(unit);
      std::string printed = testing::internal::GetCapturedStdout();
      EXPECT_EQ(result, expected.result);
      EXPECT_EQ(printed, expected.message);
      if (expected.result <= 0) {
        EXPECT_EQ(unit.length, -7);
        EXPECT_EQ(unit.payload, nullptr);
        continue;
      }
      EXPECT_EQ(unit.startCodePrefixLength, expected.prefixLength);
      EXPECT_EQ(reader.leadingZeroCount(), expected.leadingZeros);
      EXPECT_EQ(reader.trailingZeroCount(), expected.trailingZeros);
      ASSERT_EQ(unit.length, expected.length);
      ASSERT_NE(unit.payload, nullptr);
      Bytes payload(unit.payload, unit.payload + unit.length);
      Bytes inInput(c.input.begin() + expected.headerAt, c.input.begin() + expected.headerAt + expected.length);
      EXPECT_EQ(payload, inInput);
      const unsigned char header = expected.length > 0 ? c.input[expected.headerAt] : 0;
      EXPECT_EQ(unit.nal_unit_type, header & 0x1F);
    }
  }
}

TEST(NalReaderTest, HeaderByteGivesTypeReferenceAndForbiddenBit) {
  struct Case {
    unsigned char header;
    int type;
    int refIdc;
    int forbidden;
    const char* name;
  };
  const std::vector<Case> cases = {
      {0x41, 1, 2, 0, "NALU_TYPE_SLICE"}, {0x02, 2, 0, 0, "NALU_TYPE_DPA"},
      {0x03, 3, 0, 0, "NALU_TYPE_DPB"},   {0x04, 4, 0, 0, "NALU_TYPE_DPC"},
      {0x65, 5, 3, 0, "NALU_TYPE_IDR"},   {0x06, 6, 0, 0, "NALU_TYPE_SEI"},
      {0xE7, 7, 3, 1, "NALU_TYPE_SPS"},   {0x68, 8, 3, 0, "NALU_TYPE_PPS"},
      {0x09, 9, 0, 0, "NALU_TYPE_AUD"},   {0x0A, 10, 0, 0, "NALU_TYPE_EOSEQ"},
      {0x0B, 11, 0, 0, "NALU_TYPE_EOSTREAM"}, {0x0C, 12, 0, 0, "NALU_TYPE_FILL"},
      {0x00, 0, 0, 0, "other"},           {0x0D, 13, 0, 0, "other"},
      {0x3F, 31, 1, 0, "other"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes input = {0, 0, 0, 1, c.header, 0x80};
    NalReader reader;
    reader.setInput(input.data(), static_cast<int>(input.size()));
    NalUnit unit;
    ASSERT_EQ(reader.GetAnnexbNALU(unit), 6);
    EXPECT_EQ(unit.nal_unit_type, c.type);
    EXPECT_EQ(unit.nal_ref_idc, c.refIdc);
    EXPECT_EQ(unit.forbidden_zero_bit, c.forbidden);
    EXPECT_EQ(unit.typeName, c.name);
  }
}

// The unit buffer is bounded: a unit, with its start codes, that does not fit it is refused, and one
// that fits exactly is read whole.
TEST(NalReaderTest, UnitsLargerThanTheUnitBufferAreRefused) {
  const int size = NalReader::kUnitBufferSize;
  struct Case {
    const char* what;
    Bytes input;
    int result;
    const char* message;
  };
  Bytes exactFit(size, 0xAB);
  exactFit[0] = 0; exactFit[1] = 0; exactFit[2] = 1; exactFit[3] = 0x65;
  Bytes oneTooMany = exactFit;
  oneTooMany.push_back(0xAB);
  Bytes beforeNextCode = oneTooMany;
  beforeNextCode.insert(beforeNextCode.end(), {0, 0, 1, 0x41});
  Bytes endlessZeros(size + 10, 0);
  endlessZeros.insert(endlessZeros.end(), {1, 0x67});
  const std::vector<Case> cases = {
      {"unit filling the buffer to the end of input", exactFit, size, ""},
      {"unit one byte larger", oneTooMany, -1, kTooLargeMessage},
      {"unit too large before the next start code", beforeNextCode, -1, kTooLargeMessage},
      {"more leading zeros than the buffer holds", endlessZeros, -1, kTooLargeMessage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NalReader reader;
    reader.setInput(c.input.data(), static_cast<int>(c.input.size()));
    NalUnit unit;
    testing::internal::CaptureStdout();
    int result = reader.GetAnnexbNALU(unit);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
    EXPECT_EQ(result, c.result);
    if (result > 0) {
      EXPECT_EQ(unit.length, size - 3);
      EXPECT_EQ(unit.nal_unit_type, 5);
      EXPECT_EQ(unit.payload[unit.length - 1], 0xAB);
    } else {
      EXPECT_EQ(unit.payload, nullptr);
    }
  }
}

// Each read starts on a clean buffer: bytes of a longer earlier unit do not show behind a shorter one.
TEST(NalReaderTest, BytesOfAnEarlierUnitDoNotShowBehindALaterOne) {
  Bytes input = {0, 0, 1, 0x65, 0x11, 0x22, 0x33, 0x44, 0, 0, 1, 0x41};
  NalReader reader;
  reader.setInput(input.data(), static_cast<int>(input.size()));
  NalUnit unit;
  ASSERT_EQ(reader.GetAnnexbNALU(unit), 8);
  ASSERT_EQ(reader.GetAnnexbNALU(unit), 4);
  ASSERT_EQ(unit.length, 1);
  for (int i = 1; i < 8; ++i) EXPECT_EQ(unit.payload[i], 0) << i;
}

}  // namespace
