#include "media/mpegts/MPEG_TS_Unpackager.h"

#include "media/AVData.h"
#include "media/mpegts/PESHeader.h"
#include "media/mpegts/StreamType_Map.h"
#include "platform/DebugOutput.h"

namespace MPEG_TS {
namespace {

constexpr int kPacket = TS_Packet::kSize;

int esStreamTypeOf(uint8_t pesStreamId) {
  if ((pesStreamId & 0xF0) == 0xE0) return 1;
  if ((pesStreamId & 0xE0) == 0xC0) return 2;
  return 0;
}

}  // namespace

MPEG_TS_Unpackager::MPEG_TS_Unpackager()
    : m_pat(new PATSection), m_pmt(new PMTSection), m_assembler(new TSPayloadAssembler), m_private(new PrivateSection) {}

MPEG_TS_Unpackager::~MPEG_TS_Unpackager() = default;

void MPEG_TS_Unpackager::setBufferSize(int n) { m_assembler->setBufferSize(n); }

int MPEG_TS_Unpackager::getBufferSize() const { return m_assembler->getBufferSize(); }

bool MPEG_TS_Unpackager::checkTSHeader(const char* data, int pos) {
  for (int i = 1; i < TSPayloadAssembler::kSyncPackets; ++i)
    if (static_cast<uint8_t>(data[pos + kPacket * i]) != 0x47) return false;
  return true;
}

bool MPEG_TS_Unpackager::getTSHeaderPos(const char* data, int len, int& pos) {
  if (data == nullptr || len <= kPacket * TSPayloadAssembler::kSyncPackets - 1) return false;
  for (int at = 0; at < kPacket; ++at) {
    if (static_cast<uint8_t>(data[at]) == 0x47 && checkTSHeader(data, at)) {
      pos = at;
      return true;
    }
  }
  return false;
}

bool MPEG_TS_Unpackager::deliverFrame(AVData& frame) {
  const TS_Packet& header = m_assembler->getUnitHeader();
  const uint16_t pid = header.getPID();
  PESHeader pes;
  int payloadLength = 0;
  const uint8_t* payload = pes.parse(m_assembler->getUnitData(), m_assembler->getUnitLength(), payloadLength);
  if (payload == nullptr) return false;
  uint64_t time = pes.getPTS();
  uint64_t pcrBase = 0;
  uint16_t pcrExtension = 0;
  if (!pes.hasPTS() && header.getPCR(pcrBase, pcrExtension)) time = pcrBase;
  platform::debugOutputFormat(
      "MPEG_TS_Unpackager::parsePackets:PES_StreamID=%02x, PID = %02x, DTS = %02x, "
      "info.getDiscontinuityIndicator = %02x \n",
      pes.getStreamId(), pid, static_cast<unsigned>(pes.getDTS()), header.getDiscontinuity());
  frame.setStreamFormat(1);
  frame.setESStreamType(esStreamTypeOf(pes.getStreamId()));
  frame.setEncoderType(StreamType_Map::getESStreamType(m_pmt->getStreamTypeByPid(pid)));
  frame.setData(reinterpret_cast<const char*>(payload), static_cast<unsigned>(payloadLength));
  frame.setDiscontinuityIndicator(header.getDiscontinuity() != 0);
  frame.setPrivateData(const_cast<char*>(reinterpret_cast<const char*>(header.getPrivateData())),
                       header.getPrivateDataLength());
  frame.setFrameType(header.getRandomAccess() ? 1 : 2);
  frame.setTimeStamp(static_cast<int64_t>(time));
  return true;
}

int MPEG_TS_Unpackager::takeUnit(AVData& frame) {
  const uint16_t pid = m_assembler->getUnitHeader().getPID();
  const uint8_t* unit = m_assembler->getUnitData();
  const int unitLength = m_assembler->getUnitLength();
  if (pid == 0) {
    m_pat->parse(unit, unitLength);
  } else if (m_pat->getPMTPid() != 0 && pid == m_pat->getPMTPid()) {
    if (m_pmt->parse(unit, unitLength)) {
      m_programInfoSeen = true;
    } else if (const char* text = m_private->parse(unit, unitLength)) {
      m_privateText = text;
      m_newPrivateText = true;
    }
  } else if (m_pmt->hasStream(pid) && deliverFrame(frame)) {
    return pid;
  }
  return 0;
}

int MPEG_TS_Unpackager::parsePackets(const uint8_t* data, int len, int& consumed, AVData& frame) {
  consumed = 0;
  if (data == nullptr) return 0;
  while (len - consumed >= kPacket) {
    int used = 0;
    const bool complete = m_assembler->nextUnit(data + consumed, len - consumed, used);
    consumed += used;
    if (!complete) break;
    if (const int pid = takeUnit(frame)) return pid;
  }
  return 0;
}

int MPEG_TS_Unpackager::finishStream(AVData& frame) {
  if (!m_assembler->finishUnit()) return 0;
  return takeUnit(frame);
}

bool MPEG_TS_Unpackager::searchPrivateData(const uint8_t* data, int len, int& consumed, std::string& text) {
  consumed = 0;
  if (data == nullptr) return false;
  if (!m_patSeen) {
    int used = 0;
    const bool found = m_assembler->nextUnit(data, len, used, 0);
    consumed = used;
    if (!found) return false;
    m_pat->parse(m_assembler->getUnitData(), m_assembler->getUnitLength());
    m_patSeen = true;
  }
  while (len - consumed >= kPacket) {
    int used = 0;
    const bool found = m_assembler->nextUnit(data + consumed, len - consumed, used, m_pat->getPMTPid());
    consumed += used;
    if (!found) break;
    if (const char* found_text = m_private->parse(m_assembler->getUnitData(), m_assembler->getUnitLength())) {
      text = found_text;
      return true;
    }
  }
  return false;
}

bool MPEG_TS_Unpackager::getPrivateData(std::string& text) {
  if (!m_newPrivateText) return false;
  text = m_privateText;
  m_newPrivateText = false;
  return true;
}

ProgramInfo MPEG_TS_Unpackager::getProgramInfo() const {
  ProgramInfo info;
  info.programNumber = m_pmt->getProgramNumber();
  info.pcrPid = m_pmt->getPCRPid();
  info.programName = m_pmt->getProgramName();
  for (const PMTStream& stream : m_pmt->getStreams())
    info.streams.push_back({stream.pid, StreamType_Map::getESStreamType(stream.streamType), stream.name});
  return info;
}

}  // namespace MPEG_TS
