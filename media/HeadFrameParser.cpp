#include "media/HeadFrameParser.h"

#include <cstring>

#include "media/AVData.h"
#include "media/Buffer.h"
#include "media/FrameKind.h"
#include "media/KXAVFrameHead.h"

namespace {

constexpr int64_t kHeadLength = KXAVFrameHead::kLength;
constexpr int kNoFrame = -2;

}  // namespace

HeadFrameParser::HeadFrameParser() { clear(); }

HeadFrameParser::~HeadFrameParser() { clear(); }

void HeadFrameParser::clear() {
  m_frames.clear();
  m_frames.setCurrentIndex(0);
  m_pInput = nullptr;
  m_nInputLength = 0;
  m_nSkippedBytes = 0;
  m_nLeftoverLength = 0;
  m_nImageFormatId = 0;
  m_bStartTimeSet = false;
}

int64_t HeadFrameParser::setStartTime(int64_t time) {
  m_bStartTimeSet = true;
  m_nStartTime = time;
  return time;
}

// A head at p is verified by the start code of the next head right after its payload. Lengths are
// checked in 64 bits: a negative length, or one that could not fit in a buffer of this size even at
// its start, marks a false start (stepped over), so a damaged head can neither stall the caller nor
// make it read outside the buffer. A frame that would fit but is cut off by the end of the buffer
// stops the search and is left over for the next buffer. At the end of the stream a payload that
// reaches the end is enough, and one that runs past it is stepped over.
template <typename OnFrame>
int HeadFrameParser::searchFrames(const char* buf, int len, OnFrame onFrame) {
  m_pInput = buf;
  m_nInputLength = len;
  m_nSkippedBytes = 0;
  m_nLeftoverLength = 0;
  if (buf == nullptr || len <= 0) return 0;

  const char* const end = buf + len;
  const char* p = buf;
  int taken = 0;
  KXAVFrameHead head;
  auto stepOver = [&](const char* next) {
    if (taken == 0) m_nSkippedBytes += static_cast<int>(next - p);
    p = next;
  };

  while (p < end) {
    const int64_t remaining = end - p;
    if (remaining < kHeadLength) {
      m_nLeftoverLength = static_cast<int>(remaining);
      break;
    }
    if (!KXAVFrameHead::isStartCode(p)) {
      // Step to the next byte that can begin a start code, or to where fewer than a head's bytes
      // remain (those are left over, whatever they hold).
      const char* last = end - (kHeadLength - 1);
      const void* next = std::memchr(p + 1, kFrameHeadStartCode[0], static_cast<size_t>(last - (p + 1)));
      stepOver(next == nullptr ? last : static_cast<const char*>(next));
      continue;
    }
    head.parseFrameHead(p, static_cast<int>(remaining));
    const int64_t length = head.getFrameLength();
    const int64_t after = remaining - kHeadLength;  // bytes behind the head
    const int64_t needed = m_bEndOfStream ? kHeadLength + length : 2 * kHeadLength + length + 1;
    if (length < 0 || needed > len) {
      stepOver(p + 1);
      continue;
    }
    bool verified;
    if (m_bEndOfStream) {
      // Nothing follows: a payload running past the end is no frame, and the bytes behind a
      // complete payload, if any, must begin a next head.
      const int64_t behind = after - length;
      const int64_t compared = behind < kFrameHeadStartCodeLength ? behind : kFrameHeadStartCodeLength;
      verified = behind >= 0 &&
                 std::memcmp(p + kHeadLength + length, kFrameHeadStartCode, static_cast<size_t>(compared)) == 0;
    } else if (after <= length + kHeadLength) {
      m_nLeftoverLength = static_cast<int>(remaining);
      break;
    } else {
      verified = KXAVFrameHead::isStartCode(p + kHeadLength + length);
    }
    if (!verified) {
      stepOver(p + 1);
      continue;
    }
    onFrame(head, p + kHeadLength, static_cast<int64_t>(p - buf));
    ++taken;
    p += kHeadLength + length;
  }
  return taken;
}

int HeadFrameParser::parse(const char* buf, int len, bool /*whole*/) {
  clear();
  int taken = searchFrames(buf, len, [this](const KXAVFrameHead& head, const char* payload, int64_t) {
    AVData* frame = new AVData();
    frame->setSequenceId(head.getSequenceId());
    frame->setESStreamType(head.getESStreamType());
    frame->setFrameRate(head.getFrameRate());
    frame->setEncoderType(head.getEncodeType());
    frame->setFrameType(head.getFrameType());
    frame->setTimeStamp(head.getTimeStamp());
    frame->setStreamFormat(FrameKind::kElementaryStreamFormat);
    frame->setCameraNo(0);
    const unsigned int length = static_cast<unsigned int>(head.getFrameLength());
    if (frame->alloc(length)) frame->copyData(payload, length);
    m_nImageFormatId = head.getImageFormatId();
    m_frames.append(frame);
  });
  if (taken == 0) return kNoFrame;
  moveToBegin();
  return 0;
}

int HeadFrameParser::parseBuffer(Buffer& b, bool whole) { return parse(b.getData(), b.getDataLength(), whole); }

int HeadFrameParser::scanKeyFrames(Buffer& b, std::vector<int64_t>& ids, std::vector<int64_t>& offsets) {
  clear();
  const int64_t base = m_nScanOffset;
  const int len = b.getDataLength();
  searchFrames(b.getData(), len, [&](const KXAVFrameHead& head, const char*, int64_t offset) {
    if (head.getFrameType() == FrameKind::kKeyFrame && head.getESStreamType() == FrameKind::kVideoStream) {
      ids.push_back(static_cast<int64_t>(head.getSequenceId()));
      offsets.push_back(base + offset);
    }
  });
  // The caller resumes with the leftover bytes in front of its next buffer.
  if (b.getData() != nullptr && len > 0) m_nScanOffset = base + len - m_nLeftoverLength;
  return 0;
}
