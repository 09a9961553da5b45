#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "media/mpegts/TS_Packet.h"

namespace MPEG_TS {

// Collects the payload of one unit (a PES packet or a section) from the 188-byte packets of one PID,
// checks continuity counters, and finds the packet grid again after damage.
//
// A unit is complete as soon as the length it announces (PES packet length, section length) is
// assembled. A PES unit of unannounced length (PES packet length 0) ends where the next PES unit
// begins, on any PID, or at a stuffed packet of its own PID. Sections, null packets and
// adaptation-only packets that lie between its packets are passed over; a unit that ends before
// such packets leaves them unconsumed, so that they are read again as units of their own.
class TSPayloadAssembler {
 public:
  static constexpr uint16_t kAnyPid = 0xFFFF;
  static constexpr uint16_t kNullPid = 0x1FFF;
  // Packets of one clean grid that findSync wants before it trusts a sync byte.
  static constexpr int kSyncPackets = 60;

  TSPayloadAssembler() { m_lastCounters.fill(-1); }
  TSPayloadAssembler(const TSPayloadAssembler&) = delete;
  TSPayloadAssembler& operator=(const TSPayloadAssembler&) = delete;

  // Releases the buffer and allocates n bytes; a unit in assembly is dropped.
  void setBufferSize(int n);
  int getBufferSize() const { return m_bufferSize; }
  const uint8_t* getUnitData() const { return m_buffer.get(); }
  int getUnitLength() const { return m_unitLength; }
  // Header and adaptation field of the packet that started the last unit.
  const TS_Packet& getUnitHeader() const { return m_unitHeader; }
  bool isStarted() const { return m_started; }
  bool isComplete() const { return m_complete; }

  // The first offset i (with i + 11280 < count) where 60 sync bytes 188 apart begin. Without one,
  // pos is the first offset that failed the bound and the result is false.
  static bool findSync(const uint8_t* data, int count, int& pos);

  // Starts a unit at the first packet with the unit start flag on the wanted PID (kAnyPid: any).
  // 1 found, 0 none, -1 a damaged packet.
  int startUnit(const uint8_t* packets, int count, uint16_t wantedPid, int& consumed);
  // Continues the started unit. 1 complete, 0 not yet (or abandoned: isStarted() turns false),
  // -1 a damaged packet.
  int continueUnit(const uint8_t* packets, int count, int& consumed);
  // One start-and-continue step from the beginning of packets.
  int assembleStep(const uint8_t* packets, int count, uint16_t wantedPid, int& consumed);
  // Assembles until a unit completes (true) or the packets run out (false), resynchronising after
  // damage. consumed is what the caller need not present again.
  bool nextUnit(const uint8_t* data, int count, int& consumed, uint16_t wantedPid = kAnyPid);
  // Ends the unit in assembly where the stream ends, as if the next unit had begun; true when there
  // was one.
  bool finishUnit();

 private:
  bool append(const uint8_t* payload, int length);
  void noteAnnouncedLength();
  bool announcedLengthReached() const { return m_announcedLength > 0 && m_unitLength >= m_announcedLength; }

  TS_Packet m_unitHeader;
  std::array<int16_t, 8192> m_lastCounters;
  std::unique_ptr<uint8_t[]> m_buffer;
  int m_bufferSize = 0;
  int m_unitLength = 0;
  bool m_started = false;
  bool m_complete = false;
  uint16_t m_unitPid = 0;
  bool m_unitIsPES = false;
  int m_announcedLength = 0;  // 0: unknown until the unit ends
};

}  // namespace MPEG_TS
