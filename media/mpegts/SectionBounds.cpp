#include "media/mpegts/SectionBounds.h"

namespace MPEG_TS {

bool SectionBounds::locate(const uint8_t* payload, int payloadLength) {
  if (payload == nullptr || payloadLength < 1) return false;
  int start = 1 + payload[0];
  if (start + 3 > payloadLength) return false;
  section = payload + start;
  sectionLength = ((section[1] & 0x0F) << 8) | section[2];
  totalLength = sectionLength + 3;
  return start + totalLength <= payloadLength;
}

}  // namespace MPEG_TS
