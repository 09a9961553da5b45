#include "media/mpegts/Crc32Mpeg.h"

#include <array>

namespace MPEG_TS {
namespace {

std::array<uint32_t, 256> makeTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t value = i << 24;
    for (int bit = 0; bit < 8; ++bit) value = (value & 0x80000000u) ? (value << 1) ^ 0x04C11DB7u : value << 1;
    table[i] = value;
  }
  return table;
}

}  // namespace

uint32_t Crc32Mpeg::compute(const uint8_t* data, size_t length) {
  static const std::array<uint32_t, 256> table = makeTable();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < length; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xFF];
  return crc;
}

}  // namespace MPEG_TS
