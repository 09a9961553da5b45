#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/EncoderType.h"
#include "media/mpegts/PATSection.h"
#include "media/mpegts/PMTSection.h"
#include "media/mpegts/PrivateSection.h"
#include "media/mpegts/TS_Packet.h"

class AVData;

namespace MPEG_TS {

// Turns frames into 188-byte transport packets: one program (PAT on PID 0, PMT and private sections
// on PID 0x1000), the n-th video stream on PID 0x1011 + n with PES stream id 0xE0 + n, the n-th audio
// stream on 0x1021 + n with 0xC0 + n. Every frame's first packet carries a PCR equal to its PTS;
// key frames are preceded by the PAT and the PMT.
class MPEG_TS_Packager {
 public:
  static constexpr uint16_t kPATPid = 0x0000;
  static constexpr uint16_t kPMTPid = 0x1000;
  static constexpr uint16_t kFirstVideoPid = 0x1011;
  static constexpr uint16_t kFirstAudioPid = 0x1021;
  static constexpr uint16_t kNoStream = 0xFFFF;
  // Streams of one kind: PES stream ids 0xE0..0xEF (video) and 0xC0..0xCF (audio) in the plan.
  static constexpr int kMaxStreamsPerKind = 16;

  explicit MPEG_TS_Packager(uint16_t transportStreamId = 1);
  ~MPEG_TS_Packager();
  // Copies would share the owned sections and generators; the system never copies a packager.
  MPEG_TS_Packager(const MPEG_TS_Packager&) = delete;
  MPEG_TS_Packager& operator=(const MPEG_TS_Packager&) = delete;

  void addProgram(uint16_t programNumber, const std::string& name);
  // Adds a stream by the PID plan and returns its PID; 0xFFFF for a type outside the stream-type
  // table or when all PIDs of the kind are taken. The first argument is not used.
  uint16_t addStream(uint16_t unused, EncoderType::ES_STREAM_TYPE type, const std::string& name);
  // Keeps at most one current video and one current audio stream: the same type returns the current
  // PID, another type replaces the stream with a new PID. The video stream becomes the PCR PID.
  uint16_t addStreamEx(uint16_t unused, EncoderType::ES_STREAM_TYPE type);
  void setPCR_stream(uint16_t pid);
  static std::string getStreamName(EncoderType::ES_STREAM_TYPE type);

  // Number of packets EStoTS_Packet writes for the frame on the PID.
  int packetCount(int pid, const AVData* frame) const;
  // Writes the packets of one frame at out and returns how many. -1 (nothing written, no counter
  // moved) for a PID that was not added, a null frame, or when outSize bytes cannot hold them all.
  int EStoTS_Packet(int pid, uint8_t* out, int outSize, const AVData* frame);
  // Writes the text as a private section on PID 0x1000 and returns the packet count; -1 when outSize
  // bytes cannot hold them. The text is cut to what one private section carries.
  int PrivateDatatoTS_Packet(uint8_t* out, int outSize, const std::string& text);

  // Rebases PCR, PTS and DTS of a run of this packager's packets so that the first PCR becomes
  // newBase; returns the time the next run should start at (last time stamp + 3600).
  static uint64_t adjustTimeStamp(uint8_t* packets, uint32_t length, uint64_t newBase);
  // The first time stamp of a PES header (bytes 9-13).
  static uint64_t retrieveDTS(const uint8_t* pesHeader);
  // Writes the value into both time-stamp fields of a PES header.
  static void changeDTS(uint8_t* pesHeader, uint64_t value);
  // The PCR base of an adaptation field (bytes 2-6).
  static uint64_t retrievePCR(const uint8_t* adaptationField);
  // Writes the PCR base, keeping the extension.
  static void changePCR(uint8_t* adaptationField, uint64_t base);

 private:
  TS_Packet* find(uint16_t pid) const;
  void deleteTS_Packet(uint16_t pid);
  uint16_t addPlannedStream(uint8_t pesBase, EncoderType::ES_STREAM_TYPE type, const std::string& name);
  static int sectionPacketCount(int sectionLength);
  int writeSection(TS_Packet& generator, const uint8_t* section, int length, uint8_t* out);

  std::unique_ptr<PATSection> m_pat;
  std::unique_ptr<PMTSection> m_pmt;
  std::unique_ptr<PrivateSection> m_private;
  std::unique_ptr<TS_Packet> m_patGenerator;
  std::unique_ptr<TS_Packet> m_pmtGenerator;
  std::vector<std::unique_ptr<TS_Packet>> m_streamGenerators;
  int m_videoStreamCount = 0;
  int m_audioStreamCount = 0;
  uint8_t m_firstPacketScratch[200] = {};
  uint16_t m_currentVideoPid = kNoStream;
  uint16_t m_currentAudioPid = kNoStream;
  int m_currentVideoType = EncoderType::UNKNOWN;
  int m_currentAudioType = EncoderType::UNKNOWN;
};

}  // namespace MPEG_TS
