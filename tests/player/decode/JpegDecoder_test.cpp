#include <gtest/gtest.h>

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "player/decode/JpegDecoder.h"
#include "support/TestPaths.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Encodes a picture with libjpeg itself (outside reference), in any colour space it can write.
Bytes encodeWithLibjpeg(int width, int height, int components, J_COLOR_SPACE space, int quality = 90) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * components);
  while (cinfo.next_scanline < cinfo.image_height) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < components; ++c) {
        row[static_cast<size_t>(x) * components + c] = static_cast<uint8_t>((x * 7 + cinfo.next_scanline * 3 + c * 50) & 0xFF);
      }
    }
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&cinfo, &p, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes result(out, out + outSize);
  std::free(out);
  return result;
}

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A colour test picture as an MJPEG frame, made by ffmpeg.
Bytes ffmpegJpeg(const std::string& dir, int width, int height) {
  const std::string path = dir + "/frame" + std::to_string(width) + ".jpg";
  int code = 0;
  kxtest::runCommand("ffmpeg -v error -y -f lavfi -i testsrc=size=" + std::to_string(width) + "x" +
                         std::to_string(height) + ":rate=1 -frames:v 1 -c:v mjpeg -q:v 2 " + path,
                     &code);
  EXPECT_EQ(0, code);
  return readFile(path);
}

class JpegDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(0, decoder.initJpegDecompress()); }
  bool decode(const Bytes& frame) {
    picture = nullptr;
    length = 0;
    return decoder.decodeJpegFrame(frame.data(), static_cast<int>(frame.size()), &picture, &length);
  }
  JpegDecoder decoder;
  const uint8_t* picture = nullptr;
  int length = 0;
};

TEST_F(JpegDecoderTest, RefusesFramesThatDoNotStartAnImage) {
  const Bytes notJpeg = {0xFF, 0xD9, 0xFF, 0xD8, 0x00};
  EXPECT_FALSE(decode(notJpeg));
  EXPECT_FALSE(decode(Bytes{0xFF}));
  EXPECT_FALSE(decoder.decodeJpegFrame(nullptr, 10, &picture, &length));
}

