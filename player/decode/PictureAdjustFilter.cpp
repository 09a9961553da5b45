#include "player/decode/PictureAdjustFilter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The luma table is affine whenever the gamma leaves values alone (the usual case): then
// out = clamp(((contrast * in) >> 8) + offset) for every value, which is worked out 16 samples at a
// time. True, with the two factors, when the table is that line.
bool lumaTableIsLinear(const uint8_t table[256], const YuvAdjustParams& params, int& contrast, int& offset) {
  contrast = static_cast<int>(params.contrast * 255);
  offset = static_cast<int>((params.brightness - 1) * 255) + 128 - contrast / 2;
  // The vector form multiplies by contrast as an unsigned 16-bit number and adds the offset as a
  // signed 16-bit one: keep both well inside.
  if (contrast < 0 || contrast > 65535 || offset < -16384 || offset > 16384) return false;
  for (int j = 0; j < 256; ++j) {
    if (table[j] != clampByte(((contrast * j) >> 8) + offset)) return false;
  }
  return true;
}

void adjustLumaLinearRow(const uint8_t* src, uint8_t* dst, int width, int contrast, int offset) {
  int x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i factor = _mm_set1_epi16(static_cast<short>(static_cast<uint16_t>(contrast)));
  const __m128i shift = _mm_set1_epi16(static_cast<short>(offset));
  for (; x + 16 <= width; x += 16) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
    // (in << 8) * contrast >> 16 is (in * contrast) >> 8 exactly.
    __m128i low = _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, in), factor);
    __m128i high = _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, in), factor);
    low = _mm_adds_epi16(low, shift);
    high = _mm_adds_epi16(high, shift);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_packus_epi16(low, high));
  }
#endif
  for (; x < width; ++x) dst[x] = static_cast<uint8_t>(clampByte(((contrast * src[x]) >> 8) + offset));
}

// Any other table: two samples per look-up in a table of every byte pair (128 KB, it stays in cache),
// rebuilt only when the byte table changes.
void adjustLumaTableRow(const uint8_t table[256], const uint8_t* src, uint8_t* dst, int width) {
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
  int x = 0;
  for (; x + 1 < width; x += 2) {
    uint16_t two;
    std::memcpy(&two, src + x, 2);
    std::memcpy(dst + x, &pairs[two], 2);
  }
  if (x < width) dst[x] = table[src[x]];
}

void adjustLuma(const YuvAdjustParams& params, const YuvPlane& in, const YuvPlane& out) {
  uint8_t table[256];
  buildLumaTable(params, table);
  int contrast = 0;
  int offset = 0;
  const bool linear = lumaTableIsLinear(table, params, contrast, offset);
  const int rows = rowsToWalk(in);
  const int width = std::min(in.width, out.width);
  for (int r = 0; r < rows && r < out.lines; ++r) {
    const uint8_t* src = in.data + static_cast<long long>(r) * in.pitch;
    uint8_t* dst = out.data + static_cast<long long>(r) * out.pitch;
    if (linear) {
      adjustLumaLinearRow(src, dst, width, contrast, offset);
    } else {
      adjustLumaTableRow(table, src, dst, width);
    }
  }
}

// Hue turn and saturation of the chroma samples. Hue alone can push a sample out of range (u = v = 0
// turned by 180 degrees gives 256), so the results are clamped whatever the saturation.
struct ChromaTurn {
  int sn, cs, ox, oy, sat;
  explicit ChromaTurn(const YuvAdjustParams& params) {
    const double hue = static_cast<float>(params.hue * M_PI / 180);
    sat = static_cast<int>(params.saturation * 256);
    sn = static_cast<int>(std::sin(hue) * 256);
    cs = static_cast<int>(std::cos(hue) * 256);
    ox = static_cast<int>((std::cos(hue) + std::sin(hue)) * 32768);
    oy = static_cast<int>((std::cos(hue) - std::sin(hue)) * 32768);
  }
  uint8_t u(int u, int v) const { return static_cast<uint8_t>(clampByte((((u * cs + v * sn - ox) >> 8) * sat >> 8) + 128)); }
  uint8_t v(int u, int v) const { return static_cast<uint8_t>(clampByte((((v * cs - u * sn - oy) >> 8) * sat >> 8) + 128)); }
  // The vector form holds the saturation and the turned values as signed 16-bit numbers.
  bool fitsVectors() const { return sat >= -32768 && sat <= 32767; }
};

