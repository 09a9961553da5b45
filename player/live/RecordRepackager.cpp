#include "player/live/RecordRepackager.h"

#include "media/FrameKind.h"
#include "media/mpegts/FrameInfoRecord.h"
#include "media/mpegts/PESHeader.h"
#include "media/mpegts/TSFrameParser.h"
#include "platform/DebugOutput.h"

namespace {

// Exact integer truncation toward zero: a floating-point product can fall one tick short
// (1.04 s would become 93599 ticks) and the recording would read back one tick early.
int64_t ticksOf(int64_t microseconds) { return microseconds / 100 * 9 + microseconds % 100 * 9 / 100; }
}  // namespace

int RecordRepackager::maxFrameLength() {
  return TSFrameParser::kUnpackagerBufferSize - MPEG_TS::PESHeader::kBuiltLength;
}

RecordRepackager::RecordRepackager() = default;

RecordRepackager::~RecordRepackager() = default;

const AVData* RecordRepackager::repackage(const AVData& frame) {
  if (frame.getDataLength() > maxFrameLength()) {
    platform::debugOutputFormat("KXLivePlayer: frame %u of %d bytes not recorded (at most %d bytes read back whole)\n",
                                frame.getSequenceId(), frame.getDataLength(), maxFrameLength());
    return nullptr;
  }
  if (!m_packager) {
    m_packager = std::make_unique<MPEG_TS::MPEG_TS_Packager>(kTransportStreamId);
    m_packager->addProgram(kProgramNumber, "TS stream");
    m_tsOutBuffer.reset(new uint8_t[kOutBufferSize]);
  }
  AVData copy;
  static_cast<FrameAttributes&>(copy) = frame;
  copy.setData(frame.getData(), static_cast<unsigned>(frame.getDataLength()));
  const int64_t ticks = ticksOf(frame.getTimeStamp());
  copy.setTimeStamp(ticks);
  if (frame.getESStreamType() == FrameKind::kVideoStream && frame.getFrameType() == FrameKind::kKeyFrame) {
    // The record carries the player's own time unit: read back, the frame has the time it was given.
    MPEG_TS::FrameInfoRecord record;
    record.sequenceId = frame.getSequenceId();
    record.imageFormatId = static_cast<uint8_t>(frame.getImageFormatId());
    record.height = static_cast<uint16_t>(frame.getImageHeight());
    record.width = static_cast<uint16_t>(frame.getImageWidth());
    record.frameRate = static_cast<uint8_t>(frame.getFrameRate());
    record.bitRate = static_cast<uint16_t>(frame.getBitRate());
    record.timeStamp = static_cast<uint64_t>(frame.getTimeStamp());
    MPEG_TS::buildFrameInfo(record, m_frameInfoBuffer);
    copy.setPrivateData(reinterpret_cast<char*>(m_frameInfoBuffer), MPEG_TS::FrameInfoRecord::kSize);
  }
  const uint16_t pid =
      m_packager->addStreamEx(kProgramNumber, static_cast<EncoderType::ES_STREAM_TYPE>(frame.getEncoderType()));
  if (pid == MPEG_TS::MPEG_TS_Packager::kNoStream) return nullptr;
  const int packets = m_packager->EStoTS_Packet(pid, m_tsOutBuffer.get(), kOutBufferSize, &copy);
  if (packets <= 0) {
    platform::debugOutputFormat("KXLivePlayer: frame %u of %d bytes could not be packaged for recording\n",
                                frame.getSequenceId(), frame.getDataLength());
    return nullptr;
  }
  static_cast<FrameAttributes&>(m_recordFrame) = copy;
  m_recordFrame.setData(reinterpret_cast<const char*>(m_tsOutBuffer.get()), static_cast<unsigned>(packets) * 188u);
  m_recordFrame.setStreamFormat(FrameKind::kTransportStreamFormat);
  m_recordFrame.setStreamId(pid);
  return &m_recordFrame;
}
