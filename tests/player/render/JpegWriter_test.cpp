#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "player/render/JpegWriter.h"
#include "support/TestPaths.h"

namespace {

std::vector<uint8_t> gradient(int width, int height) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<uint8_t>(x * 255 / width);
      p[1] = static_cast<uint8_t>(y * 255 / height);
      p[2] = 128;
    }
  }
  return pixels;
}

TEST(JpegWriter, SnapshotReadsBackWithFfmpegAtItsSize) {
  if (!kxtest::haveProgram("ffprobe")) GTEST_SKIP() << "ffprobe not installed";
  const std::string path = kxtest::scratchDir("JpegSnapshot") + "/snap.jpg";
  const std::vector<uint8_t> pixels = gradient(352, 288);
  JpegWriter writer;
  ASSERT_EQ(0, writer.initJpegCompress());
  ASSERT_TRUE(writer.writeJpegFile(path, 352, pixels.data(), 288));
  int code = 0;
  const std::string probe = kxtest::runCommand(
      "ffprobe -v error -show_entries stream=codec_name,width,height -of compact=p=0 " + path, &code);
  ASSERT_EQ(0, code);
  EXPECT_NE(std::string::npos, probe.find("codec_name=mjpeg|width=352|height=288")) << probe;
  const std::string decoded = kxtest::runCommand("ffmpeg -v error -i " + path + " -f rawvideo -pix_fmt rgb24 -", &code);
  ASSERT_EQ(pixels.size(), decoded.size());
  double total = 0;
  for (size_t i = 0; i < pixels.size(); ++i) total += std::abs(pixels[i] - static_cast<uint8_t>(decoded[i]));
  EXPECT_LT(total / pixels.size(), 2.0) << "quality 100 keeps the picture";
  // The same writer writes a second snapshot.
  ASSERT_TRUE(writer.writeJpegFile(path + "2.jpg", 352, pixels.data(), 288));
  EXPECT_GT(std::filesystem::file_size(path + "2.jpg"), 1000u);
}

TEST(JpegWriter, PathAndWriteFailures) {
  const std::string dir = kxtest::scratchDir("JpegWriterPaths");
  const std::vector<uint8_t> pixels = gradient(32, 16);
  JpegWriter writer;
  ASSERT_EQ(0, writer.initJpegCompress());
  auto pathOfLength = [&](size_t length) {
    std::string path = dir + "/";
    path += std::string(length - path.size() - 4, 'a');
    return path + ".jpg";
  };
  const std::string longest = pathOfLength(JpegWriter::kMaxPath);
  ASSERT_EQ(JpegWriter::kMaxPath, longest.size());
  EXPECT_TRUE(writer.writeJpegFile(longest, 32, pixels.data(), 16));
  const std::string tooLong = pathOfLength(JpegWriter::kMaxPath + 1);
  EXPECT_FALSE(writer.writeJpegFile(tooLong, 32, pixels.data(), 16));
  EXPECT_FALSE(std::filesystem::exists(tooLong));
  EXPECT_FALSE(writer.writeJpegFile("", 32, pixels.data(), 16));
  EXPECT_FALSE(writer.writeJpegFile(dir + "/missing/folder/x.jpg", 32, pixels.data(), 16));
  // A device that refuses every byte: libjpeg's write error ends this write, not the process.
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_FALSE(writer.writeJpegFile("/dev/full", 32, pixels.data(), 16));
  }
  EXPECT_TRUE(writer.writeJpegFile(dir + "/after.jpg", 32, pixels.data(), 16));
}

}  // namespace
