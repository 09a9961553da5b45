#include "media/mpegts/PATSection.h"

#include "media/mpegts/Crc32Mpeg.h"
#include "media/mpegts/SectionBounds.h"

namespace MPEG_TS {

bool PATSection::addProgram(uint16_t programNumber, uint16_t pmtPid) {
  if (static_cast<int>(m_programs.size()) >= kMaxPrograms) return false;
  m_programs.push_back({programNumber, static_cast<uint16_t>(pmtPid & 0x1FFF)});
  m_changed = true;
  return true;
}

uint16_t PATSection::getPMTPid() const {
  for (const PATProgram& program : m_programs)
    if (program.programNumber != 0) return program.pmtPid;
  return 0;
}

const uint8_t* PATSection::build(int& length) {
  if (m_changed) {
    m_changed = false;
    m_version = (m_version + 1) % 32;
    m_sectionLength = static_cast<uint16_t>(4 * m_programs.size() + 9);
    uint8_t* out = m_buffer;
    out[0] = m_tableId;
    out[1] = static_cast<uint8_t>(0xB0 | (m_sectionLength >> 8));
    out[2] = static_cast<uint8_t>(m_sectionLength);
    out[3] = static_cast<uint8_t>(m_transportStreamId >> 8);
    out[4] = static_cast<uint8_t>(m_transportStreamId);
    out[5] = static_cast<uint8_t>(0xC1 | (m_version << 1));
    out[6] = 0;
    out[7] = 0;
    int at = 8;
    for (const PATProgram& program : m_programs) {
      out[at++] = static_cast<uint8_t>(program.programNumber >> 8);
      out[at++] = static_cast<uint8_t>(program.programNumber);
      out[at++] = static_cast<uint8_t>(0xE0 | (program.pmtPid >> 8));
      out[at++] = static_cast<uint8_t>(program.pmtPid);
    }
    m_crc = Crc32Mpeg::compute(out, at);
    out[at++] = static_cast<uint8_t>(m_crc >> 24);
    out[at++] = static_cast<uint8_t>(m_crc >> 16);
    out[at++] = static_cast<uint8_t>(m_crc >> 8);
    out[at++] = static_cast<uint8_t>(m_crc);
  }
  length = m_sectionLength + 3;
  return m_buffer;
}

bool PATSection::parse(const uint8_t* payload, int payloadLength) {
  SectionBounds bounds;
  if (!bounds.locate(payload, payloadLength)) return false;
  const uint8_t* section = bounds.section;
  // Header (5 bytes after the length) and CRC (4) at the least.
  if (section[0] != 0 || bounds.sectionLength < 9) return false;
  if (Crc32Mpeg::compute(section, bounds.totalLength) != 0) return false;
  m_sectionLength = static_cast<uint16_t>(bounds.sectionLength);
  m_transportStreamId = static_cast<uint16_t>((section[3] << 8) | section[4]);
  m_version = (section[5] >> 1) & 0x1F;
  m_programs.clear();
  const int entryBytes = bounds.sectionLength - 9;
  for (int read = 0; read + 4 <= entryBytes; read += 4) {
    const uint8_t* entry = section + 8 + read;
    m_programs.push_back({static_cast<uint16_t>((entry[0] << 8) | entry[1]),
                          static_cast<uint16_t>(((entry[2] & 0x1F) << 8) | entry[3])});
  }
  m_crc = (uint32_t(section[bounds.totalLength - 4]) << 24) | (uint32_t(section[bounds.totalLength - 3]) << 16) |
          (uint32_t(section[bounds.totalLength - 2]) << 8) | section[bounds.totalLength - 1];
  return true;
}

}  // namespace MPEG_TS