TEST_F(JpegDecoderTest, DecodesColourFramesToTheSamePixelsAsFfmpeg) {
  if (!kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed";
  const std::string dir = kxtest::scratchDir("JpegColour");
  const Bytes frame = ffmpegJpeg(dir, 640, 480);
  ASSERT_TRUE(decode(frame));
  EXPECT_EQ(640 * 481 * 3, length);
  EXPECT_EQ(640, decoder.width());
  EXPECT_EQ(480, decoder.height());
  // ffmpeg's own mjpeg decoder, converted to RGB by libswscale, is the reference. The two decoders
  // upsample chroma and convert YCbCr to RGB with different rounding: up to 3 levels on single pixels
  // at colour edges (measured), nearly none on average.
  int code = 0;
  const std::string reference =
      kxtest::runCommand("ffmpeg -v error -i " + dir + "/frame640.jpg -f rawvideo -pix_fmt rgb24 -", &code);
  ASSERT_EQ(0, code);
  ASSERT_EQ(size_t{640 * 480 * 3}, reference.size());
  double total = 0;
  int worst = 0;
  for (size_t i = 0; i < reference.size(); ++i) {
    const int d = std::abs(static_cast<int>(picture[i]) - static_cast<uint8_t>(reference[i]));
    total += d;
    worst = std::max(worst, d);
  }
  EXPECT_LT(total / reference.size(), 0.05);
  EXPECT_LE(worst, 4);

  // A smaller frame afterwards reuses the same buffer.
  const uint8_t* first = picture;
  ASSERT_TRUE(decode(ffmpegJpeg(dir, 320, 240)));
  EXPECT_EQ(first, picture);
  EXPECT_EQ(320 * 241 * 3, length);
}

TEST_F(JpegDecoderTest, OtherColourSpacesNeverOverrunTheBuffer) {
  // Grey frames are expanded to RGB (three equal bytes per pixel); CMYK frames, which libjpeg cannot
  // turn into RGB, fail. Neither may write past the width x (height + 1) x 3 bytes of the picture.
  const Bytes grey = encodeWithLibjpeg(64, 48, 1, JCS_GRAYSCALE);
  ASSERT_TRUE(decode(grey));
  EXPECT_EQ(64 * 49 * 3, length);
  for (int i = 0; i < 64 * 48; ++i) {
    ASSERT_EQ(picture[i * 3], picture[i * 3 + 1]) << i;
    ASSERT_EQ(picture[i * 3], picture[i * 3 + 2]) << i;
  }
  const Bytes cmyk = encodeWithLibjpeg(64, 48, 4, JCS_CMYK);
  EXPECT_FALSE(decode(cmyk));
  const Bytes colour = encodeWithLibjpeg(64, 48, 3, JCS_RGB);
  EXPECT_TRUE(decode(colour)) << "the decoder works again after a failed frame";
}

TEST_F(JpegDecoderTest, DamagedFramesFailAndTheNextFrameDecodes) {
  const Bytes good = encodeWithLibjpeg(96, 64, 3, JCS_RGB);
  ASSERT_TRUE(decode(good));
  const Bytes reference(picture, picture + 96 * 64 * 3);
  // 100 bytes end inside the header's tables: a source that presents the frame again from its start
  // there keeps libjpeg reading for ever.
  for (size_t cut : {size_t{2}, size_t{20}, size_t{100}, size_t{200}, good.size() / 2, good.size() - 2}) {
    Bytes truncated(good.begin(), good.begin() + cut);
    if (cut == good.size() - 2) {
      EXPECT_TRUE(decode(truncated)) << "only the end marker is missing";
      EXPECT_EQ(reference, Bytes(picture, picture + reference.size()));
    } else {
      EXPECT_FALSE(decode(truncated)) << "a frame cut at " << cut << " is damaged";
    }
    Bytes garbled = good;
    for (size_t i = cut; i < garbled.size(); i += 7) garbled[i] ^= 0x5A;
    decode(garbled);
    ASSERT_TRUE(decode(good)) << "after a frame cut at " << cut;
    EXPECT_EQ(reference, Bytes(picture, picture + reference.size()));
  }
}

// The picture the decoder holds stays valid until a frame begins to overwrite it: a frame refused
// before that keeps it; a larger frame that fails halfway (its buffer already replaced) leaves none,
// so nobody reads the freed buffer.
TEST_F(JpegDecoderTest, APictureIsHeldUntilAFrameBeginsToOverwriteIt) {
  const Bytes small = encodeWithLibjpeg(32, 16, 3, JCS_RGB);
  ASSERT_TRUE(decode(small));
  const uint8_t* held = picture;
  EXPECT_EQ(held, decoder.picture());
  EXPECT_FALSE(decode(Bytes{0xFF, 0xD9, 0x00}));
  EXPECT_EQ(held, decoder.picture()) << "a frame that is no JPEG leaves the picture";
  EXPECT_FALSE(decode(encodeWithLibjpeg(JpegDecoder::kMaxSide + 8, 8, 3, JCS_RGB, 10)));
  EXPECT_EQ(held, decoder.picture()) << "a frame refused by its header leaves the picture";
  const Bytes large = encodeWithLibjpeg(640, 480, 3, JCS_RGB);
  EXPECT_FALSE(decode(Bytes(large.begin(), large.begin() + static_cast<std::ptrdiff_t>(large.size() / 2))));
  EXPECT_EQ(nullptr, decoder.picture()) << "a frame cut inside its picture data overwrote the buffer";
  ASSERT_TRUE(decode(small));
  EXPECT_EQ(picture, decoder.picture());
  EXPECT_EQ(32, decoder.width());
}

TEST_F(JpegDecoderTest, RefusesPicturesBeyondTheSizeCap) {
  EXPECT_FALSE(decode(encodeWithLibjpeg(JpegDecoder::kMaxSide + 8, 8, 3, JCS_RGB, 10)));
  EXPECT_TRUE(decode(encodeWithLibjpeg(JpegDecoder::kMaxSide, 8, 3, JCS_RGB, 10)));
}

TEST(JpegDecoderState, DecodesOnlyWhileTheDecompressorExists) {
  JpegDecoder decoder;
  const Bytes frame = encodeWithLibjpeg(16, 16, 3, JCS_RGB);
  const uint8_t* picture = nullptr;
  int length = 0;
  EXPECT_FALSE(decoder.decodeJpegFrame(frame.data(), static_cast<int>(frame.size()), &picture, &length));
  ASSERT_EQ(0, decoder.initJpegDecompress());
  EXPECT_TRUE(decoder.decodeJpegFrame(frame.data(), static_cast<int>(frame.size()), &picture, &length));
  decoder.releaseJpegDecompress();
  EXPECT_FALSE(decoder.isCreated());
  EXPECT_FALSE(decoder.decodeJpegFrame(frame.data(), static_cast<int>(frame.size()), &picture, &length));
  ASSERT_EQ(0, decoder.initJpegDecompress());
  EXPECT_TRUE(decoder.decodeJpegFrame(frame.data(), static_cast<int>(frame.size()), &picture, &length));
}

}  // namespace
