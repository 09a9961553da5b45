#include "media/VideoInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(VideoInfo, Defaults) {
  VideoInfo info;
  EXPECT_EQ(info.getBitRate(), 50u);
  EXPECT_EQ(info.getTimePerFrame(), 1u);
  EXPECT_EQ(info.getSize(), 100u);
  EXPECT_EQ(info.getWidth(), 50u);
  EXPECT_EQ(info.getPlanes(), 50u);
  EXPECT_EQ(info.getXPelsPerMeter(), 50);
  EXPECT_EQ(info.getClrImportant(), 50u);
  EXPECT_EQ(info.getSPS_PPSDataLen(), 0);
  EXPECT_EQ(std::string(info.getSPS_PPSData(), VideoInfo::kSpsPpsAreaSize),
            std::string(VideoInfo::kSpsPpsAreaSize, '\0'));
}

TEST(VideoInfo, AssignmentCopiesHeaderAndOnlyTheStoredParameterSetBytes) {
  VideoInfo source;
  source.setWidth(704);
  source.setHeight(576);
  source.setBitCount(24);
  source.setSPS_PPSData("SPS", 3);
  VideoInfo target;
  target.setSPS_PPSData("abcdefgh", 8);
  target = source;
  EXPECT_EQ(target.getWidth(), 704u);
  EXPECT_EQ(target.getHeight(), 576u);
  EXPECT_EQ(target.getBitCount(), 24u);
  EXPECT_EQ(target.getSPS_PPSDataLen(), 3);
  EXPECT_EQ(std::string(target.getSPS_PPSData(), 8), "SPSdefgh");
  VideoInfo copy(source);
  EXPECT_EQ(std::string(copy.getSPS_PPSData(), 4), std::string("SPS\0", 4));
}

// Parameter sets longer than the area are cut to it; nothing is written or read past it.
TEST(VideoInfo, ParameterSetLengthIsClampedToTheArea) {
  struct Case {
    int given;
    int stored;
  } cases[] = {{0, 0}, {-5, 0}, {1, 1}, {512, 512}, {513, 512}, {4096, 512}};
  std::vector<char> bytes(4096);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  for (const Case& c : cases) {
    VideoInfo info;
    info.setSPS_PPSData(bytes.data(), c.given);
    EXPECT_EQ(info.getSPS_PPSDataLen(), c.stored) << c.given;
    EXPECT_EQ(std::string(info.getSPS_PPSData(), static_cast<size_t>(c.stored)),
              std::string(bytes.data(), static_cast<size_t>(c.stored)));
    VideoInfo copy;
    copy = info;
    EXPECT_EQ(copy.getSPS_PPSDataLen(), c.stored);
  }
  VideoInfo info;
  info.setSPS_PPSData(nullptr, 10);
  EXPECT_EQ(info.getSPS_PPSDataLen(), 0);
}
