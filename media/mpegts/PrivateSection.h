#pragma once
#include <cstdint>
#include <string>

namespace MPEG_TS {

// A private section (table id 0x40, no section syntax, no CRC) that carries one text.
class PrivateSection {
 public:
  static constexpr int kBufferSize = 4096;
  // The buffer holds the three header bytes and at most this many text bytes.
  static constexpr int kMaxTextLength = kBufferSize - 3;

  PrivateSection() = default;

  // The section bytes for the text (cut to kMaxTextLength) and their count.
  const uint8_t* build(const std::string& text, int& length);
  // The text of the assembled payload that starts with the pointer field, or null for another
  // table or a length that runs past the payload. Valid until the next build or parse.
  const char* parse(const uint8_t* payload, int payloadLength);

 private:
  uint8_t m_tableId = 0x40;
  uint16_t m_sectionLength = 0;
  uint8_t m_buffer[kBufferSize + 1] = {};
};

}  // namespace MPEG_TS
