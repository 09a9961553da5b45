#include "media/Buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string dataOf(const Buffer& b) { return std::string(b.getData(), static_cast<size_t>(b.getDataLength())); }

}  // namespace

TEST(Buffer, AllocOfTheSameSizeKeepsAndZeroesTheBlockAnotherSizeReplacesIt) {
  Buffer b;
  EXPECT_FALSE(b.alloc(0));
  EXPECT_FALSE(b.alloc(-1));
  ASSERT_TRUE(b.alloc(10));
  char* block = b.getBuffer();
  ASSERT_TRUE(b.append("abcdef", 6));
  ASSERT_TRUE(b.moveDataPointer(2));
  ASSERT_TRUE(b.alloc(10));
  EXPECT_EQ(b.getBuffer(), block);
  EXPECT_EQ(b.getDataLength(), 0);
  EXPECT_EQ(std::string(block, 10), std::string(10, '\0'));
  ASSERT_TRUE(b.alloc(20));
  EXPECT_EQ(b.getBufferSize(), 20);
  EXPECT_EQ(b.getDataLength(), 0);
  EXPECT_EQ(std::string(b.getBuffer(), 20), std::string(20, '\0'));
}

TEST(Buffer, TypedAppendsNeedTheirRoomAndUseHostOrder) {
  Buffer b;
  EXPECT_FALSE(b.append(int(1)));  // no allocation
  ASSERT_TRUE(b.alloc(7));
  ASSERT_TRUE(b.append("abc", 3));
  EXPECT_TRUE(b.append(int(0x11223344)));  // exactly 4 free bytes
  EXPECT_FALSE(b.append(short(1)));        // none left
  EXPECT_EQ(dataOf(b), std::string("abc\x44\x33\x22\x11", 7));

  Buffer c;
  ASSERT_TRUE(c.alloc(6));
  ASSERT_TRUE(c.append("abc", 3));
  EXPECT_FALSE(c.append(int(5)));  // 3 free bytes
  EXPECT_TRUE(c.append(short(0x0102)));
  EXPECT_EQ(dataOf(c), std::string("abc\x02\x01", 5));
}

TEST(Buffer, TypedReadsStayBeforeTheEndOfTheData) {
  Buffer b;
  ASSERT_TRUE(b.alloc(16));
  ASSERT_TRUE(b.append(int(-7)));
  ASSERT_TRUE(b.append(short(300)));
  int i = 0;
  short s = 0;
  long l = 0;
  EXPECT_TRUE(b.getInt(i));
  EXPECT_EQ(i, -7);
  EXPECT_TRUE(b.getShort(s));
  EXPECT_EQ(s, 300);
  EXPECT_EQ(b.getDataPos(), 6);
  EXPECT_FALSE(b.getShort(s));  // nothing left, although the allocation goes on
  b.setDataPos(0);
  EXPECT_TRUE(b.getLong(l));
  EXPECT_EQ(l, -7);

  // A read position outside the data, far beyond or below the allocation, reads nothing.
  for (int pos : {5, 6, 16, 1000000, -1, -2147483647 - 1}) {
    b.setDataPos(pos);
    char out[4] = {};
    EXPECT_FALSE(b.getInt(i)) << pos;
    EXPECT_FALSE(b.getData(out, 2)) << pos;
    EXPECT_EQ(b.getDataPos(), pos);
  }
  b.setDataPos(4);
  char out[2];
  EXPECT_FALSE(b.getData(nullptr, 2));
  EXPECT_TRUE(b.getData(out, 2));
  EXPECT_EQ(std::memcmp(out, "\x2c\x01", 2), 0);
}

TEST(Buffer, CopyReplacesTheDataFromTheStartOfTheAllocation) {
  Buffer b;
  EXPECT_FALSE(b.copy("abc", 3));  // no allocation
  ASSERT_TRUE(b.alloc(8));
  EXPECT_FALSE(b.copy(nullptr, 3));
  EXPECT_FALSE(b.copy("123456789", 9));
  ASSERT_TRUE(b.copy("12345678", 8));
  ASSERT_TRUE(b.moveDataPointer(6));
  // After the data pointer moved, a copy starts the data again at the allocation so that the
  // data never reaches past its end.
  const char* start = b.getData() - 6;
  ASSERT_TRUE(b.copy("abcdefgh", 8));
  EXPECT_EQ(b.getData(), start);
  EXPECT_EQ(dataOf(b), "abcdefgh");

  Buffer source;
  ASSERT_TRUE(source.alloc(4));
  EXPECT_FALSE(b.copy(source));  // source has no data
  ASSERT_TRUE(source.copy("wxyz", 4));
  EXPECT_TRUE(b.copy(source));
  EXPECT_EQ(dataOf(b), "wxyz");
}

