#pragma once
#include <cstdint>
#include <vector>

namespace MPEG_TS {

// One program of the program association table.
struct PATProgram {
  uint16_t programNumber = 0;
  uint16_t pmtPid = 0;
};

// The program association table: built for the packager, parsed for the unpackager.
class PATSection {
 public:
  static constexpr int kBufferSize = 1024;
  // 12 + 4n bytes must fit the buffer.
  static constexpr int kMaxPrograms = (kBufferSize - 12) / 4;

  PATSection() = default;

  void setTransportStreamId(uint16_t id) { m_transportStreamId = id; }
  uint16_t getTransportStreamId() const { return m_transportStreamId; }
  uint8_t getVersion() const { return m_version; }

  // False (nothing added) when the section is full.
  bool addProgram(uint16_t programNumber, uint16_t pmtPid);
  // The PMT PID of the first program (entries of program 0 name the network PID and are passed
  // over), 0 when there is none.
  uint16_t getPMTPid() const;
  const std::vector<PATProgram>& getPrograms() const { return m_programs; }

  // The section bytes (rebuilt with the next version only after a change) and their count.
  const uint8_t* build(int& length);
  // Parses the assembled payload that starts with the pointer field; false leaves the table as it was.
  bool parse(const uint8_t* payload, int payloadLength);

 private:
  uint8_t m_tableId = 0;
  uint16_t m_sectionLength = 0;
  uint16_t m_transportStreamId = 0;
  uint8_t m_version = 0;
  std::vector<PATProgram> m_programs;
  uint32_t m_crc = 0;
  bool m_changed = true;
  uint8_t m_buffer[kBufferSize] = {};
};

}  // namespace MPEG_TS
