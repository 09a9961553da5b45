#pragma once
#include <cstdint>

namespace MPEG_TS {

// The fixed table between encoder types, PES stream id bases and transport-stream stream types.
class StreamType_Map {
 public:
  // PES stream id base of the encoder type (0xE0 video, 0xC0 audio), 0 for a type not in the table.
  static uint8_t getPESStreamID(int encoderType);
  // Stream type of the encoder type, 0 for a type not in the table.
  static uint8_t getStreamType(int encoderType);
  // Encoder type of the stream type, 255 for a stream type not in the table.
  static int getESStreamType(uint8_t streamType);
};

}  // namespace MPEG_TS
