#include "media/mpegts/FrameInfoRecord.h"

#include <cstring>

namespace MPEG_TS {
namespace {

void putLittle(uint8_t* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t getLittle(const uint8_t* in, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | in[i];
  return value;
}

}  // namespace

void buildFrameInfo(const FrameInfoRecord& record, uint8_t out[FrameInfoRecord::kSize]) {
  std::memset(out, 0, FrameInfoRecord::kSize);
  putLittle(out + 2, record.sequenceId, 4);
  out[6] = record.imageFormatId;
  putLittle(out + 7, record.height, 2);
  putLittle(out + 9, record.width, 2);
  out[11] = record.frameRate;
  putLittle(out + 12, record.bitRate, 2);
  putLittle(out + 18, record.timeStamp, 8);
}

void parseFrameInfo(const uint8_t in[FrameInfoRecord::kSize], FrameInfoRecord& record) {
  record = FrameInfoRecord();
  record.sequenceId = static_cast<uint32_t>(getLittle(in + 2, 4));
  record.imageFormatId = in[6];
  record.height = static_cast<uint16_t>(getLittle(in + 7, 2));
  record.width = static_cast<uint16_t>(getLittle(in + 9, 2));
  record.frameRate = in[11];
  record.bitRate = static_cast<uint16_t>(getLittle(in + 12, 2));
  record.timeStamp = getLittle(in + 18, 8);
}

}  // namespace MPEG_TS
