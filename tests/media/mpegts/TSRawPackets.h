#pragma once
// Hand-made transport packets for the assembler and unpackager tests.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace tstest {

struct RawPacket {
  uint16_t pid = 0x1011;
  bool unitStart = false;
  int counter = 0;
  std::vector<uint8_t> payload;
  int adaptationLength = -1;  // -1: none; otherwise the length byte (stuffing fills the rest)
  bool adaptationOnly = false;
};

// 188 bytes: header, optional adaptation field (flags 0 and stuffing), payload, 0xFF fill.
inline std::vector<uint8_t> rawPacket(const RawPacket& p) {
  std::vector<uint8_t> packet(188, 0xFF);
  packet[0] = 0x47;
  packet[1] = static_cast<uint8_t>((p.unitStart ? 0x40 : 0) | ((p.pid >> 8) & 0x1F));
  packet[2] = static_cast<uint8_t>(p.pid);
  const int control = p.adaptationOnly ? 2 : p.adaptationLength >= 0 ? 3 : 1;
  packet[3] = static_cast<uint8_t>((control << 4) | (p.counter & 0x0F));
  size_t at = 4;
  if (p.adaptationLength >= 0) {
    packet[4] = static_cast<uint8_t>(p.adaptationLength);
    if (p.adaptationLength > 0) packet[5] = 0x00;
    at = 5 + static_cast<size_t>(std::min(p.adaptationLength, 183));
  }
  for (size_t i = 0; i < p.payload.size() && at + i < 188; ++i) packet[at + i] = p.payload[i];
  return packet;
}

inline void append(std::vector<uint8_t>& stream, const std::vector<uint8_t>& packet) {
  stream.insert(stream.end(), packet.begin(), packet.end());
}

// The start of a PES unit: start code, stream id, packet length, flags with a PTS of 0, then bytes.
inline std::vector<uint8_t> pesStart(uint8_t streamId, int packetLength, uint8_t fill) {
  std::vector<uint8_t> bytes = {0, 0, 1, streamId, static_cast<uint8_t>(packetLength >> 8),
                                static_cast<uint8_t>(packetLength), 0x80, 0x80, 5, 0x21, 0, 1, 0, 1};
  bytes.resize(184, fill);
  return bytes;
}

}  // namespace tstest
