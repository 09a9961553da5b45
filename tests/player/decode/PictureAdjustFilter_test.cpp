#include "player/decode/PictureAdjustFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A small 4:2:0 picture with its own buffers; every plane has room beyond its visible width.
struct TestPicture {
  int width, height, pitchY, pitchC;
  std::vector<uint8_t> y, u, v;
  TestPicture(int w, int h, int padding = 4)
      : width(w), height(h), pitchY(w + padding), pitchC(w / 2 + padding),
        y(static_cast<size_t>(pitchY) * h, 0), u(static_cast<size_t>(pitchC) * (h / 2), 0),
        v(static_cast<size_t>(pitchC) * (h / 2), 0) {}
  YuvPlanes planes() {
    YuvPlanes p;
    p.plane[0] = {y.data(), pitchY, height, width};
    p.plane[1] = {u.data(), pitchC, height / 2, width / 2};
    p.plane[2] = {v.data(), pitchC, height / 2, width / 2};
    return p;
  }
};

YuvAdjustParams params(double contrast, double brightness, int hue, double saturation) {
  YuvAdjustParams p;
  p.contrast = contrast;
  p.brightness = brightness;
  p.hue = hue;
  p.saturation = saturation;
  return p;
}

// Runs the YUV filter on one luma value (everywhere in a 16 x 16 picture) and returns the result.
int lumaThrough(const YuvAdjustParams& p, int luma) {
  TestPicture in(16, 16), out(16, 16);
  std::fill(in.y.begin(), in.y.end(), static_cast<uint8_t>(luma));
  YuvPlanes a = in.planes(), b = out.planes();
  EXPECT_EQ(0, PictureAdjustFilter::adjustYUVPicture(p, &a, &b));
  return out.y[static_cast<size_t>(out.pitchY) * 3 + 5];
}

std::pair<int, int> chromaThrough(const YuvAdjustParams& p, int u, int v) {
  TestPicture in(16, 16), out(16, 16);
  std::fill(in.u.begin(), in.u.end(), static_cast<uint8_t>(u));
  std::fill(in.v.begin(), in.v.end(), static_cast<uint8_t>(v));
  YuvPlanes a = in.planes(), b = out.planes();
  PictureAdjustFilter::adjustYUVPicture(p, &a, &b);
  const size_t at = static_cast<size_t>(out.pitchC) * 2 + 3;
  return {out.u[at], out.v[at]};
}

TEST(PictureAdjustFilterYuv, NeutralKeepsEveryLumaValueButZero) {
  const YuvAdjustParams neutral;
  EXPECT_TRUE(neutral.isNeutral());
  for (int y = 1; y < 256; ++y) EXPECT_EQ(y, lumaThrough(neutral, y)) << y;
  EXPECT_EQ(1, lumaThrough(neutral, 0));
  for (int c : {0, 1, 16, 127, 128, 129, 240, 255}) {
    EXPECT_EQ(std::make_pair(c, 255 - c), chromaThrough(neutral, c, 255 - c)) << c;
  }
}

TEST(PictureAdjustFilterYuv, LumaTableAgainstHandWorkedValues) {
  struct Case {
    double contrast, brightness;
    int in, out;
  } cases[] = {
      // brightness 1.2: lum = trunc(0.2 x 255) = 50 (0.19999... in double)
      {1.0, 1.2, 1, 51},   {1.0, 1.2, 0, 51},   {1.0, 1.2, 100, 150}, {1.0, 1.2, 205, 255}, {1.0, 1.2, 250, 255},
      // brightness 0.5: lum = -127; 255 x 200 / 256 = 199, + 1 - 127 = 73
      {1.0, 0.5, 200, 73}, {1.0, 0.5, 100, 0},
      // contrast 2.0: cont 510; 510 x j / 256 + 128 - 255
      {2.0, 1.0, 128, 128}, {2.0, 1.0, 200, 255}, {2.0, 1.0, 60, 0}, {2.0, 1.0, 100, 72},
      // contrast 0: every value becomes 128
      {0.0, 1.0, 0, 128},  {0.0, 1.0, 255, 128},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.out, lumaThrough(params(c.contrast, c.brightness, 0, 1.0), c.in))
        << "contrast " << c.contrast << " brightness " << c.brightness << " y " << c.in;
  }
}

