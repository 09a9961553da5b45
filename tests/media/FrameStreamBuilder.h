#pragma once
// Builds private frame streams in memory for tests, fuzz seeds and benchmarks: each frame is a
// 40-byte head written by KXAVFrameHead followed by its payload.
#include <cstdint>
#include <string>

#include "media/KXAVFrameHead.h"

namespace kxtest {

struct StreamFrame {
  int esType = 1;     // 1 video, 2 audio
  int frameType = 2;  // 1 key frame
  uint32_t sequenceId = 0;
  int64_t timeStamp = 0;
  std::string payload;
  int encodeType = 1;
  int frameRate = 25;
  int imageFormatId = 1;
};

class FrameStreamBuilder {
 public:
  // Appends one head, whose frame length is the payload's size, and the payload.
  FrameStreamBuilder& frame(const StreamFrame& f) {
    appendHead(f, static_cast<int32_t>(f.payload.size()));
    m_bytes += f.payload;
    return *this;
  }
  // Appends a head whose frame length field says length, with nothing behind it.
  FrameStreamBuilder& headWithLength(int32_t length, uint32_t sequenceId = 0) {
    StreamFrame f;
    f.sequenceId = sequenceId;
    appendHead(f, length);
    return *this;
  }
  FrameStreamBuilder& raw(const std::string& bytes) {
    m_bytes += bytes;
    return *this;
  }
  const std::string& bytes() const { return m_bytes; }
  size_t size() const { return m_bytes.size(); }

 private:
  void appendHead(const StreamFrame& f, int32_t length) {
    KXAVFrameHead head;
    head.setSequenceId(f.sequenceId);
    head.setTimeStamp(f.timeStamp);
    head.setFrameLength(length);
    head.setFrameType(static_cast<uint8_t>(f.frameType));
    head.setESStreamType(static_cast<uint8_t>(f.esType));
    head.setEncodeType(static_cast<uint8_t>(f.encodeType));
    head.setFrameRate(static_cast<uint8_t>(f.frameRate));
    head.setImageFormatId(static_cast<uint8_t>(f.imageFormatId));
    head.setStreamFormat(1);
    char bytes[KXAVFrameHead::kLength];
    int written = sizeof(bytes);
    head.getFrameHead(bytes, written);
    m_bytes.append(bytes, static_cast<size_t>(written));
  }

  std::string m_bytes;
};

}  // namespace kxtest
