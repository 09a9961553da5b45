#pragma once
#include <cstdint>

namespace MPEG_TS {

// The attributes of a video key frame, carried in its first packet as transport private data.
// On the wire: 28 bytes, every field little-endian (see buildFrameInfo). The timestamp is in
// microseconds, the unit of every frame time inside the player.
struct FrameInfoRecord {
  static constexpr int kSize = 28;

  uint16_t reserved = 0;
  uint32_t sequenceId = 0;
  uint8_t imageFormatId = 0;
  uint16_t height = 0;
  uint16_t width = 0;
  uint8_t frameRate = 0;
  uint16_t bitRate = 0;
  uint8_t reserved2[4] = {0, 0, 0, 0};
  uint64_t timeStamp = 0;
};

// Writes the record as its 28 bytes: 0-1 reserved (0), 2 sequence id (4), 6 image format id (1),
// 7 height (2), 9 width (2), 11 frame rate (1), 12 bit rate (2), 14 four reserved bytes (0),
// 18 timestamp (8), 26-27 reserved (0).
void buildFrameInfo(const FrameInfoRecord& record, uint8_t out[FrameInfoRecord::kSize]);
// Reads the 28 bytes into a zeroed record (the reserved bytes are not read).
void parseFrameInfo(const uint8_t in[FrameInfoRecord::kSize], FrameInfoRecord& record);

}  // namespace MPEG_TS
