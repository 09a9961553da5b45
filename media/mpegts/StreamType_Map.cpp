#include "media/mpegts/StreamType_Map.h"

#include "platform/DebugOutput.h"

namespace MPEG_TS {
namespace {

struct Row {
  int encoderType;
  uint8_t pesStreamId;
  uint8_t streamType;
};

// Searched in this order.
constexpr Row kRows[] = {
    {0, 0xE0, 0x10},   {2, 0xE0, 0xE0},   {1, 0xE0, 0x1B},   {3, 0xE0, 0xE1},
    {101, 0xC0, 0xF0}, {102, 0xC0, 0xF1}, {103, 0xC0, 0xF2}, {104, 0xC0, 0xF3},
    {105, 0xC0, 0xF4}, {106, 0xC0, 0xF5}, {107, 0xC0, 0xF6}, {108, 0xC0, 0xF7},
};

const Row* byEncoderType(int encoderType) {
  for (const Row& row : kRows)
    if (row.encoderType == encoderType) return &row;
  return nullptr;
}

}  // namespace

uint8_t StreamType_Map::getPESStreamID(int encoderType) {
  if (const Row* row = byEncoderType(encoderType)) return row->pesStreamId;
  platform::debugOutputFormat("StreamType_Map::getPESStreamID(%02x) \n", encoderType);
  return 0;
}

uint8_t StreamType_Map::getStreamType(int encoderType) {
  if (const Row* row = byEncoderType(encoderType)) return row->streamType;
  platform::debugOutputFormat("StreamType_Map::getStreamType(%02x) \n", encoderType);
  return 0;
}

int StreamType_Map::getESStreamType(uint8_t streamType) {
  for (const Row& row : kRows)
    if (row.streamType == streamType) return row.encoderType;
  platform::debugOutputFormat("StreamType_Map::getESStreamType(%02x) \n", streamType);
  return 255;
}

}  // namespace MPEG_TS
