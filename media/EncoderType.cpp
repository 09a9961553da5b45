#include "media/EncoderType.h"

#include <cstring>

namespace {

struct EncoderTypeName {
  int type;
  const char* name;
};

const EncoderTypeName kEncoderTypeNames[] = {
    {EncoderType::MPEG4, "Mpeg4"},       {EncoderType::H264, "H.264"},      {EncoderType::MJPEG, "MJpeg"},
    {EncoderType::SVR, "Svr"},           {EncoderType::H264_TYPE4, "H.264"}, {EncoderType::H264_TYPE5, "H.264"},
    {EncoderType::G7231, "G7231"},       {EncoderType::G711A, "G711A"},     {EncoderType::G711U, "G711U"},
    {EncoderType::G722, "G722"},         {EncoderType::G726, "G726"},       {EncoderType::G729, "G729"},
    {EncoderType::AMR, "AMR"},           {EncoderType::RAW_PCM, "RAW_PCM"},
};

}  // namespace

const char* encoderTypeName(int type) {
  for (const EncoderTypeName& entry : kEncoderTypeNames) {
    if (entry.type == type) return entry.name;
  }
  return "UNKNOWN";
}

void getEncoderTypeName(int type, char* name) {
  if (name == nullptr) return;
  const char* text = encoderTypeName(type);
  std::memcpy(name, text, std::strlen(text) + 1);
}
