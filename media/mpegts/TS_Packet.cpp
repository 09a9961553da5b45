#include "media/mpegts/TS_Packet.h"

#include <algorithm>
#include <cstring>

namespace MPEG_TS {

void TS_Packet::setPriority(uint8_t value) {
  m_transportPriority = value & 1;
  m_esPriority = value & 1;
}

void TS_Packet::setPCR(uint64_t base, uint16_t extension) {
  m_pcrBase = base & ((uint64_t(1) << 33) - 1);
  m_pcrExtension = extension & 0x1FF;
  m_pcrFlag = 1;
}

bool TS_Packet::getPCR(uint64_t& base, uint16_t& extension) const {
  base = m_pcrBase;
  extension = m_pcrExtension;
  return m_pcrFlag != 0;
}

void TS_Packet::setPrivateData(const uint8_t* data, uint8_t length) {
  m_privateFlag = length != 0 && data != nullptr;
  m_privateDataLength = m_privateFlag ? std::min<uint8_t>(length, kMaxPrivateData) : 0;
  if (m_privateFlag) std::memcpy(m_privateData, data, m_privateDataLength);
}

int TS_Packet::adaptationSize() const {
  return 2 + (m_pcrFlag ? 6 : 0) + (m_privateFlag ? 1 + m_privateDataLength : 0);
}

int TS_Packet::build(uint8_t* out, const uint8_t* data, int available, bool pesMode, bool adaptationWanted) {
  m_adaptationPresent = false;
  m_emptyAdaptationOnly = false;
  m_stuffingCount = 0;
  int adaptationBytes = 0;  // the whole adaptation field, its length byte included
  if (pesMode) {
    const int wanted = adaptationWanted ? adaptationSize() : 0;
    if (available == 183 && !adaptationWanted) {
      m_adaptationPresent = true;
      m_emptyAdaptationOnly = true;
      adaptationBytes = 1;
    } else if (184 - wanted - available > 0) {
      m_adaptationPresent = true;
      m_stuffingCount = std::max(0, 184 - adaptationSize() - available);
      adaptationBytes = adaptationSize() + m_stuffingCount;
    } else if (adaptationWanted) {
      m_adaptationPresent = true;
      adaptationBytes = wanted;
    }
  }
  m_adaptationFieldControl = m_adaptationPresent ? 3 : 1;

  out[0] = m_syncByte;
  out[1] = static_cast<uint8_t>((m_transportError << 7) | (m_payloadUnitStart << 6) | (m_transportPriority << 5) |
                                ((m_pid >> 8) & 0x1F));
  out[2] = static_cast<uint8_t>(m_pid);
  out[3] = static_cast<uint8_t>((m_scramblingControl << 6) | (m_adaptationFieldControl << 4) | m_continuityCounter);
  int at = 4;
  if (m_adaptationPresent) {
    m_adaptationLength = static_cast<uint8_t>(adaptationBytes - 1);
    out[at++] = m_adaptationLength;
    if (!m_emptyAdaptationOnly) {
      out[at++] = static_cast<uint8_t>((m_discontinuity << 7) | (m_randomAccess << 6) | (m_esPriority << 5) |
                                       (m_pcrFlag << 4) | (m_opcrFlag << 3) | (m_splicingFlag << 2) |
                                       (m_privateFlag << 1) | m_extensionFlag);
      if (m_pcrFlag) {
        out[at++] = static_cast<uint8_t>(m_pcrBase >> 25);
        out[at++] = static_cast<uint8_t>(m_pcrBase >> 17);
        out[at++] = static_cast<uint8_t>(m_pcrBase >> 9);
        out[at++] = static_cast<uint8_t>(m_pcrBase >> 1);
        out[at++] = static_cast<uint8_t>(((m_pcrBase & 1) << 7) | 0x7E | ((m_pcrExtension >> 8) & 1));
        out[at++] = static_cast<uint8_t>(m_pcrExtension);
      }
      if (m_privateFlag) {
        out[at++] = m_privateDataLength;
        std::memcpy(out + at, m_privateData, m_privateDataLength);
        at += m_privateDataLength;
      }
      std::memset(out + at, 0xFF, static_cast<size_t>(m_stuffingCount));
      at += m_stuffingCount;
    }
    // These flags belong to one packet only; the ES priority stays for the whole unit.
    m_discontinuity = m_randomAccess = m_pcrFlag = m_opcrFlag = m_splicingFlag = m_privateFlag = m_extensionFlag = 0;
  }
  if (!pesMode && m_payloadUnitStart) out[at++] = 0x00;
  const int taken = std::max(0, std::min(kSize - at, available));
  if (taken > 0) std::memcpy(out + at, data, static_cast<size_t>(taken));
  at += taken;
  std::memset(out + at, 0xFF, static_cast<size_t>(kSize - at));
  return taken;
}

const uint8_t* TS_Packet::parse(const uint8_t* packet, int& payloadLength) {
  payloadLength = 0;
  if (packet == nullptr || packet[0] != 0x47) return nullptr;
  m_syncByte = packet[0];
  m_transportError = packet[1] >> 7;
  m_payloadUnitStart = (packet[1] >> 6) & 1;
  m_transportPriority = (packet[1] >> 5) & 1;
  m_pid = static_cast<uint16_t>(((packet[1] & 0x1F) << 8) | packet[2]);
  m_scramblingControl = packet[3] >> 6;
  m_adaptationFieldControl = (packet[3] >> 4) & 3;
  m_continuityCounter = packet[3] & 0x0F;
  m_stuffed = false;
  if (m_adaptationFieldControl < 2) {
    m_adaptationPresent = false;
    payloadLength = 184;
    return packet + 4;
  }
  m_adaptationPresent = true;
  m_adaptationLength = packet[4];
  if (m_adaptationLength > 183) return nullptr;
  m_emptyAdaptationOnly = m_adaptationLength == 0;
  m_stuffed = m_emptyAdaptationOnly;
  if (m_adaptationLength > 0) {
    const uint8_t flags = packet[5];
    m_discontinuity = flags >> 7;
    m_randomAccess = (flags >> 6) & 1;
    m_esPriority = (flags >> 5) & 1;
    m_pcrFlag = (flags >> 4) & 1;
    m_opcrFlag = (flags >> 3) & 1;
    m_splicingFlag = (flags >> 2) & 1;
    m_privateFlag = (flags >> 1) & 1;
    m_extensionFlag = flags & 1;
    // Every optional field must lie inside the adaptation field; what does not is not read.
    const int end = 5 + m_adaptationLength;
    int at = 6;
    if (m_pcrFlag) {
      if (at + 6 <= end) {
        const uint8_t* p = packet + at;
        m_pcrBase = (uint64_t(p[0]) << 25) | (uint64_t(p[1]) << 17) | (uint64_t(p[2]) << 9) | (uint64_t(p[3]) << 1) |
                    (p[4] >> 7);
        m_pcrExtension = static_cast<uint16_t>(((p[4] & 1) << 8) | p[5]);
      } else {
        m_pcrFlag = 0;
      }
      at += 6;
    }
    if (m_opcrFlag) at += 6;
    if (m_splicingFlag) at += 1;
    m_privateDataLength = 0;
    if (m_privateFlag) {
      if (at < end && at + 1 + packet[at] <= end) {
        m_privateDataLength = std::min<uint8_t>(packet[at], kMaxPrivateData);
        std::memcpy(m_privateData, packet + at + 1, m_privateDataLength);
        at += 1 + packet[at];
      } else {
        m_privateFlag = 0;
        at = end;
      }
    }
    if (m_extensionFlag && at < end) at += 1 + packet[at];
    m_stuffed = at < end;
  }
  payloadLength = m_adaptationFieldControl == 2 ? 0 : 183 - m_adaptationLength;
  return packet + 5 + m_adaptationLength;
}

}  // namespace MPEG_TS
