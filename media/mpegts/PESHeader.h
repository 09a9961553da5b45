#pragma once
#include <cstdint>

namespace MPEG_TS {

// The PES packet header. Built with PTS and DTS (19 bytes); parsed as the flags announce it.
class PESHeader {
 public:
  static constexpr int kBuiltLength = 19;
  // Largest PES packet length the header writes; longer payloads get the length 0 (unbounded).
  static constexpr int kMaxPacketLength = 65520;

  PESHeader() = default;

  void setStreamId(uint8_t id) { m_streamId = id; }
  uint8_t getStreamId() const { return m_streamId; }
  void setPriority(uint8_t priority) { m_priority = priority & 1; }
  void setPTS(uint64_t pts) { m_pts = pts & kTimeMask; }
  void setDTS(uint64_t dts) { m_dts = dts & kTimeMask; }
  uint64_t getPTS() const { return m_pts; }
  // Without a DTS in the header the DTS equals the PTS.
  uint64_t getDTS() const { return m_dts; }
  bool hasPTS() const { return m_ptsDtsFlags & 2; }
  uint16_t getPESPacketLength() const { return m_packetLength; }

  // Writes the 19 header bytes for a payload of the given length; returns 19.
  int build(uint8_t* out, int payloadLength);
  // The payload of a whole PES unit and its length, or null when the start code is missing or the
  // lengths of the header, the packet and the unit disagree.
  const uint8_t* parse(const uint8_t* unit, int unitLength, int& payloadLength);

  // The 33-bit time stamp in the five-byte layout, with its four-bit prefix ('0011' PTS of a pair,
  // '0001' DTS, '0010' a lone PTS).
  static void writeTimeStamp(uint8_t* out, uint8_t prefix, uint64_t value);
  static uint64_t readTimeStamp(const uint8_t* in);

 private:
  static constexpr uint64_t kTimeMask = (uint64_t(1) << 33) - 1;

  uint8_t m_streamId = 0;
  uint16_t m_packetLength = 0;
  uint8_t m_priority = 0;
  uint8_t m_ptsDtsFlags = 3;
  uint8_t m_headerDataLength = 10;
  uint64_t m_pts = 0;
  uint64_t m_dts = 0;
};

}  // namespace MPEG_TS
