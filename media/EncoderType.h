#pragma once

// Codec and stream-type codes carried by every frame record, and their display names.
namespace EncoderType {

enum ES_STREAM_TYPE {
  MPEG4 = 0,
  H264 = 1,
  MJPEG = 2,
  SVR = 3,
  H264_TYPE4 = 4,  // further H.264 variants of the product line; no transport-stream mapping
  H264_TYPE5 = 5,
  G7231 = 101,
  G711A = 102,
  G711U = 103,
  G722 = 104,
  G726 = 105,
  G729 = 106,
  AMR = 107,
  RAW_PCM = 108,
  UNKNOWN = 255
};

}  // namespace EncoderType

// Longest display name ("RAW_PCM") with its terminator.
constexpr int kEncoderTypeNameMinSize = 8;

// Display name of an encoder-type code ("UNKNOWN" for any code outside the table).
const char* encoderTypeName(int type);

// Writes the display name of type with its terminator into name, which must hold at least
// kEncoderTypeNameMinSize bytes. A null name is ignored.
void getEncoderTypeName(int type, char* name);