TEST(PictureAdjustFilterYuv, ChromaTableAgainstHandWorkedValues) {
  struct Case {
    int hue;
    double saturation;
    int u, v, outU, outV;
  } cases[] = {
      {0, 0.0, 30, 220, 128, 128},    // no saturation: grey
      {180, 1.0, 100, 200, 156, 56},  // cs -255, sn 0, ox -32768, oy -32767
      {180, 1.0, 16, 240, 240, 16},
      {180, 1.0, 0, 0, 255, 255},     // u' = 256 is clamped, not wrapped to 0
      {0, 2.0, 200, 50, 255, 0},      // (200 - 128) x 2 + 128 = 272, (50 - 128) x 2 + 128 = -28
      {0, 2.0, 140, 120, 152, 112},
      {90, 1.0, 128, 200, 199, 128},  // 90 degrees in single precision: sn 255, cs 0, ox 32767, oy -32768
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::make_pair(c.outU, c.outV), chromaThrough(params(1.0, 1.0, c.hue, c.saturation), c.u, c.v))
        << "hue " << c.hue << " saturation " << c.saturation << " (" << c.u << ", " << c.v << ")";
  }
}

// The filter works many samples at a time where it can; every sample must still come out as the
// per-sample rule gives it. A picture whose chroma rows hold every (u, v) pair (and rows whose width
// is not a multiple of the step), under a table of settings.
TEST(PictureAdjustFilterYuv, EverySampleFollowsThePerSampleRule) {
  auto clamp = [](int x) { return x < 0 ? 0 : (x > 255 ? 255 : x); };
  TestPicture in(2 * (256 + 5), 512), out(2 * (256 + 5), 512);
  for (int r = 0; r < in.height; ++r) {
    for (int x = 0; x < in.width; ++x) in.y[static_cast<size_t>(r) * in.pitchY + x] = static_cast<uint8_t>((x + r) % 256);
  }
  for (int r = 0; r < in.height / 2; ++r) {
    for (int x = 0; x < in.width / 2; ++x) {
      in.u[static_cast<size_t>(r) * in.pitchC + x] = static_cast<uint8_t>(x % 256);
      in.v[static_cast<size_t>(r) * in.pitchC + x] = static_cast<uint8_t>(r);
    }
  }
  const double settings[][5] = {
      // contrast, brightness, hue, saturation, gamma
      {1.0, 1.0, 0, 1.0, 1.0},   {1.2, 1.1, 10, 1.3, 1.0},  {2.0, 0.5, -90, 2.0, 1.0}, {0.0, 1.5, 180, 0.0, 1.0},
      {0.5, 1.0, 45, 0.5, 1.0},  {1.0, 1.0, -180, 1.0, 1.1}, {1.3, 0.8, 135, 1.7, 0.8}, {1.0, 1.2, -1, 1.0, 1.0},
  };
  for (const auto& setting : settings) {
    YuvAdjustParams p = params(setting[0], setting[1], static_cast<int>(setting[2]), setting[3]);
    p.gamma = setting[4];
    YuvPlanes a = in.planes(), b = out.planes();
    PictureAdjustFilter::adjustYUVPicture(p, &a, &b);

    const int cont = static_cast<int>(p.contrast * 255);
    const int lum = static_cast<int>((p.brightness - 1) * 255);
    int luma[256];
    for (int j = 0; j < 256; ++j) {
      const int line = clamp(cont * j / 256 + lum + 128 - cont / 2);
      luma[j] = clamp(static_cast<int>(std::pow(line / 255.0, 1.0 / p.gamma) * 255.0 + 1e-9));
    }
    const double hue = static_cast<float>(p.hue * M_PI / 180);
    const int sat = static_cast<int>(p.saturation * 256);
    const int sn = static_cast<int>(std::sin(hue) * 256), cs = static_cast<int>(std::cos(hue) * 256);
    const int ox = static_cast<int>((std::cos(hue) + std::sin(hue)) * 32768);
    const int oy = static_cast<int>((std::cos(hue) - std::sin(hue)) * 32768);

    int wrong = 0;
    for (int r = 0; r < in.height && wrong < 5; ++r) {
      for (int x = 0; x < in.width && wrong < 5; ++x) {
        const size_t at = static_cast<size_t>(r) * in.pitchY + x;
        if (out.y[at] != luma[in.y[at]]) {
          ++wrong;
          ADD_FAILURE() << "luma " << int(in.y[at]) << " gave " << int(out.y[at]) << " not " << luma[in.y[at]]
                        << " (setting " << (&setting - settings) << ")";
        }
      }
    }
    for (int r = 0; r < in.height / 2 && wrong < 5; ++r) {
      for (int x = 0; x < in.width / 2 && wrong < 5; ++x) {
        const size_t at = static_cast<size_t>(r) * in.pitchC + x;
        const int u = in.u[at], v = in.v[at];
        const int wantU = clamp((((u * cs + v * sn - ox) >> 8) * sat >> 8) + 128);
        const int wantV = clamp((((v * cs - u * sn - oy) >> 8) * sat >> 8) + 128);
        if (out.u[at] != wantU || out.v[at] != wantV) {
          ++wrong;
          ADD_FAILURE() << "(u, v) (" << u << ", " << v << ") gave (" << int(out.u[at]) << ", " << int(out.v[at])
                        << ") not (" << wantU << ", " << wantV << ") (setting " << (&setting - settings) << ")";
        }
      }
    }
  }
}

