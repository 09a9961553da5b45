#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace MPEG_TS {

// One elementary stream of the program map table. The name travels as the raw ES-info bytes.
struct PMTStream {
  uint8_t pesStreamId = 0;
  uint8_t streamType = 0;
  uint16_t pid = 0;
  std::string name;
};

// The program map table of the one program: built for the packager, parsed for the unpackager.
class PMTSection {
 public:
  static constexpr int kBufferSize = 1024;
  // Largest section length whose section (length + 3 bytes) fits the buffer.
  static constexpr int kMaxSectionLength = kBufferSize - 3;
  // Fixed part of the section length: header after the length field (9) and CRC (4).
  static constexpr int kFixedLength = 13;

  PMTSection() = default;

  // The name is cut to what one section can carry.
  void setProgram(uint16_t programNumber, const std::string& name);
  void setPCRPid(uint16_t pid) { m_pcrPid = pid & 0x1FFF; }
  void addStream(uint8_t pesStreamId, uint8_t streamType, uint16_t pid, const std::string& name);
  void removeStream(uint16_t pid);
  bool hasStream(uint16_t pid) const { return findStream(pid) != nullptr; }
  // Stream type and PES stream id of the stream on the PID; 0 for a PID the table does not list.
  uint8_t getStreamTypeByPid(uint16_t pid) const;
  uint8_t getPESStreamIdByPid(uint16_t pid) const;

  uint16_t getProgramNumber() const { return m_programNumber; }
  uint16_t getPCRPid() const { return m_pcrPid; }
  const std::string& getProgramName() const { return m_programName; }
  const std::vector<PMTStream>& getStreams() const { return m_streams; }
  uint8_t getVersion() const { return m_version; }

  // The section bytes and their count, rebuilt with the next version only after a stream was added
  // or removed (program and PCR PID changes wait for that). Stream names are cut so that the section fits its buffer;
  // streams whose entries would not fit at all are left out of the bytes.
  const uint8_t* build(int& length);
  // Parses the assembled payload that starts with the pointer field. Streams not yet known are
  // added; false (nothing changed) for a wrong table id, a bad CRC or inconsistent lengths.
  bool parse(const uint8_t* payload, int payloadLength);

 private:
  const PMTStream* findStream(uint16_t pid) const;

  uint8_t m_tableId = 2;
  uint16_t m_sectionLength = 0;
  uint16_t m_programNumber = 0;
  uint8_t m_version = 0;
  uint16_t m_pcrPid = 0;
  std::string m_programName;
  std::vector<PMTStream> m_streams;
  uint32_t m_crc = 0;
  bool m_changed = true;
  uint8_t m_buffer[kBufferSize] = {};
};

}  // namespace MPEG_TS