TEST(Buffer, AppendAfterMovingTheDataPointerKeepsTheLiveBytes) {
  Buffer b;
  ASSERT_TRUE(b.alloc(10));
  ASSERT_TRUE(b.append("abcdef", 6));
  ASSERT_TRUE(b.moveDataPointer(4));
  EXPECT_EQ(dataOf(b), "ef");
  ASSERT_TRUE(b.append("ghij", 4));  // exactly fills the allocation
  EXPECT_EQ(dataOf(b), "efghij");
  EXPECT_FALSE(b.append("k", 1));
  Buffer other;
  ASSERT_TRUE(other.alloc(4));
  ASSERT_TRUE(other.append("xy", 2));
  EXPECT_FALSE(b.append(other));
  EXPECT_EQ(dataOf(b), "efghij");
}

TEST(Buffer, MoveDataPointerAndSetDataLengthStayInsideTheAllocation) {
  Buffer b;
  ASSERT_TRUE(b.alloc(100));
  const char* start = b.getData();
  b.setDataLength(1000);
  EXPECT_EQ(b.getDataLength(), 100);
  b.setDataLength(10);
  EXPECT_FALSE(b.moveDataPointer(11));
  EXPECT_EQ(b.getDataLength(), 10);
  EXPECT_TRUE(b.moveDataPointer(10));
  EXPECT_EQ(b.getDataLength(), 0);
  EXPECT_EQ(b.getData(), start + 10);
  b.setDataLength(1000);
  EXPECT_EQ(b.getDataLength(), 90);  // room from the data pointer to the end of the allocation
  b.reset();
  EXPECT_EQ(b.getData(), start);
  EXPECT_EQ(b.getDataLength(), 0);
}

TEST(Buffer, PointerByLengthStaysInsideTheAllocation) {
  Buffer b;
  EXPECT_EQ(b.getDataPointerByLength(0), nullptr);
  ASSERT_TRUE(b.alloc(50));
  EXPECT_EQ(b.getDataPointerByLength(50), nullptr);
  EXPECT_EQ(b.getDataPointerByLength(49), b.getData() + 49);
  b.setDataLength(50);
  ASSERT_TRUE(b.moveDataPointer(20));
  EXPECT_EQ(b.getDataPointerByLength(29), b.getData() + 29);
  EXPECT_EQ(b.getDataPointerByLength(30), nullptr);  // would be the end of the allocation
  EXPECT_EQ(b.getDataPointerByLength(49), nullptr);
}

TEST(Buffer, EqualsComparesSizesLengthsAndBytes) {
  Buffer a, b, c;
  ASSERT_TRUE(a.alloc(8));
  ASSERT_TRUE(b.alloc(8));
  ASSERT_TRUE(c.alloc(9));
  EXPECT_TRUE(a.equals(b));  // both empty, same size
  EXPECT_FALSE(a.equals(c));
  ASSERT_TRUE(a.append("abc", 3));
  EXPECT_FALSE(a.equals(b));
  ASSERT_TRUE(b.append("abd", 3));
  EXPECT_FALSE(a.equals(b));
  b.reset();
  ASSERT_TRUE(b.append("abc", 3));
  EXPECT_TRUE(a.equals(b));
}

TEST(Buffer, FreeReleasesAndKeepsTheReadPosition) {
  Buffer b;
  ASSERT_TRUE(b.alloc(8));
  b.setDataPos(3);
  b.free();
  EXPECT_EQ(b.getBuffer(), nullptr);
  EXPECT_EQ(b.getBufferSize(), 0);
  EXPECT_EQ(b.getDataLength(), 0);
  EXPECT_EQ(b.getDataPos(), 3);
  int v;
  EXPECT_FALSE(b.getInt(v));
  EXPECT_FALSE(b.append("a", 1));
}