TEST(PictureAdjustFilterYuv, WritesOnlyVisibleBytesAndStopsShortOnNarrowPitch) {
  // Padding bytes beyond the visible width stay as they were.
  TestPicture in(16, 8), out(16, 8);
  std::fill(in.y.begin(), in.y.end(), 10);
  std::fill(out.y.begin(), out.y.end(), 0xEE);
  YuvPlanes a = in.planes(), b = out.planes();
  PictureAdjustFilter::adjustYUVPicture(params(1.0, 1.2, 0, 1.0), &a, &b);
  for (int r = 0; r < 8; ++r) {
    for (int x = 0; x < out.pitchY; ++x) {
      EXPECT_EQ(x < 16 ? 60 : 0xEE, out.y[static_cast<size_t>(r) * out.pitchY + x]) << r << "," << x;
    }
  }
  // With a pitch of 8 bytes the last row is never reached.
  TestPicture narrowIn(8, 4, 0), narrowOut(8, 4, 0);
  std::fill(narrowIn.y.begin(), narrowIn.y.end(), 10);
  a = narrowIn.planes();
  b = narrowOut.planes();
  PictureAdjustFilter::adjustYUVPicture(params(1.0, 1.2, 0, 1.0), &a, &b);
  EXPECT_EQ(60, narrowOut.y[2 * 8]);
  EXPECT_EQ(0, narrowOut.y[3 * 8]);
  // No input picture: nothing happens.
  EXPECT_EQ(0, PictureAdjustFilter::adjustYUVPicture(params(1.0, 1.2, 0, 1.0), nullptr, &b));
}

// Packed pixels: blue, green, red (and a fourth byte for 32-bit pictures).
std::vector<uint8_t> pixels(std::initializer_list<std::initializer_list<int>> list, int bytes) {
  std::vector<uint8_t> data;
  for (const auto& px : list) {
    for (int c : px) data.push_back(static_cast<uint8_t>(c));
    for (int k = static_cast<int>(px.size()); k < bytes; ++k) data.push_back(0x5A);
  }
  return data;
}

enum class RgbFilter { Brightness, Contrast, HueSaturation };

