#include "media/AVFrameData.h"

#include <gtest/gtest.h>

#include <string>

TEST(AVFrameData, NewRecordHasItsDefaults) {
  AVFrameData frame;
  EXPECT_EQ(frame.getEncoderType(), 0);
  EXPECT_EQ(frame.getImageFormatId(), 1);
  EXPECT_EQ(frame.getVideoSystem(), 1);
  EXPECT_EQ(frame.getData(), nullptr);
  EXPECT_EQ(frame.getDataLen(), 0);
  EXPECT_EQ(frame.getFrameBufLen(), 0u);
  EXPECT_FALSE(frame.isOwned());
}

TEST(AVFrameData, CopyingStoreNeedsABufferLargeEnough) {
  AVFrameData frame;
  EXPECT_FALSE(frame.setData("abc", 3));  // no buffer yet
  ASSERT_TRUE(frame.alloc(4));
  EXPECT_FALSE(frame.alloc(4));
  EXPECT_TRUE(frame.isOwned());
  EXPECT_FALSE(frame.setData("abcde", 5));
  EXPECT_FALSE(frame.setData(nullptr, 1));
  EXPECT_TRUE(frame.setData("abcd", 4));
  EXPECT_EQ(std::string(frame.getData(), 4), "abcd");
  frame.free();
  EXPECT_EQ(frame.getData(), nullptr);
  EXPECT_EQ(frame.getDataLen(), 0);
  EXPECT_EQ(frame.getFrameBufLen(), 0u);
  EXPECT_FALSE(frame.isOwned());
}

TEST(AVFrameData, BorrowedBytesSurviveFreeAndDestruction) {
  std::string caller = "caller bytes";
  {
    AVFrameData frame;
    ASSERT_TRUE(frame.alloc(16));  // owned buffer first: borrowing must release it, not adopt the caller's
    EXPECT_TRUE(frame.setDataEx(caller.data(), static_cast<unsigned>(caller.size())));
    EXPECT_FALSE(frame.isOwned());
    EXPECT_EQ(frame.getData(), caller.data());
    frame.free();
    EXPECT_EQ(frame.getData(), caller.data());
    EXPECT_EQ(frame.getDataLen(), static_cast<int>(caller.size()));
  }
  EXPECT_EQ(caller, "caller bytes");
}

TEST(AVFrameData, CopyOfAnOwningRecordHasItsOwnBytes) {
  AVFrameData source;
  ASSERT_TRUE(source.alloc(10));
  ASSERT_TRUE(source.setData("0123456789", 10));
  source.setTimeStamp(123);
  AVFrameData copy(source);
  EXPECT_TRUE(copy.isOwned());
  EXPECT_NE(copy.getData(), source.getData());
  EXPECT_EQ(std::string(copy.getData(), 10), "0123456789");
  EXPECT_EQ(copy.getTimeStamp(), 123);
  source.free();
  EXPECT_EQ(std::string(copy.getData(), 10), "0123456789");
}
