#pragma once
// Helpers of the transport-stream tests: frames to package and streams made of them.
#include <cstdint>
#include <memory>
#include <string>
#include <deque>
#include <vector>

#include "media/AVData.h"
#include "media/EncoderType.h"
#include "media/mpegts/FrameInfoRecord.h"
#include "media/mpegts/MPEG_TS_Packager.h"

namespace tstest {

// A frame whose data and private bytes live with it. It is not copied (the frame borrows the
// bytes), so lists of them are kept in a std::deque.
struct TestFrame {
  std::vector<char> data;
  std::vector<char> privateData;
  AVData frame;

  TestFrame(int esStreamType, int frameType, int64_t ticks, std::vector<char> bytes)
      : data(std::move(bytes)) {
    frame.setESStreamType(esStreamType);
    frame.setFrameType(frameType);
    frame.setTimeStamp(ticks);
    frame.setData(data.data(), static_cast<unsigned>(data.size()));
  }
  TestFrame(const TestFrame&) = delete;
  TestFrame& operator=(const TestFrame&) = delete;
  void setPrivate(std::vector<char> bytes) {
    privateData = std::move(bytes);
    frame.setPrivateData(privateData.data(), static_cast<unsigned char>(privateData.size()));
  }
  void setRecord(const MPEG_TS::FrameInfoRecord& record) {
    std::vector<char> bytes(MPEG_TS::FrameInfoRecord::kSize);
    MPEG_TS::buildFrameInfo(record, reinterpret_cast<uint8_t*>(bytes.data()));
    setPrivate(bytes);
  }
};

// Where two byte strings first differ, for messages that stay short; "" when equal.
inline std::string firstDifference(const std::string& expected, const std::string& actual) {
  if (expected == actual) return "";
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  return "sizes " + std::to_string(expected.size()) + " and " + std::to_string(actual.size()) +
         ", first difference at byte " + std::to_string(at);
}

// Bytes 0, 1, 2, ... (mod 251, so that no run repeats the packet length) with a seed.
inline std::vector<char> pattern(int length, int seed = 0) {
  std::vector<char> bytes(static_cast<size_t>(length));
  for (int i = 0; i < length; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>((i + seed) % 251);
  return bytes;
}

// A packager with one program and the current video (H.264) and audio (G.711 A-law) streams.
struct TestPackager {
  MPEG_TS::MPEG_TS_Packager packager{1};
  uint16_t videoPid;
  uint16_t audioPid;
  std::vector<uint8_t> stream;

  explicit TestPackager(bool withAudio = true) {
    packager.addProgram(1, "TS stream");
    videoPid = packager.addStreamEx(0, EncoderType::H264);
    audioPid = withAudio ? packager.addStreamEx(0, EncoderType::G711A) : 0xFFFF;
  }
  // Appends the packets of the frame to the stream; returns the packet count.
  int add(const AVData& frame) {
    const uint16_t pid = frame.getESStreamType() == 1 ? videoPid : audioPid;
    std::vector<uint8_t> out(static_cast<size_t>(frame.getDataLength() / 184 + 8) * 188);
    const int packets = packager.EStoTS_Packet(pid, out.data(), static_cast<int>(out.size()), &frame);
    if (packets > 0) stream.insert(stream.end(), out.begin(), out.begin() + packets * 188);
    return packets;
  }
};

}  // namespace tstest
