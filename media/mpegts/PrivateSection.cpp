#include "media/mpegts/PrivateSection.h"

#include <algorithm>
#include <cstring>

#include "media/mpegts/SectionBounds.h"

namespace MPEG_TS {

const uint8_t* PrivateSection::build(const std::string& text, int& length) {
  const int textLength = std::min(static_cast<int>(text.size()), kMaxTextLength);
  m_sectionLength = static_cast<uint16_t>(textLength);
  m_buffer[0] = m_tableId;
  m_buffer[1] = static_cast<uint8_t>(0x30 | (textLength >> 8));
  m_buffer[2] = static_cast<uint8_t>(textLength);
  std::memcpy(m_buffer + 3, text.data(), static_cast<size_t>(textLength));
  length = 3 + textLength;
  return m_buffer;
}

const char* PrivateSection::parse(const uint8_t* payload, int payloadLength) {
  SectionBounds bounds;
  if (!bounds.locate(payload, payloadLength) || bounds.section[0] != m_tableId) return nullptr;
  m_sectionLength = static_cast<uint16_t>(bounds.sectionLength);
  std::memcpy(m_buffer, bounds.section + 3, static_cast<size_t>(bounds.sectionLength));
  m_buffer[bounds.sectionLength] = 0;
  return reinterpret_cast<const char*>(m_buffer);
}

}  // namespace MPEG_TS
