#include "player/render/PictureSnapshot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "player/KXPlayerResult.h"
#include "tests/player/PictureOutputFixture.h"

using kxoutput::Pipeline;

namespace {

uint32_t le32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes.at(at + i));
  return v;
}

// The BMP's pixels as top-down rows of width x 3 bytes, after checking its headers.
std::string bmpPixels(const std::string& file, int width, int height) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  EXPECT_EQ("BM", file.substr(0, 2));
  EXPECT_EQ(54u + stride * height, le32(file, 2));
  EXPECT_EQ(file.size(), le32(file, 2));
  EXPECT_EQ(54u, le32(file, 10));
  EXPECT_EQ(40u, le32(file, 14));
  EXPECT_EQ(static_cast<uint32_t>(width), le32(file, 18));
  EXPECT_EQ(static_cast<uint32_t>(height), le32(file, 22));
  EXPECT_EQ(0x00180001u, le32(file, 26));  // 1 plane, 24 bits
  EXPECT_EQ(0u, le32(file, 30));
  EXPECT_EQ(stride * height, le32(file, 34));
  std::string rows;
  for (int y = height - 1; y >= 0 && file.size() >= 54 + stride * height; --y) {
    const std::string row = file.substr(54 + stride * y, stride);
    rows += row.substr(0, static_cast<size_t>(width) * 3);
    EXPECT_EQ(std::string(stride - width * 3, '\0'), row.substr(width * 3)) << "padding is zero";
  }
  return rows;
}

std::string probeSize(const std::string& path) {
  std::string size = kxtest::runCommand("ffprobe -v error -show_entries stream=width,height -of csv=p=0 '" + path + "'");
  while (!size.empty() && (size.back() == '\n' || size.back() == '\r')) size.pop_back();
  return size;
}

