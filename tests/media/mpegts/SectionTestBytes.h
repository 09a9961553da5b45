#pragma once
// Helpers of the section tests: payloads as the unpackager hands them over (pointer field first).
#include <cstdint>
#include <vector>

#include "media/mpegts/Crc32Mpeg.h"

namespace sectiontest {

// Pointer field 0, then the section bytes.
inline std::vector<uint8_t> payloadOf(const uint8_t* section, int length) {
  std::vector<uint8_t> payload(static_cast<size_t>(length) + 1, 0);
  for (int i = 0; i < length; ++i) payload[static_cast<size_t>(i) + 1] = section[i];
  return payload;
}

// The payload of what a section builder wrote.
template <typename Section>
std::vector<uint8_t> builtPayload(Section& section) {
  int length = 0;
  const uint8_t* bytes = section.build(length);
  return payloadOf(bytes, length);
}

// Writes the CRC of everything before the last four bytes into them.
inline void sealCrc(std::vector<uint8_t>& payload) {
  const size_t end = payload.size() - 4;
  const uint32_t crc = MPEG_TS::Crc32Mpeg::compute(payload.data() + 1, end - 1);
  for (int i = 0; i < 4; ++i) payload[end + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
}

// Sets the 12-bit section length of a payload.
inline void setSectionLength(std::vector<uint8_t>& payload, int length) {
  payload[2] = static_cast<uint8_t>((payload[2] & 0xF0) | ((length >> 8) & 0x0F));
  payload[3] = static_cast<uint8_t>(length);
}

}  // namespace sectiontest
