#include "player/render/ColorSpaceConvert.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <vector>

namespace {

TEST(ColorSpaceConvert, FormatIdsAndTheirLayouts) {
  struct Case {
    int id;
    int format;
    int bytes;
  };
  for (const Case& c : {Case{1, AV_PIX_FMT_BGRA, 4}, Case{2, AV_PIX_FMT_BGR24, 3}, Case{3, AV_PIX_FMT_RGB565LE, 2},
                        Case{4, AV_PIX_FMT_RGB555LE, 2}, Case{11, AV_PIX_FMT_YUV420P, 0}, Case{16, AV_PIX_FMT_BGR24, 3},
                        Case{0, AV_PIX_FMT_NONE, 0}, Case{5, AV_PIX_FMT_NONE, 0}}) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(c.format, ColorSpaceConvert::pixelFormatOf(c.id));
    EXPECT_EQ(c.bytes, ColorSpaceConvert::bytesPerPixelOf(c.id));
  }
}

TEST(ColorSpaceConvert, MakesAContextOnlyForValidParameters) {
  PlayerDebugLog log;
  SwsContext* context = nullptr;
  EXPECT_EQ(-1, ColorSpaceConvert::initColorSpaceConvert(log, 0, 10, 11, 1, &context));
  EXPECT_EQ(-1, ColorSpaceConvert::initColorSpaceConvert(log, 10, 10, 11, 0, &context));
  EXPECT_EQ(nullptr, context);
  EXPECT_EQ(-7, ColorSpaceConvert::initColorSpaceConvert(log, 10, 10, 11, 7, &context));
  EXPECT_EQ(nullptr, context);
  ASSERT_EQ(0, ColorSpaceConvert::initColorSpaceConvert(log, 10, 10, 11, 1, &context));
  EXPECT_NE(nullptr, context);
  // A failed attempt leaves no old context behind.
  EXPECT_EQ(-1, ColorSpaceConvert::initColorSpaceConvert(log, -1, 10, 11, 1, &context));
  EXPECT_EQ(nullptr, context);
}

TEST(ColorSpaceConvert, TwentyFourBitsKeepBlueFirst) {
  // Pure red in YUV (BT.601 limited range), converted to id 2: bytes B, G, R as the display's 24-bit
  // surfaces and the RGB filters have them.
  PlayerDebugLog log;
  SwsContext* context = nullptr;
  ASSERT_EQ(0, ColorSpaceConvert::initColorSpaceConvert(log, 16, 16, 11, 2, &context));
  std::vector<uint8_t> y(16 * 16, 81), u(8 * 8, 90), v(8 * 8, 240);
  const uint8_t* planes[4] = {y.data(), u.data(), v.data(), nullptr};
  const int strides[4] = {16, 8, 8, 0};
  std::vector<uint8_t> out(16 * 16 * 3 + ColorSpaceConvert::kPadding);
  uint8_t* dst[4] = {out.data(), nullptr, nullptr, nullptr};
  const int dstStrides[4] = {16 * 3, 0, 0, 0};
  sws_scale(context, planes, strides, 0, 16, dst, dstStrides);
  ColorSpaceConvert::freeContext(&context);
  EXPECT_LT(out[0], 10);   // blue
  EXPECT_LT(out[1], 10);   // green
  EXPECT_GT(out[2], 245);  // red
}

}  // namespace
