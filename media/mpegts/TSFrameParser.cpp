#include "media/mpegts/TSFrameParser.h"

#include <algorithm>
#include <cstring>

#include "media/AVData.h"
#include "media/Buffer.h"
#include "media/FrameKind.h"

namespace {

constexpr int kPacket = 188;
constexpr int64_t kLongestFrameStep = 3000000;

int64_t microsecondsOf(int64_t ticks) { return static_cast<int64_t>(ticks / 90000.0 * 1000000.0); }

}  // namespace

TSFrameParser::TSFrameParser() { m_unpackager.setBufferSize(kUnpackagerBufferSize); }

TSFrameParser::~TSFrameParser() = default;

void TSFrameParser::clear() {
  m_frames.clear();
  m_frames.setCurrentIndex(-1);
  m_input = nullptr;
  m_inputLength = 0;
  m_parsedLength = 0;
  m_leftoverLength = 0;
  m_tailLength = 0;
  m_imageHeight = 0;
  m_imageWidth = 0;
  m_imageFormatId = 0;
}

int64_t TSFrameParser::setStartTime(int64_t time) {
  m_startTimeSet = true;
  m_startTime = time;
  return time;
}

bool TSFrameParser::carriesRecord(const AVData& frame) {
  return frame.getESStreamType() == FrameKind::kVideoStream && frame.getFrameType() == FrameKind::kKeyFrame &&
         frame.getPrivateDataLen() > 0 && frame.getPrivateData() != nullptr;
}

void TSFrameParser::takeRecord(const AVData& frame) {
  uint8_t bytes[MPEG_TS::FrameInfoRecord::kSize] = {};
  const unsigned length = std::min<unsigned>(frame.getPrivateDataLen(), MPEG_TS::FrameInfoRecord::kSize);
  std::memcpy(bytes, frame.getPrivateData(), length);
  MPEG_TS::parseFrameInfo(bytes, m_info);
  if (m_imageHeight == 0 || m_imageWidth == 0) {
    m_imageHeight = m_info.height;
    m_imageWidth = m_info.width;
  }
  m_imageFormatId = m_info.imageFormatId;
  m_infoSeen = true;
}

bool TSFrameParser::applyFrameInformation(AVData& frame, bool bounded) {
  const int64_t converted = microsecondsOf(frame.getTimeStamp());
  if (m_startTimeSet) {
    if (converted < m_startTime) return false;
    m_startTimeSet = false;
  }
  if (frame.getESStreamType() == FrameKind::kVideoStream) {
    if (carriesRecord(frame)) {
      takeRecord(frame);
      frame.setTimeStamp(static_cast<int64_t>(m_info.timeStamp));
    } else {
      ++m_info.sequenceId;
      int64_t step = converted - m_previousVideoTime;
      if (bounded && (step < 1 || step > kLongestFrameStep))
        step = 1000000 / (m_info.frameRate ? m_info.frameRate : FrameKind::kDefaultFrameRate);
      frame.setTimeStamp(m_runningTimestamp + step);
    }
    frame.setSequenceId(m_info.sequenceId);
    frame.setImageFormatId(m_info.imageFormatId);
    frame.setBitRate(m_info.bitRate);
    frame.setFrameRate(m_info.frameRate);
    frame.setImageHeight(m_info.height);
    frame.setImageWidth(m_info.width);
    m_previousVideoTime = converted;
  } else {
    // Audio is timed from the video frame before it by the distance of their stream times, so that
    // the sound can be matched to the picture; a distance that cannot be right leaves it at the video
    // frame's time. It does not move the running time, which the next video frame steps from.
    const int64_t sinceVideo = converted - m_previousVideoTime;
    const bool plausible = sinceVideo >= 0 && sinceVideo <= kLongestFrameStep;
    frame.setTimeStamp(m_runningTimestamp + (plausible ? sinceVideo : 0));
    return m_infoSeen;
  }
  if (m_runningTimestamp > frame.getTimeStamp()) frame.setTimeStamp(m_runningTimestamp + 1);
  m_runningTimestamp = frame.getTimeStamp();
  return m_infoSeen;
}

