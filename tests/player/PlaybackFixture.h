#pragma once
// Recordings with real content for the playback tests: H.264 made by ffmpeg (libx264, no B-frames, as
// cameras write it) and G.711 A-law or G.723.1 audio made by ffmpeg, written as either file type with
// the system's own writers; with ffmpeg's MD5 of every picture and the decoding of the audio as the
// references.
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/md5.h>
}

#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "codec/AudioCodec.h"
#include "codec/AudioCodecFactory.h"
#include "support/RecordingPlan.h"
#include "support/RecordingWriter.h"
#include "support/TestPaths.h"
#include "tests/player/H264Fixture.h"

namespace playtest {

constexpr int kTransportStream = 1;
constexpr int kFrameHeadStream = 2;

inline std::string typeName(int fileType) {
  return fileType == kTransportStream ? "TransportStream" : "FrameHeadStream";
}

// What ffmpeg encodes: a test picture with noise (the noise sets the bit rate, so that a recording
// can be made longer than the reader's chunks).
struct Source {
  std::string name;
  int width = 352;
  int height = 288;
  int frames = 50;
  int gop = 25;
  int noise = 0;
  int crf = 28;
  bool audio = true;
  // 102 G.711 A-law in 20 ms frames, or 101 G.723.1 in 30 ms frames of 24 bytes.
  int audioCodec = 102;
  // The sound encoded: an ffmpeg source at 8000 Hz (its commas escaped for the filter graph).
  std::string audioSignal = "sine=frequency=440:sample_rate=8000";
};

// A small recording with sound (176x144 pictures), for the tests of what is heard; the name says
// which test makes it, the codec and length what it holds.
inline Source soundSource(const std::string& purpose, int audioCodec, int frames) {
  Source source;
  source.name = purpose + "-" + std::to_string(audioCodec);
  source.width = 176;
  source.height = 144;
  source.frames = frames;
  source.audioCodec = audioCodec;
  return source;
}

struct Recording {
  Source source;
  int fileType = kTransportStream;
  std::string path;
  kxtest::RecordingPlan plan;
  // Where each frame of the plan begins in the file.
  std::vector<int64_t> frameOffsets;
  // ffmpeg's MD5 of each picture as planar 4:2:0, by frame number - 1.
  std::vector<std::string> md5s;
  // The audio as its decoder gives it, signed 16-bit mono at 8000 Hz: ffmpeg's for G.711, the
  // library's bit-exact codec for G.723.1.
  std::string pcm;
};

inline std::string readAll(const std::string& path) { return kxtest::readFile(path); }

inline std::string folder() {
  static const std::string dir = kxtest::scratchDir("playback-recordings");
  return dir;
}

inline const Recording& recording(const Source& source, int fileType) {
  static std::map<std::string, Recording> made;
  const std::string key = source.name + "-" + typeName(fileType);
  auto found = made.find(key);
  if (found != made.end()) return found->second;
  Recording& r = made[key];
  r.source = source;
  r.fileType = fileType;
  const std::string base = folder() + "/" + source.name;
  const std::string h264 = base + ".h264";
  if (kxtest::readFile(h264).empty()) {
    const std::string filter = source.noise > 0 ? " -vf noise=alls=" + std::to_string(source.noise) + ":allf=t" : "";
    kxtest::runCommand("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=" + std::to_string(source.width) + "x" +
                       std::to_string(source.height) + ":rate=25 -frames:v " + std::to_string(source.frames) +
                       filter + " -c:v libx264 -profile:v main -bf 0 -g " + std::to_string(source.gop) +
                       " -keyint_min " + std::to_string(source.gop) + " -sc_threshold 0 -preset ultrafast -crf " +
                       std::to_string(source.crf) + " -f h264 '" + h264 + "'");
  }
  kxtest::RecordingPlan::Content content;
  for (auto& unit : kxh264::splitAccessUnits(h264)) {
    content.videoUnits.emplace_back(unit.data.begin(), unit.data.end());
    content.videoKeys.push_back(unit.key);
  }
  r.md5s = kxh264::referenceMd5s(h264, "yuv420p");
  kxtest::RecordingPlan::Options options;
  if (source.audio && source.audioCodec == 101) {
    // 30 ms frames of 24 bytes (6.3 kbit/s) from ffmpeg's encoder, as long as the video.
    const std::string g7231 = base + ".g7231";
    const double seconds = source.frames / 25.0;
    kxtest::runCommand("ffmpeg -nostdin -v error -y -f lavfi -i '" + source.audioSignal + "' -t " +
                       std::to_string(seconds) + " -af volume=0.5 -ac 1 -c:a g723_1 -b:a 6300 -f g723_1 '" + g7231 + "'");
    const std::string bytes = readAll(g7231);
    for (size_t at = 0; at + 24 <= bytes.size(); at += 24) content.audioFrames.push_back(bytes.substr(at, 24));
    content.audioFrameMicroseconds = 30000;
    options.audioEncoderType = 101;
    // One decoder for the whole stream, as the player keeps one per stream.
    std::unique_ptr<AudioCodec> decoder(createAudioCodec(101));
    for (const std::string& frame : content.audioFrames) {
      char pcm[480];
      int length = sizeof pcm;
      EXPECT_TRUE(decoder->decode(frame.data(), static_cast<int>(frame.size()), pcm, length));
      r.pcm.append(pcm, static_cast<size_t>(length));
    }
  } else if (source.audio) {
    // 20 ms frames of 160 A-law bytes, as long as the video.
    const std::string alaw = base + ".alaw";
    const double seconds = source.frames / 25.0;
    kxtest::runCommand("ffmpeg -nostdin -v error -y -f lavfi -i '" + source.audioSignal + "' -t " +
                       std::to_string(seconds) + " -f alaw -ar 8000 -ac 1 '" + alaw + "'");
    const std::string bytes = readAll(alaw);
    for (size_t at = 0; at + 160 <= bytes.size(); at += 160) content.audioFrames.push_back(bytes.substr(at, 160));
    r.pcm = kxtest::runCommand("ffmpeg -nostdin -v error -f alaw -ar 8000 -ac 1 -i '" + alaw + "' -f s16le -");
  }
  options.width = source.width;
  options.height = source.height;
  r.plan = kxtest::RecordingPlan(options, content);
  r.path = base + (fileType == kTransportStream ? ".ts" : ".kxav");
  EXPECT_TRUE(kxtest::RecordingWriter::write(r.plan, fileType, r.path, &r.frameOffsets));
  EXPECT_EQ(r.md5s.size(), static_cast<size_t>(source.frames)) << "ffmpeg's pictures of " << h264;
  EXPECT_EQ(r.plan.videoFrames().size(), static_cast<size_t>(source.frames)) << "access units of " << h264;
  return r;
}

// MD5 of a picture, as ffmpeg's framemd5 gives it.
inline std::string md5Hex(const char* data, size_t length) {
  uint8_t sum[16];
  av_md5_sum(sum, reinterpret_cast<const uint8_t*>(data), static_cast<int>(length));
  char text[33];
  for (int i = 0; i < 16; ++i) std::snprintf(text + 2 * i, 3, "%02x", sum[i]);
  return text;
}

}  // namespace playtest