TEST(BmpWriter, SmallPicturesArePaddedBottomUpRows) {
  const std::string dir = kxtest::scratchDir("BmpWriterSmall");
  const unsigned char twoByTwo[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  ASSERT_EQ(0, PictureSnapshot::writeBmpFile(2, 2, (dir + "/2x2.bmp").c_str(), twoByTwo));
  const std::string file = kxtest::readFile(dir + "/2x2.bmp");
  ASSERT_EQ(70u, file.size());
  EXPECT_EQ(std::string("\x07\x08\x09\x0a\x0b\x0c\0\0\x01\x02\x03\x04\x05\x06\0\0", 16), file.substr(54));
  const unsigned char threeByOne[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  ASSERT_EQ(0, PictureSnapshot::writeBmpFile(1, 3, (dir + "/3x1.bmp").c_str(), threeByOne));
  const std::string wide = kxtest::readFile(dir + "/3x1.bmp");
  ASSERT_EQ(66u, wide.size());
  EXPECT_EQ(std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9), bmpPixels(wide, 3, 1));
  EXPECT_EQ(std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\0\0\0", 12), wide.substr(54));
}

TEST(BmpWriter, RefusesWhatItCannotWrite) {
  const unsigned char pixel[3] = {0, 0, 0};
  const std::string dir = kxtest::scratchDir("BmpWriterRefuses");
  EXPECT_EQ(KXPLAYER_OUT_OF_RANGE, PictureSnapshot::writeBmpFile(1, 1, (dir + "/a.bmp").c_str(), nullptr));
  EXPECT_EQ(KXPLAYER_OUT_OF_RANGE, PictureSnapshot::writeBmpFile(1, 1, "", pixel));
  EXPECT_EQ(KXPLAYER_OUT_OF_RANGE, PictureSnapshot::writeBmpFile(1, 1, std::string(261, 'a').c_str(), pixel));
  EXPECT_EQ(KXPLAYER_OUT_OF_RANGE, PictureSnapshot::writeBmpFile(0, 1, (dir + "/a.bmp").c_str(), pixel));
  EXPECT_EQ(KXPLAYER_FILE_OPEN_FAILED, PictureSnapshot::writeBmpFile(1, 1, (dir + "/no/such/a.bmp").c_str(), pixel));
}

struct SnapshotFixture : ::testing::Test {
  SnapshotFixture() : dir(kxtest::scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    platform::MemoryDisplay::instance().reset();
  }
  ~SnapshotFixture() override {
    if (window != 0) destroyOffscreenWindow(window);
  }
  std::string dir;
  HWND window = 0;
  Pipeline pipeline;
};

TEST_F(SnapshotFixture, NoPictureAndWrongTypeAreRefused) {
  EXPECT_EQ(KXPLAYER_WRONG_STATE, pipeline.output.snapShot((dir + "/a.jpg").c_str(), "JPG"));
  ASSERT_TRUE(pipeline.decodeH264(kxtest::fixturePath("h264_baseline_176x144_gop12.h264"), 1));
  EXPECT_EQ(KXPLAYER_WRONG_FORMAT, pipeline.output.snapShot((dir + "/a.jpg").c_str(), "jpg"));
  EXPECT_EQ(KXPLAYER_WRONG_FORMAT, pipeline.output.snapShot((dir + "/a.jpg").c_str(), "PNG"));
  EXPECT_EQ(KXPLAYER_JPEG_WRITE_FAILED, pipeline.output.snapShot((dir + "/no/such/a.jpg").c_str(), "JPG"));
  EXPECT_EQ(KXPLAYER_FILE_OPEN_FAILED, pipeline.output.snapShot((dir + "/no/such/a.bmp").c_str(), "BMP"));
}

TEST_F(SnapshotFixture, H264PictureWithAndWithoutAWindow) {
  if (!kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed";
  const std::string file = kxtest::fixturePath("h264_baseline_crop_322x242_gop10.h264");
  ASSERT_TRUE(pipeline.decodeH264(file, 3));
  // The outside reference: ffmpeg's conversion of the same picture to B, G, R.
  const std::string reference = kxtest::runCommand(
      "ffmpeg -nostdin -v error -i '" + file +
      "' -vf 'select=eq(n\\,2),scale=flags=bicubic+accurate_rnd' -frames:v 1 -pix_fmt bgr24 -f rawvideo -");
  ASSERT_EQ(322u * 242 * 3, reference.size());
  for (bool withWindow : {false, true}) {
    SCOPED_TRACE(withWindow);
    if (withWindow) {
      window = createOffscreenWindow(400, 300);
      pipeline.output.setVideoWindow(window, 0, 0, 400, 300);
      pipeline.output.playOneFrame();
    }
    const std::string name = dir + (withWindow ? "/window" : "/none");
    ASSERT_EQ(0, pipeline.output.snapShot((name + ".bmp").c_str(), "BMP"));
    ASSERT_EQ(0, pipeline.output.snapShot((name + ".jpg").c_str(), "JPG"));
    EXPECT_EQ("322,242", probeSize(name + ".bmp"));
    EXPECT_EQ("322,242", probeSize(name + ".jpg"));
    EXPECT_TRUE(bmpPixels(kxtest::readFile(name + ".bmp"), 322, 242) == reference) << "BMP pixels differ";
  }
}

TEST_F(SnapshotFixture, MjpegPicture) {
  if (!kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed";
  ASSERT_TRUE(pipeline.decodeJpeg(kxoutput::makeJpeg(160, 120)));
  ASSERT_EQ(0, pipeline.output.snapShot((dir + "/m.bmp").c_str(), "BMP"));
  ASSERT_EQ(0, pipeline.output.snapShot((dir + "/m.jpg").c_str(), "JPG"));
  EXPECT_EQ("160,120", probeSize(dir + "/m.bmp"));
  EXPECT_EQ("160,120", probeSize(dir + "/m.jpg"));
  // The BMP holds the decoded R, G, B pixels with red and blue swapped.
  std::string expected(reinterpret_cast<const char*>(pipeline.decoder.jpegRgb()), 160 * 120 * 3);
  for (size_t i = 0; i < expected.size(); i += 3) std::swap(expected[i], expected[i + 2]);
  EXPECT_TRUE(bmpPixels(kxtest::readFile(dir + "/m.bmp"), 160, 120) == expected);
}

}  // namespace
