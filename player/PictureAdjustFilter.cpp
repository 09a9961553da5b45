#include "player/PictureAdjustFilter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

inline int clampByte(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Number of rows of a plane that the filter walks: a row is done while its start lies before the plane
// start + lines x pitch - 8, so a plane with a pitch of 8 bytes or less loses its last row.
int rowsToWalk(const YuvPlane& plane) {
  const long long end = static_cast<long long>(plane.lines) * plane.pitch - 8;
  int rows = 0;
  while (rows < plane.lines && static_cast<long long>(rows) * plane.pitch < end) ++rows;
  return rows;
}

void buildLumaTable(const YuvAdjustParams& params, uint8_t table[256]) {
  const int cont = static_cast<int>(params.contrast * 255);
  const int lum = static_cast<int>((params.brightness - 1) * 255);
  const double exponent = 1.0 / params.gamma;
  int gammaTable[256];
  for (int i = 0; i < 256; ++i) {
    // The small bias keeps an exact power (gamma 1.0) from truncating to the value below it.
    gammaTable[i] = clampByte(static_cast<int>(std::pow(i / 255.0, exponent) * 255.0 + 1e-9));
  }
  for (int j = 0; j < 256; ++j) {
    table[j] = static_cast<uint8_t>(gammaTable[clampByte(cont * j / 256 + lum + 128 - cont / 2)]);
  }
}

void adjustLuma(const uint8_t table[256], const YuvPlane& in, const YuvPlane& out) {
  // Two samples per look-up: a table of every byte pair (128 KB, it stays in cache) halves the
  // look-ups of the largest plane. It is rebuilt only when the byte table changes.
  static thread_local uint8_t pairSource[256] = {};
  static thread_local std::vector<uint16_t> pairs;
  if (pairs.empty() || std::memcmp(pairSource, table, 256) != 0) {
    pairs.resize(65536);
    // Index and entry are two bytes as they lie in memory, so the byte order of the host does not matter.
    for (int first = 0; first < 256; ++first) {
      for (int second = 0; second < 256; ++second) {
        const uint8_t key[2] = {static_cast<uint8_t>(first), static_cast<uint8_t>(second)};
        const uint8_t value[2] = {table[first], table[second]};
        uint16_t index;
        std::memcpy(&index, key, 2);
        std::memcpy(&pairs[index], value, 2);
      }
    }
    std::memcpy(pairSource, table, 256);
  }
  const uint16_t* pairTable = pairs.data();
  const int rows = rowsToWalk(in);
  const int width = std::min(in.width, out.width);
  for (int r = 0; r < rows && r < out.lines; ++r) {
    const uint8_t* src = in.data + static_cast<long long>(r) * in.pitch;
    uint8_t* dst = out.data + static_cast<long long>(r) * out.pitch;
    int x = 0;
    for (; x + 1 < width; x += 2) {
      uint16_t two;
      std::memcpy(&two, src + x, 2);
      const uint16_t adjusted = pairTable[two];
      std::memcpy(dst + x, &adjusted, 2);
    }
    if (x < width) dst[x] = table[src[x]];
  }
}

// Every (u, v) pair worked out once, u' in the low byte and v' in the high one.
void fillChromaTable(uint16_t* table, int sn, int cs, int ox, int oy, int sat) {
  for (int u = 0; u < 256; ++u) {
    for (int v = 0; v < 256; ++v) {
      const int outUValue = clampByte((((u * cs + v * sn - ox) >> 8) * sat >> 8) + 128);
      const int outVValue = clampByte((((v * cs - u * sn - oy) >> 8) * sat >> 8) + 128);
      table[(u << 8) | v] = static_cast<uint16_t>(outUValue | (outVValue << 8));
    }
  }
}

void adjustChroma(const YuvAdjustParams& params, const YuvPlane& inU, const YuvPlane& inV, const YuvPlane& outU,
                  const YuvPlane& outV) {
  const double hue = static_cast<float>(params.hue * M_PI / 180);
  const int sat = static_cast<int>(params.saturation * 256);
  const int sn = static_cast<int>(std::sin(hue) * 256);
  const int cs = static_cast<int>(std::cos(hue) * 256);
  const int ox = static_cast<int>((std::cos(hue) + std::sin(hue)) * 32768);
  const int oy = static_cast<int>((std::cos(hue) - std::sin(hue)) * 32768);
  // A picture has far more chroma samples than the 65,536 (u, v) pairs. Hue alone can push a sample out of range (u = v = 0
  // turned by 180 degrees gives 256), so the results are clamped whatever the saturation.
  static thread_local std::vector<uint16_t> table(65536);
  // The table depends on the hue and the saturation only, which change far less often than pictures.
  static thread_local bool tableMade = false;
  static thread_local int tableHue = 0;
  static thread_local int tableSaturation = 0;
  if (!tableMade || tableHue != params.hue || tableSaturation != sat) {
    fillChromaTable(table.data(), sn, cs, ox, oy, sat);
    tableMade = true;
    tableHue = params.hue;
    tableSaturation = sat;
  }
  const uint16_t* pairs = table.data();
  const int rows = rowsToWalk(inU);
  const int width = std::min({inU.width, inV.width, outU.width, outV.width});
  const int lines = std::min({inV.lines, outU.lines, outV.lines});
  for (int r = 0; r < rows && r < lines; ++r) {
    const uint8_t* srcU = inU.data + static_cast<long long>(r) * inU.pitch;
    const uint8_t* srcV = inV.data + static_cast<long long>(r) * inV.pitch;
    uint8_t* dstU = outU.data + static_cast<long long>(r) * outU.pitch;
    uint8_t* dstV = outV.data + static_cast<long long>(r) * outV.pitch;
    for (int x = 0; x < width; ++x) {
      const uint32_t pair = pairs[(srcU[x] << 8) | srcV[x]];
      dstU[x] = static_cast<uint8_t>(pair);
      dstV[x] = static_cast<uint8_t>(pair >> 8);
    }
  }
}

// HSL helpers of the hue and saturation filter.
double hueToChannel(double p, double q, double t) {
  if (t < 0) t += 1;
  if (t > 1) t -= 1;
  if (6 * t < 1) return p + (q - p) * 6 * t;
  if (2 * t < 1) return q;
  if (3 * t < 2) return p + (q - p) * (2.0 / 3.0 - t) * 6;
  return p;
}

}  // namespace

