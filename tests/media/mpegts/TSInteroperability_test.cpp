// Streams written by ffmpeg, read by the unpackager: every access unit as ffmpeg put it in, with its
// PTS. The reference is ffmpeg's own reading of the same file (framemd5, written with the fixtures).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "media/AVData.h"
#include "media/mpegts/H264AccessUnits.h"
#include "media/mpegts/MPEG_TS_Unpackager.h"
#include "media/mpegts/TSFrameParser.h"
#include "support/TestPaths.h"

namespace {

struct Unit {
  int64_t pts;
  int size;
  std::string md5;
  bool operator==(const Unit& o) const { return pts == o.pts && size == o.size && md5 == o.md5; }
};

std::ostream& operator<<(std::ostream& out, const Unit& u) { return out << u.pts << "/" << u.size << "/" << u.md5; }

// Lines "0, dts, pts, duration, size, md5[, side data]" after the comments.
std::vector<Unit> referenceOf(const std::string& path) {
  std::vector<Unit> units;
  std::istringstream in(tstest::readFile(path));
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, ',');) fields.push_back(field.substr(field.find_first_not_of(' ')));
    if (fields.size() < 6) continue;
    units.push_back({std::stoll(fields[2]), std::stoi(fields[4]), fields[5]});
  }
  return units;
}

std::vector<Unit> unpack(const std::string& stream, int piece, int& audioFrames) {
  MPEG_TS::MPEG_TS_Unpackager unpackager;
  unpackager.setBufferSize(TSFrameParser::kUnpackagerBufferSize);
  std::vector<Unit> units;
  audioFrames = 0;
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(stream.data());
  size_t at = 0;
  auto take = [&](const AVData& frame) {
    if (frame.getESStreamType() == 1) {
      units.push_back({frame.getTimeStamp(), frame.getDataLength(),
                       tstest::md5Of(frame.getData(), static_cast<size_t>(frame.getDataLength()))});
    } else if (frame.getESStreamType() == 2) {
      ++audioFrames;
    }
  };
  while (at < stream.size()) {
    const int len = static_cast<int>(std::min(stream.size() - at, static_cast<size_t>(piece)));
    int offset = 0;
    for (;;) {
      AVData frame;
      int consumed = 0;
      const int pid = unpackager.parsePackets(bytes + at + offset, len - offset, consumed, frame);
      offset += consumed;
      if (pid == 0) break;
      take(frame);
    }
    at += static_cast<size_t>(len);
  }
  AVData last;
  if (unpackager.finishStream(last)) take(last);
  return units;
}

class TSInteroperability : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(TSInteroperability, EveryAccessUnitComesBackAsFfmpegWroteIt) {
  const std::string path = kxtest::fixturePath(GetParam());
  const std::string stream = tstest::readFile(path);
  ASSERT_FALSE(stream.empty()) << path << " missing: scripts/fixtures/30-ts.sh writes it";
  const std::vector<Unit> expected = referenceOf(path + ".framemd5");
  ASSERT_FALSE(expected.empty());
  const bool withAudio = std::string(GetParam()).find("audio") != std::string::npos;
  // Whole file, and pieces of whole packets that cut units anywhere.
  for (int piece : {static_cast<int>(stream.size()), 188 * 3, 188 * 41}) {
    int audioFrames = 0;
    EXPECT_EQ(expected, unpack(stream, piece, audioFrames)) << "pieces of " << piece;
    if (withAudio) {
      EXPECT_GT(audioFrames, 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(FfmpegStreams, TSInteroperability,
                         ::testing::Values("ts_ffmpeg_default_h264_baseline_crop_322x242_gop10.ts",
                                           "ts_ffmpeg_default_h264_main_crop_640x360_gop30.ts",
                                           "ts_ffmpeg_muxrate_audio_h264_baseline_crop_322x242_gop10.ts",
                                           "ts_ffmpeg_muxrate_audio_h264_main_crop_640x360_gop30.ts"));
