#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "media/mpegts/PATSection.h"
#include "media/mpegts/PMTSection.h"
#include "media/mpegts/PrivateSection.h"
#include "media/mpegts/ProgramInfo.h"
#include "media/mpegts/TSPayloadAssembler.h"

class AVData;

namespace MPEG_TS {

// Reads a transport stream back into frames, one frame per parsePackets call. Keeps the PAT, the
// PMT and the last private-section text it meets; sections, counters and a partly assembled unit
// survive between calls, so a stream may come in pieces of whole packets.
class MPEG_TS_Unpackager {
 public:
  MPEG_TS_Unpackager();
  ~MPEG_TS_Unpackager();
  // Copies would share the owned sections and assembler; the system never copies an unpackager.
  MPEG_TS_Unpackager(const MPEG_TS_Unpackager&) = delete;
  MPEG_TS_Unpackager& operator=(const MPEG_TS_Unpackager&) = delete;

  // The largest unit (and so frame) that can be assembled; must be set before parsing.
  void setBufferSize(int n);
  int getBufferSize() const;

  // False for len of at most 11279; otherwise true at the first pos (0..187) where 60 sync bytes
  // 188 apart begin.
  static bool getTSHeaderPos(const char* data, int len, int& pos);

  // Consumes packets until a frame of a stream the PMT lists is complete. Returns its PID with the
  // frame filled (stream format 1, ES stream type, encoder type, borrowed payload and transport
  // private data, frame type, PTS in 90 kHz ticks), or 0 when no frame completed. The borrowed bytes
  // stay valid until the next call.
  int parsePackets(const uint8_t* data, int len, int& consumed, AVData& frame);
  // At the end of the stream: delivers the unit still in assembly as parsePackets would (its PID
  // with the frame, or 0).
  int finishStream(AVData& frame);
  // Finds the first private section on the PMT PID (after a PAT); true with its text.
  bool searchPrivateData(const uint8_t* data, int len, int& consumed, std::string& text);
  // A private text met by parsePackets since the last call: copied out, true.
  bool getPrivateData(std::string& text);
  ProgramInfo getProgramInfo() const;
  // True once a PMT has been parsed.
  bool checkProgramInfo() const { return m_programInfoSeen; }

 private:
  static bool checkTSHeader(const char* data, int pos);
  bool deliverFrame(AVData& frame);
  // Takes the completed unit: sections are stored; a PES unit of a listed stream fills the frame
  // and gives its PID. 0 otherwise.
  int takeUnit(AVData& frame);

  std::unique_ptr<PATSection> m_pat;
  std::unique_ptr<PMTSection> m_pmt;
  std::unique_ptr<TSPayloadAssembler> m_assembler;
  std::unique_ptr<PrivateSection> m_private;
  bool m_patSeen = false;
  bool m_programInfoSeen = false;
  std::string m_privateText;
  bool m_newPrivateText = false;
};

}  // namespace MPEG_TS