int PictureAdjustFilter::adjustYUVPicture(const YuvAdjustParams& params, const YuvPlanes* in, YuvPlanes* out) {
  if (in == nullptr || out == nullptr) return 0;
  uint8_t table[256];
  buildLumaTable(params, table);
  adjustLuma(table, in->plane[0], out->plane[0]);
  adjustChroma(params, in->plane[1], in->plane[2], out->plane[1], out->plane[2]);
  return 0;
}

int PictureAdjustFilter::bytesPerPixel(int bitsPerPixel) {
  // Only packed 24- and 32-bit pictures are adjusted; 16-bit (5-6-5, 5-5-5) and palette pictures are not.
  if (bitsPerPixel == 24) return 3;
  if (bitsPerPixel == 32) return 4;
  return 0;
}

void PictureAdjustFilter::adjustRGBBrightness(int value, int height, int bitsPerPixel, int width, uint8_t* data) {
  const int step = bytesPerPixel(bitsPerPixel);
  if (step == 0 || value == 100 || data == nullptr || width <= 0 || height <= 0) return;
  const int factor = value * 128 / 100;
  const long long pixels = static_cast<long long>(width) * height;
  for (long long i = 0; i < pixels; ++i) {
    uint8_t* px = data + i * step;
    for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>(std::min(255, factor * px[c] / 128));
  }
}

void PictureAdjustFilter::adjustRGBContrast(int bitsPerPixel, int height, int value, int width, uint8_t* data) {
  const int step = bytesPerPixel(bitsPerPixel);
  if (step == 0 || value == 100 || data == nullptr || width <= 0 || height <= 0) return;
  const int factor = value * 128 / 100;
  const long long pixels = static_cast<long long>(width) * height;
  for (long long i = 0; i < pixels; ++i) {
    uint8_t* px = data + i * step;
    for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>(clampByte(factor * (px[c] - 128) / 128 + 128));
  }
}

void PictureAdjustFilter::adjustRGBHueSaturation(int bitsPerPixel, int height, int width, uint8_t* data,
                                                 int hueValue, int saturationValue) {
  const int step = bytesPerPixel(bitsPerPixel);
  if (step == 0 || (hueValue == 100 && saturationValue == 100) || data == nullptr || width <= 0 || height <= 0) {
    return;
  }
  const int hueFactor = hueValue * 128 / 100;
  const int satFactor = saturationValue * 128 / 100;
  const long long pixels = static_cast<long long>(width) * height;
  for (long long i = 0; i < pixels; ++i) {
    uint8_t* px = data + i * step;
    const double r = px[2] / 255.0, g = px[1] / 255.0, b = px[0] / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double l = (mx + mn) / 2;
    double h = 0, s = 0;
    if (mx != mn) {
      const double d = mx - mn;
      s = l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
      if (r == mx) {
        h = (g - b) / d;
      } else if (g != mx) {
        h = (r - g) / d + 4;
      } else {
        h = (b - r) / d + 2;
      }
      h /= 6;
      if (h < 0) h += 1;
    }
    if (hueFactor != 128) h = hueFactor * h / 128;
    if (satFactor != 128) s = satFactor * s / 128;
    double outR = l, outG = l, outB = l;
    if (s != 0) {
      const double q = l <= 0.5 ? l * (1 + s) : l + s - l * s;
      const double p = 2 * l - q;
      outR = hueToChannel(p, q, h + 1.0 / 3.0);
      outG = hueToChannel(p, q, h);
      outB = hueToChannel(p, q, h - 1.0 / 3.0);
    }
    px[2] = static_cast<uint8_t>(clampByte(static_cast<int>(outR * 255)));
    px[1] = static_cast<uint8_t>(clampByte(static_cast<int>(outG * 255)));
    px[0] = static_cast<uint8_t>(clampByte(static_cast<int>(outB * 255)));
  }
}
