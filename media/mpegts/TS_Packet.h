#pragma once
#include <cstdint>

namespace MPEG_TS {

// One 188-byte transport packet: the generator of a PID's packets and the parser of single packets.
class TS_Packet {
 public:
  static constexpr int kSize = 188;
  static constexpr int kMaxPrivateData = 128;

  TS_Packet() = default;
  explicit TS_Packet(uint16_t pid) { setPID(pid); }

  void setPID(uint16_t pid) { m_pid = pid & 0x1FFF; }
  uint16_t getPID() const { return m_pid; }
  void setPayloadUnitStart(uint8_t value) { m_payloadUnitStart = value & 1; }
  uint8_t getPayloadUnitStart() const { return m_payloadUnitStart; }
  // Both the transport priority and the ES priority indicator.
  void setPriority(uint8_t value);
  void setDiscontinuity(uint8_t value) { m_discontinuity = value & 1; }
  uint8_t getDiscontinuity() const { return m_discontinuity; }
  void setRandomAccess(uint8_t value) { m_randomAccess = value & 1; }
  uint8_t getRandomAccess() const { return m_randomAccess; }
  uint8_t getESPriority() const { return m_esPriority; }
  void setContinuityCounter(uint8_t value) { m_continuityCounter = value & 0x0F; }
  uint8_t getContinuityCounter() const { return m_continuityCounter; }
  uint8_t getAdaptationFieldControl() const { return m_adaptationFieldControl; }
  void setPCR(uint64_t base, uint16_t extension);
  bool getPCR(uint64_t& base, uint16_t& extension) const;
  // Stores at most kMaxPrivateData bytes; the stored length is clamped the same way.
  void setPrivateData(const uint8_t* data, uint8_t length);
  uint8_t getPrivateDataLength() const { return m_privateDataLength; }
  const uint8_t* getPrivateData() const { return m_privateData; }
  // True when the parsed packet's adaptation field ended in stuffing: its writer had less data than
  // room, which only the last packet of a unit has.
  bool hasStuffing() const { return m_stuffed; }

  // Writes one packet into out (188 bytes) from data of the available length and returns the data
  // bytes taken. PES mode adds the adaptation field (PCR, private data, stuffing) as needed; section
  // mode never writes one and starts a unit with the pointer field 0.
  int build(uint8_t* out, const uint8_t* data, int available, bool pesMode, bool adaptationWanted);
  // Parses the header and adaptation field of a packet; returns the payload and its length, or null
  // without the sync byte or with an adaptation field longer than the packet.
  const uint8_t* parse(const uint8_t* packet, int& payloadLength);

 private:
  int adaptationSize() const;

  uint8_t m_syncByte = 0x47;
  uint8_t m_transportError = 0;
  uint8_t m_payloadUnitStart = 0;
  uint8_t m_transportPriority = 1;
  uint16_t m_pid = 0;
  uint8_t m_scramblingControl = 0;
  uint8_t m_adaptationFieldControl = 0;
  uint8_t m_continuityCounter = 0;
  uint8_t m_adaptationLength = 0;
  uint8_t m_discontinuity = 0;
  uint8_t m_randomAccess = 0;
  uint8_t m_esPriority = 0;
  uint8_t m_pcrFlag = 0;
  uint8_t m_opcrFlag = 0;
  uint8_t m_splicingFlag = 0;
  uint8_t m_privateFlag = 0;
  uint8_t m_extensionFlag = 0;
  uint64_t m_pcrBase = 0;
  uint16_t m_pcrExtension = 0;
  uint8_t m_privateDataLength = 0;
  uint8_t m_privateData[kMaxPrivateData] = {};
  bool m_adaptationPresent = false;
  bool m_emptyAdaptationOnly = false;
  int m_stuffingCount = 0;
  bool m_stuffed = false;
};

}  // namespace MPEG_TS