#if defined(__SSE2__)
// One output plane of 8 samples: clamp(((pairs . coefficients - offset) >> 8) * sat >> 8) + 128), where
// the pairs are (u, v) as 16-bit numbers and the dot product is exact in 32 bits.
inline __m128i turnEight(__m128i pairsLow, __m128i pairsHigh, __m128i coefficients, __m128i offset, __m128i sat) {
  const __m128i low = _mm_srai_epi32(_mm_sub_epi32(_mm_madd_epi16(pairsLow, coefficients), offset), 8);
  const __m128i high = _mm_srai_epi32(_mm_sub_epi32(_mm_madd_epi16(pairsHigh, coefficients), offset), 8);
  // |turned| stays below 800, so the 16-bit packing is exact and the product fits 32 bits.
  const __m128i turned = _mm_packs_epi32(low, high);
  const __m128i productLow16 = _mm_mullo_epi16(turned, sat);
  const __m128i productHigh16 = _mm_mulhi_epi16(turned, sat);
  const __m128i bias = _mm_set1_epi32(128);
  const __m128i first = _mm_add_epi32(_mm_srai_epi32(_mm_unpacklo_epi16(productLow16, productHigh16), 8), bias);
  const __m128i second = _mm_add_epi32(_mm_srai_epi32(_mm_unpackhi_epi16(productLow16, productHigh16), 8), bias);
  const __m128i words = _mm_packs_epi32(first, second);
  return _mm_packus_epi16(words, words);
}

inline __m128i pairOf(int forU, int forV) {
  return _mm_set1_epi32(static_cast<int>((static_cast<uint32_t>(static_cast<uint16_t>(forV)) << 16) |
                                         static_cast<uint16_t>(forU)));
}
#endif

void adjustChromaRow(const ChromaTurn& turn, const uint8_t* srcU, const uint8_t* srcV, uint8_t* dstU, uint8_t* dstV,
                     int width) {
  int x = 0;
#if defined(__SSE2__)
  if (turn.fitsVectors()) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i forU = pairOf(turn.cs, turn.sn);
    const __m128i forV = pairOf(-turn.sn, turn.cs);
    const __m128i offsetU = _mm_set1_epi32(turn.ox);
    const __m128i offsetV = _mm_set1_epi32(turn.oy);
    const __m128i sat = _mm_set1_epi16(static_cast<short>(turn.sat));
    for (; x + 8 <= width; x += 8) {
      const __m128i u = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(srcU + x)), zero);
      const __m128i v = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(srcV + x)), zero);
      const __m128i pairsLow = _mm_unpacklo_epi16(u, v);
      const __m128i pairsHigh = _mm_unpackhi_epi16(u, v);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(dstU + x), turnEight(pairsLow, pairsHigh, forU, offsetU, sat));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(dstV + x), turnEight(pairsLow, pairsHigh, forV, offsetV, sat));
    }
  }
#endif
  for (; x < width; ++x) {
    const int u = srcU[x];
    const int v = srcV[x];
    dstU[x] = turn.u(u, v);
    dstV[x] = turn.v(u, v);
  }
}

void adjustChroma(const YuvAdjustParams& params, const YuvPlane& inU, const YuvPlane& inV, const YuvPlane& outU,
                  const YuvPlane& outV) {
  const ChromaTurn turn(params);
  const int rows = rowsToWalk(inU);
  const int width = std::min({inU.width, inV.width, outU.width, outV.width});
  const int lines = std::min({inV.lines, outU.lines, outV.lines});
  for (int r = 0; r < rows && r < lines; ++r) {
    adjustChromaRow(turn, inU.data + static_cast<long long>(r) * inU.pitch, inV.data + static_cast<long long>(r) * inV.pitch,
                    outU.data + static_cast<long long>(r) * outU.pitch, outV.data + static_cast<long long>(r) * outV.pitch,
                    width);
  }
}

// Applies change to the blue, green and red byte of every pixel; a fourth byte is left alone.
template <typename Change>
void changeColourBytes(uint8_t* data, int width, int height, int step, Change change) {
  const long long pixels = static_cast<long long>(width) * height;
  for (long long i = 0; i < pixels; ++i) {
    uint8_t* px = data + i * step;
    for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>(change(px[c]));
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
  adjustLuma(params, in->plane[0], out->plane[0]);
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
  changeColourBytes(data, width, height, step, [factor](int c) { return std::min(255, factor * c / 128); });
}

void PictureAdjustFilter::adjustRGBContrast(int bitsPerPixel, int height, int value, int width, uint8_t* data) {
  const int step = bytesPerPixel(bitsPerPixel);
  if (step == 0 || value == 100 || data == nullptr || width <= 0 || height <= 0) return;
  const int factor = value * 128 / 100;
  changeColourBytes(data, width, height, step, [factor](int c) { return clampByte(factor * (c - 128) / 128 + 128); });
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
