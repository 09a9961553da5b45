#include "codec/G711Companding.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace g711 {
namespace {

constexpr int kSegmentAEnd[8] = {0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};
constexpr int kSegmentUEnd[8] = {0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF};
constexpr int kUlawBias = 0x84;
constexpr int kUlawClip = 8159;

constexpr int segmentOf(int value, const int (&ends)[8]) {
  for (int i = 0; i < 8; ++i) {
    if (value <= ends[i]) return i;
  }
  return 8;
}

constexpr int16_t expandAlaw(uint8_t code) {
  int a = code ^ 0x55;
  int t = (a & 0x0F) << 4;
  int segment = (a & 0x70) >> 4;
  if (segment == 0) {
    t += 8;
  } else {
    t += 0x108;
    t <<= segment - 1;
  }
  return static_cast<int16_t>((a & 0x80) ? t : -t);
}

constexpr int16_t expandUlaw(uint8_t code) {
  int u = ~code & 0xFF;
  int t = ((u & 0x0F) << 3) + kUlawBias;
  t <<= (u & 0x70) >> 4;
  return static_cast<int16_t>((u & 0x80) ? (kUlawBias - t) : (t - kUlawBias));
}

template <int16_t (*Expand)(uint8_t)>
constexpr std::array<int16_t, 256> expansionTable() {
  std::array<int16_t, 256> table{};
  for (int code = 0; code < 256; ++code) table[code] = Expand(static_cast<uint8_t>(code));
  return table;
}

constexpr std::array<int16_t, 256> kAlawTable = expansionTable<expandAlaw>();
constexpr std::array<int16_t, 256> kUlawTable = expansionTable<expandUlaw>();

}  // namespace

uint8_t alawFromLinear(int16_t sample) {
  int v = sample >> 3;
  int mask = 0xD5;
  if (v < 0) {
    mask = 0x55;
    v = -v - 1;
  }
  int segment = segmentOf(v, kSegmentAEnd);
  if (segment >= 8) return static_cast<uint8_t>(0x7F ^ mask);
  int shift = segment < 2 ? 1 : segment;
  return static_cast<uint8_t>(((segment << 4) | ((v >> shift) & 0x0F)) ^ mask);
}

int16_t linearFromAlaw(uint8_t code) { return kAlawTable[code]; }

uint8_t ulawFromLinear(int16_t sample) {
  int v = sample >> 2;
  int mask = 0xFF;
  if (v < 0) {
    mask = 0x7F;
    v = -v;
  }
  if (v > kUlawClip) v = kUlawClip;
  v += kUlawBias >> 2;
  int segment = segmentOf(v, kSegmentUEnd);
  if (segment >= 8) return static_cast<uint8_t>(0x7F ^ mask);
  return static_cast<uint8_t>(((segment << 4) | ((v >> (segment + 1)) & 0x0F)) ^ mask);
}

int16_t linearFromUlaw(uint8_t code) { return kUlawTable[code]; }

bool compressBuffer(SampleCompressor compress, const char* in, int inLen, char* out, int& outLen) {
  if (in == nullptr || out == nullptr || inLen <= 0 || inLen % 2 != 0) return false;
  const int samples = inLen / 2;
  if (outLen < samples) return false;
  for (int i = 0; i < samples; ++i) {
    int16_t sample;
    std::memcpy(&sample, in + 2 * i, sizeof sample);
    out[i] = static_cast<char>(compress(sample));
  }
  outLen = samples;
  return true;
}

bool expandBuffer(SampleExpander expand, const char* in, int inLen, char* out, int& outLen) {
  if (in == nullptr || out == nullptr || inLen <= 0) return false;
  // 2 * inLen can exceed the int range; a capacity that is an int can then never hold it.
  const int64_t needed = 2 * static_cast<int64_t>(inLen);
  if (outLen < needed) return false;
  for (int i = 0; i < inLen; ++i) {
    int16_t sample = expand(static_cast<uint8_t>(in[i]));
    std::memcpy(out + 2 * i, &sample, sizeof sample);
  }
  outLen = static_cast<int>(needed);
  return true;
}

}  // namespace g711
