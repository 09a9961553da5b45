#include "media/mpegts/StreamType_Map.h"

#include <gtest/gtest.h>

#include "media/EncoderType.h"
#include "platform/DebugOutput.h"

using MPEG_TS::StreamType_Map;

TEST(StreamType_Map, EveryRowMapsBothWays) {
  struct Row {
    int encoderType;
    uint8_t pesStreamId;
    uint8_t streamType;
  };
  const Row rows[] = {
      {EncoderType::MPEG4, 0xE0, 0x10},   {EncoderType::MJPEG, 0xE0, 0xE0},   {EncoderType::H264, 0xE0, 0x1B},
      {EncoderType::SVR, 0xE0, 0xE1},     {EncoderType::G7231, 0xC0, 0xF0},   {EncoderType::G711A, 0xC0, 0xF1},
      {EncoderType::G711U, 0xC0, 0xF2},   {EncoderType::G722, 0xC0, 0xF3},    {EncoderType::G726, 0xC0, 0xF4},
      {EncoderType::G729, 0xC0, 0xF5},    {EncoderType::AMR, 0xC0, 0xF6},     {EncoderType::RAW_PCM, 0xC0, 0xF7},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.pesStreamId, StreamType_Map::getPESStreamID(row.encoderType)) << row.encoderType;
    EXPECT_EQ(row.streamType, StreamType_Map::getStreamType(row.encoderType)) << row.encoderType;
    EXPECT_EQ(row.encoderType, StreamType_Map::getESStreamType(row.streamType)) << row.encoderType;
  }
}

TEST(StreamType_Map, MissesAnswerTheirDefaultAndSayWhatWasMissed) {
  platform::DebugCapture capture;
  EXPECT_EQ(255, StreamType_Map::getESStreamType(0x02));
  EXPECT_EQ(0, StreamType_Map::getPESStreamID(EncoderType::H264_TYPE4));
  EXPECT_EQ(0, StreamType_Map::getStreamType(EncoderType::H264_TYPE5));
  EXPECT_TRUE(capture.contains("StreamType_Map::getESStreamType(02) \n"));
  EXPECT_TRUE(capture.contains("StreamType_Map::getPESStreamID(04) \n"));
  EXPECT_TRUE(capture.contains("StreamType_Map::getStreamType(05) \n"));
}
