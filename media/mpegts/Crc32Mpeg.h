#pragma once
#include <cstddef>
#include <cstdint>

namespace MPEG_TS {

// CRC-32 of PSI sections: polynomial 0x04C11DB7, initial value 0xFFFFFFFF, most significant bit
// first, no reflection, no final XOR. Running it over a section including its CRC gives 0.
class Crc32Mpeg {
 public:
  static uint32_t compute(const uint8_t* data, size_t length);
};

}  // namespace MPEG_TS
