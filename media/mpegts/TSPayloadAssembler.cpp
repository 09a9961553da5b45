#include "media/mpegts/TSPayloadAssembler.h"

#include <cstring>

namespace MPEG_TS {
namespace {

constexpr int kPacket = TS_Packet::kSize;

bool startsPES(const uint8_t* payload, int length) {
  return length >= 3 && payload[0] == 0 && payload[1] == 0 && payload[2] == 1;
}

}  // namespace

void TSPayloadAssembler::setBufferSize(int n) {
  m_buffer.reset();
  m_bufferSize = 0;
  m_started = false;
  m_unitLength = 0;
  if (n > 0) {
    m_buffer.reset(new uint8_t[static_cast<size_t>(n)]);
    m_bufferSize = n;
  }
}

bool TSPayloadAssembler::findSync(const uint8_t* data, int count, int& pos) {
  // The grid spans 60 packets; the scan stops where a whole grid no longer fits behind i.
  const int span = kPacket * kSyncPackets;
  int i = 0;
  for (; i + span < count; ++i) {
    if (data[i] != 0x47) continue;
    int j = 1;
    while (j < kSyncPackets && data[i + kPacket * j] == 0x47) ++j;
    if (j == kSyncPackets) {
      pos = i;
      return true;
    }
  }
  pos = i;
  return false;
}

bool TSPayloadAssembler::append(const uint8_t* payload, int length) {
  if (length <= 0) return true;
  if (m_unitLength + length > m_bufferSize) return false;
  std::memcpy(m_buffer.get() + m_unitLength, payload, static_cast<size_t>(length));
  m_unitLength += length;
  return true;
}

void TSPayloadAssembler::noteAnnouncedLength() {
  const uint8_t* unit = m_buffer.get();
  m_unitIsPES = startsPES(unit, m_unitLength);
  m_announcedLength = 0;
  if (m_unitIsPES) {
    if (m_unitLength >= 6) {
      const int packetLength = (unit[4] << 8) | unit[5];
      if (packetLength > 0) m_announcedLength = packetLength + 6;
    }
  } else if (m_unitLength >= 1 && 1 + unit[0] + 3 <= m_unitLength) {
    const uint8_t* section = unit + 1 + unit[0];
    m_announcedLength = 1 + unit[0] + 3 + (((section[1] & 0x0F) << 8) | section[2]);
  }
}

int TSPayloadAssembler::startUnit(const uint8_t* packets, int count, uint16_t wantedPid, int& consumed) {
  consumed = 0;
  for (int at = 0; at + kPacket <= count; at += kPacket) {
    TS_Packet packet;
    int payloadLength = 0;
    const uint8_t* payload = packet.parse(packets + at, payloadLength);
    if (payload == nullptr) return -1;
    consumed = at + kPacket;
    if (!packet.getPayloadUnitStart() || payloadLength <= 0) continue;
    if (wantedPid != kAnyPid && packet.getPID() != wantedPid) continue;
    if (packet.getPID() == kNullPid) continue;
    m_unitHeader = packet;
    m_unitPid = packet.getPID();
    m_unitLength = 0;
    if (!append(payload, payloadLength)) continue;
    m_lastCounters[m_unitPid] = packet.getContinuityCounter();
    noteAnnouncedLength();
    return 1;
  }
  return 0;
}

int TSPayloadAssembler::continueUnit(const uint8_t* packets, int count, int& consumed) {
  consumed = 0;
  // Offset of the first section packet met since the unit's last packet: where a unit that turns
  // out to have ended before it gives the bytes back.
  int interposed = -1;
  for (int at = 0; at + kPacket <= count; at += kPacket) {
    TS_Packet packet;
    int payloadLength = 0;
    const uint8_t* payload = packet.parse(packets + at, payloadLength);
    if (payload == nullptr) {
      consumed = at;
      m_started = false;
      return -1;
    }
    const uint16_t pid = packet.getPID();
    const bool unitStart = packet.getPayloadUnitStart() != 0;
    if (pid == m_unitPid) {
      // Packets without payload do not count.
      if (payloadLength <= 0) {
        consumed = at + kPacket;
        continue;
      }
      const int last = m_lastCounters[pid];
      const int counter = packet.getContinuityCounter();
      if (counter == last && !unitStart) {  // a repeated packet
        consumed = at + kPacket;
        continue;
      }
      // A gap means lost packets: the unit is incomplete, and the packet may start the next one.
      if (counter != ((last + 1) & 0x0F)) {
        consumed = interposed >= 0 ? interposed : at;
        m_started = false;
        return 0;
      }
      if (unitStart) {
        consumed = interposed >= 0 ? interposed : at;
        return 1;
      }
      interposed = -1;
      consumed = at + kPacket;
      m_lastCounters[pid] = static_cast<int16_t>(counter);
      if (!append(payload, payloadLength)) {
        m_started = false;
        return 0;
      }
      if (announcedLengthReached()) return 1;
      // Stuffing is written only into the last packet of a unit.
      if (m_announcedLength == 0 && m_unitIsPES && packet.hasStuffing()) return 1;
      continue;
    }
    if (pid == kNullPid || payloadLength <= 0) {
      consumed = at + kPacket;
      continue;
    }
    if (unitStart) {
      // The next PES unit ends this one; a section may lie between the packets of a PES unit.
      if (!m_unitIsPES || startsPES(payload, payloadLength)) {
        consumed = interposed >= 0 ? interposed : at;
        return 1;
      }
      if (interposed < 0) interposed = at;
      consumed = at + kPacket;
      continue;
    }
    // A foreign payload packet: a unit comes in consecutive packets of its PID.
    consumed = at + kPacket;
    m_started = false;
    return 0;
  }
  return 0;
}

int TSPayloadAssembler::assembleStep(const uint8_t* packets, int count, uint16_t wantedPid, int& consumed) {
  m_complete = false;
  consumed = 0;
  if (m_bufferSize <= 0) {
    consumed = count - count % kPacket;
    return 0;
  }
  if (!m_started) {
    const int found = startUnit(packets, count, wantedPid, consumed);
    if (found <= 0) return found;
    m_started = true;
    if (announcedLengthReached()) {
      m_complete = true;
      m_started = false;
      return 1;
    }
  }
  int more = 0;
  const int result = continueUnit(packets + consumed, count - consumed, more);
  consumed += more;
  if (result == 1) {
    m_complete = true;
    m_started = false;
  }
  return result;
}

bool TSPayloadAssembler::finishUnit() {
  if (!m_started) return false;
  m_started = false;
  m_complete = true;
  return true;
}

bool TSPayloadAssembler::nextUnit(const uint8_t* data, int count, int& consumed, uint16_t wantedPid) {
  int offset = 0;
  while (count - offset >= kPacket) {
    int used = 0;
    const int result = assembleStep(data + offset, count - offset, wantedPid, used);
    offset += used;
    if (result == 1) {
      consumed = offset;
      return true;
    }
    if (result == 0) {
      // An abandoned unit: look for the next start in what remains; otherwise the packets ran out.
      if (!m_started && used > 0) continue;
      consumed = offset;
      return false;
    }
    int distance = 0;
    if (!findSync(data + offset, count - offset, distance)) {
      consumed = count;
      return false;
    }
    offset += distance == 0 ? kPacket : distance;
  }
  consumed = offset;
  return false;
}

}  // namespace MPEG_TS
