#include "media/mpegts/PMTSection.h"

#include <algorithm>
#include <cstring>

#include "media/mpegts/Crc32Mpeg.h"
#include "media/mpegts/SectionBounds.h"

namespace MPEG_TS {
namespace {

// A name stored in the ES-info or program-info bytes ends at its first zero byte.
std::string nameFrom(const uint8_t* bytes, int length) {
  const void* zero = std::memchr(bytes, 0, static_cast<size_t>(length));
  int used = zero ? static_cast<int>(static_cast<const uint8_t*>(zero) - bytes) : length;
  return std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(used));
}

}  // namespace

void PMTSection::setProgram(uint16_t programNumber, const std::string& name) {
  m_programNumber = programNumber;
  m_programName = name.substr(0, kMaxSectionLength - kFixedLength);
}

void PMTSection::addStream(uint8_t pesStreamId, uint8_t streamType, uint16_t pid, const std::string& name) {
  m_streams.push_back({pesStreamId, streamType, static_cast<uint16_t>(pid & 0x1FFF), name});
  m_changed = true;
}

void PMTSection::removeStream(uint16_t pid) {
  auto found = std::find_if(m_streams.begin(), m_streams.end(), [pid](const PMTStream& s) { return s.pid == pid; });
  if (found == m_streams.end()) return;
  m_streams.erase(found);
  m_changed = true;
}

const PMTStream* PMTSection::findStream(uint16_t pid) const {
  for (const PMTStream& stream : m_streams)
    if (stream.pid == pid) return &stream;
  return nullptr;
}

uint8_t PMTSection::getStreamTypeByPid(uint16_t pid) const {
  const PMTStream* stream = findStream(pid);
  return stream ? stream->streamType : 0;
}

uint8_t PMTSection::getPESStreamIdByPid(uint16_t pid) const {
  const PMTStream* stream = findStream(pid);
  return stream ? stream->pesStreamId : 0;
}

const uint8_t* PMTSection::build(int& length) {
  if (!m_changed) {
    length = m_sectionLength + 3;
    return m_buffer;
  }
  m_changed = false;
  m_version = (m_version + 1) % 32;
  uint8_t* out = m_buffer;
  const int programInfoLength = static_cast<int>(m_programName.size());
  // Offsets run over the section; the CRC's four bytes must stay free at the end.
  const int limit = kBufferSize - 4;
  out[0] = m_tableId;
  out[3] = static_cast<uint8_t>(m_programNumber >> 8);
  out[4] = static_cast<uint8_t>(m_programNumber);
  out[5] = static_cast<uint8_t>(0xC1 | (m_version << 1));
  out[6] = 0;
  out[7] = 0;
  out[8] = static_cast<uint8_t>(0xE0 | (m_pcrPid >> 8));
  out[9] = static_cast<uint8_t>(m_pcrPid);
  out[10] = static_cast<uint8_t>(0xF0 | (programInfoLength >> 8));
  out[11] = static_cast<uint8_t>(programInfoLength);
  std::memcpy(out + 12, m_programName.data(), static_cast<size_t>(programInfoLength));
  int at = 12 + programInfoLength;
  for (const PMTStream& stream : m_streams) {
    if (at + 5 > limit) break;
    const int nameLength = std::min(static_cast<int>(stream.name.size()), limit - at - 5);
    out[at++] = stream.streamType;
    out[at++] = static_cast<uint8_t>(0xE0 | (stream.pid >> 8));
    out[at++] = static_cast<uint8_t>(stream.pid);
    out[at++] = static_cast<uint8_t>(0xF0 | (nameLength >> 8));
    out[at++] = static_cast<uint8_t>(nameLength);
    std::memcpy(out + at, stream.name.data(), static_cast<size_t>(nameLength));
    at += nameLength;
  }
  m_sectionLength = static_cast<uint16_t>(at + 4 - 3);
  out[1] = static_cast<uint8_t>(0xB0 | (m_sectionLength >> 8));
  out[2] = static_cast<uint8_t>(m_sectionLength);
  m_crc = Crc32Mpeg::compute(out, static_cast<size_t>(at));
  out[at++] = static_cast<uint8_t>(m_crc >> 24);
  out[at++] = static_cast<uint8_t>(m_crc >> 16);
  out[at++] = static_cast<uint8_t>(m_crc >> 8);
  out[at++] = static_cast<uint8_t>(m_crc);
  length = at;
  return m_buffer;
}

bool PMTSection::parse(const uint8_t* payload, int payloadLength) {
  SectionBounds bounds;
  if (!bounds.locate(payload, payloadLength)) return false;
  const uint8_t* section = bounds.section;
  if (section[0] != 2 || bounds.sectionLength < kFixedLength) return false;
  if (Crc32Mpeg::compute(section, bounds.totalLength) != 0) return false;
  const int programInfoLength = ((section[10] & 0x0F) << 8) | section[11];
  // Stream entries end where the CRC begins.
  const int entriesEnd = bounds.totalLength - 4;
  if (12 + programInfoLength > entriesEnd) return false;
  // Check every entry before anything is taken, so that a bad section changes nothing.
  for (int at = 12 + programInfoLength; at < entriesEnd;) {
    if (at + 5 > entriesEnd) return false;
    at += 5 + (((section[at + 3] & 0x0F) << 8) | section[at + 4]);
    if (at > entriesEnd) return false;
  }
  m_sectionLength = static_cast<uint16_t>(bounds.sectionLength);
  m_programNumber = static_cast<uint16_t>((section[3] << 8) | section[4]);
  m_version = (section[5] >> 1) & 0x1F;
  m_pcrPid = static_cast<uint16_t>(((section[8] & 0x1F) << 8) | section[9]);
  m_programName = nameFrom(section + 12, programInfoLength);
  for (int at = 12 + programInfoLength; at < entriesEnd;) {
    const uint16_t pid = static_cast<uint16_t>(((section[at + 1] & 0x1F) << 8) | section[at + 2]);
    const int infoLength = ((section[at + 3] & 0x0F) << 8) | section[at + 4];
    if (!hasStream(pid)) m_streams.push_back({0, section[at], pid, nameFrom(section + at + 5, infoLength)});
    at += 5 + infoLength;
  }
  m_crc = (uint32_t(section[entriesEnd]) << 24) | (uint32_t(section[entriesEnd + 1]) << 16) |
          (uint32_t(section[entriesEnd + 2]) << 8) | section[entriesEnd + 3];
  return true;
}

}  // namespace MPEG_TS
