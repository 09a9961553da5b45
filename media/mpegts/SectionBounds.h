#pragma once
#include <cstdint>

namespace MPEG_TS {

// Where a section lies in the assembled payload of the packet that starts it: the payload opens with
// the pointer field, the section header follows after the bytes it skips. The 12-bit section length
// counts the bytes after the three header bytes; the whole section must lie inside the payload.
struct SectionBounds {
  const uint8_t* section = nullptr;  // the table id byte
  int sectionLength = 0;             // the 12-bit length field
  int totalLength = 0;               // sectionLength + 3

  // False when the payload is too short for the pointer field, the header or the announced length.
  bool locate(const uint8_t* payload, int payloadLength);
};

}  // namespace MPEG_TS
