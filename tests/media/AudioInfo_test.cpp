#include "media/AudioInfo.h"

#include <gtest/gtest.h>

TEST(AudioInfo, DefaultsArePcmMono8000HzAndCopiesKeepEveryField) {
  AudioInfo info;
  EXPECT_EQ(info.getFormatTag(), 1);
  EXPECT_EQ(info.getChannels(), 1);
  EXPECT_EQ(info.getSamplesPerSec(), 8000u);
  EXPECT_EQ(info.getAvgBytesPerSec(), 16000u);
  EXPECT_EQ(info.getBlockAligns(), 2);
  EXPECT_EQ(info.getBitsPerSample(), 16);
  EXPECT_EQ(info.getCBSize(), 0);
  EXPECT_EQ(info.getEncodeType(), 0);
  info.setEncodeType(102);
  info.setBlockAlign(1);
  AudioInfo copy(info);
  EXPECT_EQ(copy.getEncodeType(), 102);
  EXPECT_EQ(copy.getBlockAligns(), 1);
}