void applyRgb(RgbFilter filter, int bits, int value, int value2, std::vector<uint8_t>& data, int width) {
  switch (filter) {
    case RgbFilter::Brightness:
      PictureAdjustFilter::adjustRGBBrightness(value, 1, bits, width, data.data());
      break;
    case RgbFilter::Contrast:
      PictureAdjustFilter::adjustRGBContrast(bits, 1, value, width, data.data());
      break;
    case RgbFilter::HueSaturation:
      PictureAdjustFilter::adjustRGBHueSaturation(bits, 1, width, data.data(), value, value2);
      break;
  }
}

TEST(PictureAdjustFilterRgb, TableOfSettings) {
  struct Case {
    const char* name;
    RgbFilter filter;
    int value, value2;
    std::vector<int> in, out;  // one pixel, blue green red
  } cases[] = {
      {"brightness neutral", RgbFilter::Brightness, 100, 0, {10, 128, 250}, {10, 128, 250}},
      {"brightness 200 doubles, capped", RgbFilter::Brightness, 200, 0, {10, 128, 250}, {20, 255, 255}},
      {"brightness 0 blacks out", RgbFilter::Brightness, 0, 0, {10, 128, 250}, {0, 0, 0}},
      {"brightness 80 (f 102)", RgbFilter::Brightness, 80, 0, {100, 200, 255}, {79, 159, 203}},
      {"contrast 0 greys", RgbFilter::Contrast, 0, 0, {0, 60, 255}, {128, 128, 128}},
      {"contrast 200 stretches", RgbFilter::Contrast, 200, 0, {200, 60, 128}, {255, 0, 128}},
      {"contrast 120 (f 153)", RgbFilter::Contrast, 120, 0, {100, 200, 30}, {95, 214, 11}},
      {"hue and saturation neutral", RgbFilter::HueSaturation, 100, 100, {12, 34, 56}, {12, 34, 56}},
      {"saturation 0 gives lightness", RgbFilter::HueSaturation, 100, 0, {255, 0, 0}, {127, 127, 127}},
      {"hue 50 halves blue's hue to green", RgbFilter::HueSaturation, 50, 100, {255, 0, 0}, {0, 255, 0}},
      {"hue leaves red (hue 0) alone", RgbFilter::HueSaturation, 200, 100, {0, 0, 255}, {0, 0, 255}},
  };
  for (const Case& c : cases) {
    for (int bits : {24, 32}) {
      const int bytes = bits / 8;
      auto make = [&](const std::vector<int>& px) {
        std::vector<uint8_t> d(px.begin(), px.end());
        if (bytes == 4) d.push_back(0x5A);
        return d;
      };
      std::vector<uint8_t> data = make(c.in);
      applyRgb(c.filter, bits, c.value, c.value2, data, 1);
      EXPECT_EQ(make(c.out), data) << c.name << " at " << bits << " bits";
    }
  }
}

TEST(PictureAdjustFilterRgb, SixteenAndEightBitPicturesAreNeverTouched) {
  for (int bits : {16, 8, 1}) {
    for (RgbFilter filter : {RgbFilter::Brightness, RgbFilter::Contrast, RgbFilter::HueSaturation}) {
      std::vector<uint8_t> data = pixels({{1, 2, 3}, {200, 100, 50}}, 3);
      const std::vector<uint8_t> before = data;
      applyRgb(filter, bits, 0, 0, data, 2);
      EXPECT_EQ(before, data) << bits;
    }
  }
}

TEST(PictureAdjustFilterRgb, CoversEveryPixelOfEveryRow) {
  const int width = 3, height = 2;
  std::vector<uint8_t> data(static_cast<size_t>(width) * height * 4, 100);
  PictureAdjustFilter::adjustRGBBrightness(200, height, 32, width, data.data());
  for (size_t i = 0; i < data.size(); ++i) EXPECT_EQ(i % 4 == 3 ? 100 : 200, data[i]) << i;
}

}  // namespace