AVData* TSFrameParser::deepCopy(const AVData& frame) const {
  AVData* copy = new AVData;
  if (frame.getDataLength() > 0 && frame.getData() != nullptr) {
    copy->alloc(static_cast<unsigned>(frame.getDataLength()));
    copy->copyData(frame.getData(), static_cast<unsigned>(frame.getDataLength()));
  }
  copy->setSequenceId(frame.getSequenceId());
  copy->setStreamFormat(frame.getStreamFormat());
  copy->setESStreamType(frame.getESStreamType());
  copy->setCameraNo(frame.getCameraNo());
  copy->setEncoderType(frame.getEncoderType());
  copy->setFrameType(frame.getFrameType());
  copy->setDiscontinuityIndicator(frame.getDiscontinuityIndicator());
  copy->setBitRate(frame.getBitRate());
  copy->setImageFormatId(frame.getImageFormatId());
  copy->setVideoSystem(frame.getVideoSystem());
  copy->setFrameRate(frame.getFrameRate());
  copy->setImageHeight(frame.getImageHeight());
  copy->setImageWidth(frame.getImageWidth());
  copy->setTimeStamp(frame.getTimeStamp());
  return copy;
}

int TSFrameParser::unpackNext(const uint8_t* bytes, int len, int& used, AVData& frame) {
  used = 0;
  int pid = len >= kPacket ? m_unpackager.parsePackets(bytes, len, used, frame) : 0;
  if (pid == 0 && m_endOfStream && len - used < kPacket) pid = m_unpackager.finishStream(frame);
  return pid;
}

int TSFrameParser::parsePackets(const char* buf, int len, int& consumed, AVData& frame) {
  consumed = 0;
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(buf);
  while (buf != nullptr && (len - consumed >= kPacket || m_endOfStream)) {
    int used = 0;
    const int pid = unpackNext(bytes + consumed, len - consumed, used, frame);
    consumed += used;
    m_lastParseLength = used;
    // Without a frame the unpackager has taken every whole packet.
    if (pid == 0) break;
    if (applyFrameInformation(frame, true)) return 0;
  }
  if (len - consumed < kPacket) m_leftoverLength = std::max(0, len - consumed);
  return -1;
}

int TSFrameParser::parseFrame(const char* buf, int len, int& position, AVData*& out) {
  out = nullptr;
  if (buf == nullptr || position >= len) return -1;
  AVData frame;
  int consumed = 0;
  const int result = parsePackets(buf + position, len - position, consumed, frame);
  position += consumed;
  if (result != 0) return result;
  out = deepCopy(frame);
  return 0;
}

void TSFrameParser::parseWhole(const char* buf, int len, bool keep, std::vector<int64_t>* ids,
                               std::vector<int64_t>* offsets) {
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(buf);
  const int whole = len - len % kPacket;
  int offset = 0;
  int tail = 0;
  while (whole - offset >= kPacket || m_endOfStream) {
    AVData frame;
    int used = 0;
    const int64_t startOfCall = m_runningOffset;
    const int pid = unpackNext(bytes + offset, whole - offset, used, frame);
    offset += used;
    m_lastParseLength = used;
    if (!keep) m_runningOffset += used;
    // A frame that a later call (of this chunk or the next) completes began with this call.
    if (pid == 0 && used > 0 && m_pendingUnitOffset < 0) m_pendingUnitOffset = startOfCall;
    if (pid == 0) {
      // Every remaining packet went into a unit that is not complete yet.
      tail = used;
      break;
    }
    const int64_t frameOffset = m_pendingUnitOffset >= 0 ? m_pendingUnitOffset : startOfCall;
    m_pendingUnitOffset = -1;
    if (keep) {
      if (!applyFrameInformation(frame, false)) continue;
      frame.setImageHeight(m_info.height);
      frame.setImageWidth(m_info.width);
      m_frames.append(deepCopy(frame));
    } else if (frame.getESStreamType() == FrameKind::kVideoStream) {
      if (carriesRecord(frame)) {
        takeRecord(frame);
        ids->push_back(static_cast<int64_t>(m_info.sequenceId));
        offsets->push_back(frameOffset);
      } else {
        ++m_info.sequenceId;
      }
    }
  }
  m_parsedLength = len;
  m_leftoverLength = len % kPacket;
  m_tailLength = tail + m_leftoverLength;
}

