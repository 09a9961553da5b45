#include "media/mpegts/PESHeader.h"

namespace MPEG_TS {

void PESHeader::writeTimeStamp(uint8_t* out, uint8_t prefix, uint64_t value) {
  out[0] = static_cast<uint8_t>((prefix << 4) | (((value >> 30) & 0x07) << 1) | 1);
  out[1] = static_cast<uint8_t>(value >> 22);
  out[2] = static_cast<uint8_t>((((value >> 15) & 0x7F) << 1) | 1);
  out[3] = static_cast<uint8_t>(value >> 7);
  out[4] = static_cast<uint8_t>(((value & 0x7F) << 1) | 1);
}

uint64_t PESHeader::readTimeStamp(const uint8_t* in) {
  return (static_cast<uint64_t>((in[0] >> 1) & 0x07) << 30) | (static_cast<uint64_t>(in[1]) << 22) |
         (static_cast<uint64_t>(in[2] >> 1) << 15) | (static_cast<uint64_t>(in[3]) << 7) |
         static_cast<uint64_t>(in[4] >> 1);
}

int PESHeader::build(uint8_t* out, int payloadLength) {
  const int packetLength = payloadLength + 13;
  m_packetLength = packetLength > kMaxPacketLength ? 0 : static_cast<uint16_t>(packetLength);
  m_ptsDtsFlags = 3;
  m_headerDataLength = 10;
  out[0] = 0;
  out[1] = 0;
  out[2] = 1;
  out[3] = m_streamId;
  out[4] = static_cast<uint8_t>(m_packetLength >> 8);
  out[5] = static_cast<uint8_t>(m_packetLength);
  out[6] = static_cast<uint8_t>(0x83 | (m_priority << 3));
  out[7] = 0xC0;
  out[8] = m_headerDataLength;
  writeTimeStamp(out + 9, 0x3, m_pts);
  writeTimeStamp(out + 14, 0x1, m_dts);
  return kBuiltLength;
}

const uint8_t* PESHeader::parse(const uint8_t* unit, int unitLength, int& payloadLength) {
  payloadLength = 0;
  // Start code, stream id, packet length and the three bytes of flags and header data length.
  if (unit == nullptr || unitLength < 9) return nullptr;
  if (unit[0] != 0 || unit[1] != 0 || unit[2] != 1) return nullptr;
  const int packetLength = (unit[4] << 8) | unit[5];
  const int headerDataLength = unit[8];
  const int headerEnd = 9 + headerDataLength;
  if (headerEnd > unitLength) return nullptr;
  // A length 0 stands for the whole unit; any other must match the unit exactly and cover the header.
  if (packetLength != 0 && (packetLength + 6 != unitLength || packetLength < 3 + headerDataLength)) return nullptr;
  const uint8_t flags = static_cast<uint8_t>(unit[7] >> 6);
  const int timeBytes = flags == 3 ? 10 : flags == 2 ? 5 : 0;
  if (flags == 1 || timeBytes > headerDataLength) return nullptr;
  m_streamId = unit[3];
  m_packetLength = static_cast<uint16_t>(packetLength);
  m_priority = (unit[6] >> 3) & 1;
  m_ptsDtsFlags = flags;
  m_headerDataLength = static_cast<uint8_t>(headerDataLength);
  m_pts = timeBytes >= 5 ? readTimeStamp(unit + 9) : 0;
  m_dts = timeBytes == 10 ? readTimeStamp(unit + 14) : m_pts;
  payloadLength = unitLength - headerEnd;
  return unit + headerEnd;
}

}  // namespace MPEG_TS
