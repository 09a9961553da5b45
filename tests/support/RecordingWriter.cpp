#include "support/RecordingWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "media/AVData.h"
#include "media/EncoderType.h"
#include "media/KXAVFrameHead.h"
#include "media/mpegts/FrameInfoRecord.h"
#include "media/mpegts/MPEG_TS_Packager.h"

namespace kxtest {

namespace {

constexpr int kVideoStream = 1;
constexpr int kAudioStream = 2;
constexpr int kH264 = 1;

}  // namespace

bool RecordingWriter::write(const RecordingPlan& plan, int fileType, const std::string& path,
                            std::vector<int64_t>* frameOffsets) {
  if (fileType == 1) return writeTransportStream(plan, path, frameOffsets);
  if (fileType == 2) return writeFrameHeadStream(plan, path, frameOffsets);
  return false;
}

bool RecordingWriter::writeFrameHeadStream(const RecordingPlan& plan, const std::string& path,
                                           std::vector<int64_t>* frameOffsets) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  if (frameOffsets) frameOffsets->clear();
  int64_t offset = 0;
  for (const PlannedFrame& frame : plan.frames()) {
    KXAVFrameHead head;
    head.setSequenceId(frame.id);
    head.setTimeStamp(frame.timeStamp);
    head.setFrameLength(frame.size);
    head.setFrameType(frame.key ? 1 : 0);
    head.setESStreamType(frame.video ? kVideoStream : kAudioStream);
    head.setEncodeType(frame.video ? kH264 : plan.options().audioEncoderType);
    head.setFrameRate(static_cast<uint8_t>(frame.video ? plan.options().frameRate : 0));
    head.setStreamFormat(1);
    char bytes[KXAVFrameHead::kLength];
    int length = sizeof bytes;
    if (!head.getFrameHead(bytes, length)) return false;
    std::string payload = RecordingPlan::payload(frame);
    out.write(bytes, length);
    out.write(payload.data(), static_cast<std::streamsize>(payload.size()));
    if (frameOffsets) frameOffsets->push_back(offset);
    offset += length + static_cast<int64_t>(payload.size());
  }
  return static_cast<bool>(out);
}

bool RecordingWriter::writeTransportStream(const RecordingPlan& plan, const std::string& path,
                                           std::vector<int64_t>* frameOffsets) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  if (frameOffsets) frameOffsets->clear();
  MPEG_TS::MPEG_TS_Packager packager(1);
  packager.addProgram(1, "TS stream");
  const uint16_t videoPid = packager.addStreamEx(0, EncoderType::H264);
  const uint16_t audioPid = packager.addStreamEx(0, static_cast<EncoderType::ES_STREAM_TYPE>(plan.options().audioEncoderType));
  std::vector<uint8_t> packets;
  int64_t offset = 0;
  for (const PlannedFrame& frame : plan.frames()) {
    std::string payload = RecordingPlan::payload(frame);
    AVData data;
    data.setESStreamType(frame.video ? kVideoStream : kAudioStream);
    data.setEncoderType(frame.video ? kH264 : plan.options().audioEncoderType);
    data.setFrameType(frame.key ? 1 : 0);
    // The packager takes 90 kHz ticks; the record carries microseconds.
    data.setTimeStamp(frame.timeStamp * 9 / 100);
    data.setData(payload.data(), static_cast<unsigned int>(payload.size()));
    uint8_t record[MPEG_TS::FrameInfoRecord::kSize];
    if (frame.key) {
      MPEG_TS::FrameInfoRecord info;
      info.sequenceId = frame.id;
      info.height = static_cast<uint16_t>(plan.options().height);
      info.width = static_cast<uint16_t>(plan.options().width);
      info.frameRate = static_cast<uint8_t>(plan.options().frameRate);
      info.timeStamp = static_cast<uint64_t>(frame.timeStamp);
      MPEG_TS::buildFrameInfo(info, record);
      data.setPrivateData(reinterpret_cast<char*>(record), sizeof record);
    }
    const int pid = frame.video ? videoPid : audioPid;
    packets.resize(static_cast<size_t>(packager.packetCount(pid, &data) + 1) * 188);
    const int count = packager.EStoTS_Packet(pid, packets.data(), static_cast<int>(packets.size()), &data);
    if (count <= 0) return false;
    out.write(reinterpret_cast<const char*>(packets.data()), static_cast<std::streamsize>(count) * 188);
    if (frameOffsets) frameOffsets->push_back(offset);
    offset += static_cast<int64_t>(count) * 188;
  }
  return static_cast<bool>(out);
}

bool RecordingWriter::insertGarbage(const std::string& path, int64_t offset, int count) {
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (offset < 0 || offset > static_cast<int64_t>(bytes.size()) || count < 0) return false;
  std::string garbage(static_cast<size_t>(count), '\0');
  uint32_t state = 0x9E3779B9u;
  for (char& c : garbage) {
    state = state * 1664525u + 1013904223u;
    c = static_cast<char>(state >> 24);
  }
  bytes.insert(static_cast<size_t>(offset), garbage);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool RecordingWriter::truncate(const std::string& path, int64_t length) {
  std::error_code error;
  std::filesystem::resize_file(path, static_cast<uintmax_t>(length), error);
  return !error;
}

}  // namespace kxtest