int TSFrameParser::parse(const char* buf, int len, bool whole) {
  m_whole = whole;
  if (whole) {
    clear();
    m_input = buf;
    m_inputLength = len;
    if (buf == nullptr || len <= kMinimumInput) {
      m_parsedLength = len;
      return -1;
    }
    parseWhole(buf, len, true, nullptr, nullptr);
    // Everything has been parsed: a later forward step finds nothing more in this input.
    m_readPosition = len;
    if (m_frames.isEmpty()) return -1;
    m_frames.moveToBegin();
    return 0;
  }
  if (m_frames.currentIndex() >= m_frames.size() - 1) clear();
  m_input = buf;
  m_inputLength = len;
  m_readPosition = 0;
  return extendUntil(true, false);
}

int TSFrameParser::parseBuffer(Buffer& b, bool whole) { return parse(b.getData(), b.getDataLength(), whole); }

int TSFrameParser::scanKeyFrames(Buffer& b, std::vector<int64_t>& ids, std::vector<int64_t>& offsets) {
  clear();
  const char* buf = b.getData();
  const int len = b.getDataLength();
  m_input = buf;
  m_inputLength = len;
  if (buf == nullptr || len <= kMinimumInput) {
    m_parsedLength = len;
    return -1;
  }
  parseWhole(buf, len, false, &ids, &offsets);
  return 0;
}

int TSFrameParser::extendUntil(bool videoOnly, bool keyOnly) {
  for (;;) {
    AVData* frame = nullptr;
    const int result = parseFrame(m_input, m_inputLength, m_readPosition, frame);
    if (result != 0) return result;
    m_frames.append(frame);
    if (!videoOnly) return 0;
    if (FrameList::isVideo(*frame) && (!keyOnly || FrameList::isVideoKeyFrame(*frame))) return 0;
  }
}

bool TSFrameParser::hasVideoFrameAfterCurrent(bool keyOnly) const {
  for (int index = std::max(0, m_frames.currentIndex() + 1); index < m_frames.size(); ++index) {
    const AVData& frame = *m_frames.at(index);
    if (keyOnly ? FrameList::isVideoKeyFrame(frame) : FrameList::isVideo(frame)) return true;
  }
  return false;
}

int TSFrameParser::nextFrame(AVData*& out) {
  if (m_frames.currentIndex() >= m_frames.size() - 1) {
    const int result = extendUntil(false, false);
    if (result != 0) return result;
  }
  return m_frames.nextFrame(out);
}

int TSFrameParser::nextVideoFrame(AVData*& out) {
  if (!hasVideoFrameAfterCurrent(false)) extendUntil(true, false);
  return m_frames.nextVideoFrame(out);
}

int TSFrameParser::nextKeyFrame(AVData*& out) {
  // Without a key frame to append the list's own search fails, moving on as it does.
  if (!hasVideoFrameAfterCurrent(true)) extendUntil(true, true);
  return m_frames.nextKeyFrame(out);
}

int TSFrameParser::previousFrame(AVData*& out) {
  if (m_frames.currentIndex() < 1) {
    m_frames.setCurrentIndex(-1);
    return -1;
  }
  return m_frames.previousFrame(out);
}
