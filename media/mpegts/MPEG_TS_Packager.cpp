#include "media/mpegts/MPEG_TS_Packager.h"

#include <algorithm>
#include <cstring>

#include "media/AVData.h"
#include "media/mpegts/PESHeader.h"
#include "media/mpegts/StreamType_Map.h"

namespace MPEG_TS {
namespace {

constexpr uint64_t kTimeMask = (uint64_t(1) << 33) - 1;
// Payload bytes of a frame that travel in the first packet's scratch after the 19 header bytes.
constexpr int kFirstChunk = 169;

bool isPlanStreamPid(uint16_t pid) { return (pid & 0x1010) == 0x1010 || (pid & 0x1020) == 0x1020; }

}  // namespace

MPEG_TS_Packager::MPEG_TS_Packager(uint16_t transportStreamId)
    : m_pat(new PATSection),
      m_pmt(new PMTSection),
      m_private(new PrivateSection),
      m_patGenerator(new TS_Packet(kPATPid)),
      m_pmtGenerator(new TS_Packet) {
  m_pat->setTransportStreamId(transportStreamId);
}

MPEG_TS_Packager::~MPEG_TS_Packager() = default;

void MPEG_TS_Packager::addProgram(uint16_t programNumber, const std::string& name) {
  m_pat->addProgram(programNumber, kPMTPid);
  m_pmt->setProgram(programNumber, name);
  m_pmtGenerator->setPID(kPMTPid);
}

std::string MPEG_TS_Packager::getStreamName(EncoderType::ES_STREAM_TYPE type) {
  char name[64] = {};
  getEncoderTypeName(type, name);
  return name;
}

uint16_t MPEG_TS_Packager::addPlannedStream(uint8_t pesBase, EncoderType::ES_STREAM_TYPE type,
                                            const std::string& name) {
  const bool video = pesBase == 0xE0;
  int& count = video ? m_videoStreamCount : m_audioStreamCount;
  if (count >= kMaxStreamsPerKind) return kNoStream;
  const uint16_t pid = static_cast<uint16_t>((video ? kFirstVideoPid : kFirstAudioPid) + count);
  const uint8_t pesId = static_cast<uint8_t>(pesBase | count);
  ++count;
  m_pmt->addStream(pesId, StreamType_Map::getStreamType(type), pid, name);
  m_streamGenerators.emplace_back(new TS_Packet(pid));
  return pid;
}

uint16_t MPEG_TS_Packager::addStream(uint16_t, EncoderType::ES_STREAM_TYPE type, const std::string& name) {
  const uint8_t pesBase = StreamType_Map::getPESStreamID(type);
  if (pesBase != 0xE0 && pesBase != 0xC0) return kNoStream;
  return addPlannedStream(pesBase, type, name);
}

uint16_t MPEG_TS_Packager::addStreamEx(uint16_t, EncoderType::ES_STREAM_TYPE type) {
  const uint8_t pesBase = StreamType_Map::getPESStreamID(type);
  if (pesBase != 0xE0 && pesBase != 0xC0) return kNoStream;
  const bool video = pesBase == 0xE0;
  uint16_t& currentPid = video ? m_currentVideoPid : m_currentAudioPid;
  int& currentType = video ? m_currentVideoType : m_currentAudioType;
  if (currentPid != kNoStream) {
    if (currentType == type) return currentPid;
    m_pmt->removeStream(currentPid);
    deleteTS_Packet(currentPid);
    currentPid = kNoStream;
  }
  const uint16_t pid = addPlannedStream(pesBase, type, getStreamName(type));
  if (pid == kNoStream) return kNoStream;
  currentPid = pid;
  currentType = type;
  if (video) m_pmt->setPCRPid(pid);
  return pid;
}

void MPEG_TS_Packager::setPCR_stream(uint16_t pid) { m_pmt->setPCRPid(pid); }

TS_Packet* MPEG_TS_Packager::find(uint16_t pid) const {
  for (const auto& generator : m_streamGenerators)
    if (generator->getPID() == pid) return generator.get();
  return nullptr;
}

void MPEG_TS_Packager::deleteTS_Packet(uint16_t pid) {
  m_streamGenerators.erase(std::remove_if(m_streamGenerators.begin(), m_streamGenerators.end(),
                                          [pid](const std::unique_ptr<TS_Packet>& g) { return g->getPID() == pid; }),
                           m_streamGenerators.end());
}

int MPEG_TS_Packager::sectionPacketCount(int sectionLength) {
  // The first packet carries the pointer field and 183 section bytes, every further one 184.
  return sectionLength <= 183 ? 1 : 1 + (sectionLength - 183 + 183) / 184;
}

int MPEG_TS_Packager::writeSection(TS_Packet& generator, const uint8_t* section, int length, uint8_t* out) {
  generator.setPayloadUnitStart(1);
  int packets = 0;
  int done = 0;
  do {
    done += generator.build(out + packets * TS_Packet::kSize, section + done, length - done, false, false);
    generator.setPayloadUnitStart(0);
    generator.setContinuityCounter(static_cast<uint8_t>(generator.getContinuityCounter() + 1));
    ++packets;
  } while (done < length);
  return packets;
}

int MPEG_TS_Packager::packetCount(int pid, const AVData* frame) const {
  if (frame == nullptr || pid < 0 || pid > 0x1FFF || find(static_cast<uint16_t>(pid)) == nullptr) return -1;
  int count = 0;
  if (frame->getFrameType() == 1) {
    // Sections as the next build would write them; a build without a change keeps the length.
    int length = 0;
    count += sectionPacketCount(m_pat->build(length) ? length : 0);
    count += sectionPacketCount(m_pmt->build(length) ? length : 0);
  }
  const int dataLength = std::max(0, frame->getDataLength());
  const int privateLength = std::min<int>(frame->getPrivateDataLen(), TS_Packet::kMaxPrivateData);
  const int adaptation = 2 + 6 + (frame->getPrivateData() && privateLength > 0 ? 1 + privateLength : 0);
  const int firstTaken = std::min(PESHeader::kBuiltLength + std::min(kFirstChunk, dataLength), 184 - adaptation);
  const int rest = dataLength + PESHeader::kBuiltLength - firstTaken;
  const bool openEnded = dataLength + 13 > PESHeader::kMaxPacketLength;
  const int split = openEnded && rest > 0 && rest % 184 == 0 ? 1 : 0;
  return count + 1 + (rest + 183) / 184 + split;
}

int MPEG_TS_Packager::EStoTS_Packet(int pid, uint8_t* out, int outSize, const AVData* frame) {
  const int needed = packetCount(pid, frame);
  if (needed < 0 || out == nullptr || outSize / TS_Packet::kSize < needed) return -1;
  TS_Packet& generator = *find(static_cast<uint16_t>(pid));
  const bool key = frame->getFrameType() == 1;
  int packets = 0;
  if (key) {
    int length = 0;
    const uint8_t* pat = m_pat->build(length);
    m_patGenerator->setPriority(1);
    packets += writeSection(*m_patGenerator, pat, length, out + packets * TS_Packet::kSize);
    const uint8_t* pmt = m_pmt->build(length);
    m_pmtGenerator->setPriority(1);
    packets += writeSection(*m_pmtGenerator, pmt, length, out + packets * TS_Packet::kSize);
  }

  const uint8_t* data = reinterpret_cast<const uint8_t*>(frame->getData());
  const int dataLength = data ? std::max(0, frame->getDataLength()) : 0;
  const uint64_t time = static_cast<uint64_t>(frame->getTimeStamp()) & kTimeMask;
  PESHeader header;
  header.setStreamId(m_pmt->getPESStreamIdByPid(static_cast<uint16_t>(pid)));
  header.setPriority(key ? 1 : 0);
  header.setPTS(time);
  header.setDTS(time);
  header.build(m_firstPacketScratch, dataLength);
  const int firstChunk = std::min(kFirstChunk, dataLength);
  if (firstChunk > 0) std::memcpy(m_firstPacketScratch + PESHeader::kBuiltLength, data, static_cast<size_t>(firstChunk));

  generator.setDiscontinuity(frame->getDiscontinuityIndicator() ? 1 : 0);
  generator.setPriority(key ? 1 : 0);
  generator.setRandomAccess(key ? 1 : 0);
  generator.setPCR(time, 0);
  generator.setPayloadUnitStart(1);
  const unsigned int privateLength = std::min<unsigned int>(frame->getPrivateDataLen(), TS_Packet::kMaxPrivateData);
  generator.setPrivateData(reinterpret_cast<const uint8_t*>(frame->getPrivateData()),
                           static_cast<uint8_t>(frame->getPrivateData() ? privateLength : 0));
  const int taken = generator.build(out + packets * TS_Packet::kSize, m_firstPacketScratch,
                                    PESHeader::kBuiltLength + firstChunk, true, true);
  generator.setContinuityCounter(static_cast<uint8_t>(generator.getContinuityCounter() + 1));
  generator.setPayloadUnitStart(0);
  ++packets;

  int offset = taken - PESHeader::kBuiltLength;  // into the frame data
  const bool openEnded = header.getPESPacketLength() == 0;
  while (offset < dataLength) {
    int available = dataLength - offset;
    // A unit without a PES length is known to end at its stuffed last packet, so an exactly full
    // last packet is split in two.
    if (openEnded && available == 184) available = 182;
    offset += generator.build(out + packets * TS_Packet::kSize, data + offset, available, true, false);
    generator.setContinuityCounter(static_cast<uint8_t>(generator.getContinuityCounter() + 1));
    ++packets;
  }
  return packets;
}

int MPEG_TS_Packager::PrivateDatatoTS_Packet(uint8_t* out, int outSize, const std::string& text) {
  int length = 0;
  const uint8_t* section = m_private->build(text, length);
  if (out == nullptr || outSize / TS_Packet::kSize < sectionPacketCount(length)) return -1;
  m_pmtGenerator->setPriority(0);
  return writeSection(*m_pmtGenerator, section, length, out);
}

uint64_t MPEG_TS_Packager::retrieveDTS(const uint8_t* pesHeader) { return PESHeader::readTimeStamp(pesHeader + 9); }

void MPEG_TS_Packager::changeDTS(uint8_t* pesHeader, uint64_t value) {
  PESHeader::writeTimeStamp(pesHeader + 9, 0x3, value & kTimeMask);
  PESHeader::writeTimeStamp(pesHeader + 14, 0x1, value & kTimeMask);
}

uint64_t MPEG_TS_Packager::retrievePCR(const uint8_t* af) {
  return (uint64_t(af[2]) << 25) | (uint64_t(af[3]) << 17) | (uint64_t(af[4]) << 9) | (uint64_t(af[5]) << 1) |
         (af[6] >> 7);
}

void MPEG_TS_Packager::changePCR(uint8_t* af, uint64_t base) {
  base &= kTimeMask;
  af[2] = static_cast<uint8_t>(base >> 25);
  af[3] = static_cast<uint8_t>(base >> 17);
  af[4] = static_cast<uint8_t>(base >> 9);
  af[5] = static_cast<uint8_t>(base >> 1);
  af[6] = static_cast<uint8_t>(((base & 1) << 7) | 0x7E | (af[6] & 1));
}

uint64_t MPEG_TS_Packager::adjustTimeStamp(uint8_t* packets, uint32_t length, uint64_t newBase) {
  bool haveFirst = false;
  uint64_t first = 0;
  uint64_t last = 0;
  bool touched = false;
  for (uint32_t at = 0; at + TS_Packet::kSize <= length; at += TS_Packet::kSize) {
    uint8_t* packet = packets + at;
    const uint16_t pid = static_cast<uint16_t>(((packet[1] & 0x1F) << 8) | packet[2]);
    if (packet[0] != 0x47 || !(packet[1] & 0x40) || !isPlanStreamPid(pid)) continue;
    const bool adaptation = ((packet[3] >> 4) & 3) == 3;
    const int adaptationSize = adaptation ? 1 + packet[4] : 0;
    // The PCR sits at bytes 6-10 when the adaptation field announces one.
    if (adaptation && packet[4] >= 7 && (packet[5] & 0x10)) {
      const uint64_t pcr = retrievePCR(packet + 4);
      if (!haveFirst) {
        haveFirst = true;
        first = pcr;
      }
      changePCR(packet + 4, pcr - first + newBase);
    }
    uint8_t* pes = packet + 4 + adaptationSize;
    if (4 + adaptationSize + PESHeader::kBuiltLength > TS_Packet::kSize) continue;
    if (pes[0] != 0 || pes[1] != 0 || pes[2] != 1 || (pes[7] & 0xC0) != 0xC0) continue;
    const uint64_t time = retrieveDTS(pes);
    if (!haveFirst) {
      haveFirst = true;
      first = time;
    }
    last = time;
    touched = true;
    changeDTS(pes, time - first + newBase);
  }
  if (!touched) return newBase + 3600;
  return ((last - first + newBase) & kTimeMask) + 3600;
}

}  // namespace MPEG_TS
