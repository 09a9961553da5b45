// Streams of the packager as the outside reference (ffprobe and ffmpeg) reads them.
#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <map>
#include <unistd.h>
#include <sstream>
#include <string>
#include <vector>

#include "media/mpegts/Crc32Mpeg.h"
#include "media/mpegts/H264AccessUnits.h"
#include "media/mpegts/TSTestFrames.h"
#include "support/TestPaths.h"

namespace {

struct Written {
  std::string path;
  std::vector<int64_t> videoTicks;
  int videoFrames = 0;
};

// Packages every access unit of the fixture at 25 frames per second from 1 s on, with a G.711 A-law
// frame of 40 ms after each, key frames carrying their record.
Written package(const std::string& fixture, const std::string& dir) {
  Written w;
  const std::vector<tstest::AccessUnit> units = tstest::accessUnitsOf(tstest::readFile(kxtest::fixturePath(fixture)));
  tstest::TestPackager ts;
  uint32_t id = 0;
  for (const tstest::AccessUnit& unit : units) {
    const int64_t ticks = 90000 + 3600 * static_cast<int64_t>(w.videoTicks.size());
    tstest::TestFrame video(1, unit.key ? 1 : 2, ticks, std::vector<char>(unit.bytes.begin(), unit.bytes.end()));
    if (unit.key) {
      MPEG_TS::FrameInfoRecord record;
      record.sequenceId = id;
      record.timeStamp = static_cast<uint64_t>(ticks * 100 / 9);
      video.setRecord(record);
    }
    ++id;
    EXPECT_GT(ts.add(video.frame), 0);
    tstest::TestFrame audio(2, 2, ticks, tstest::pattern(320, static_cast<int>(id)));
    EXPECT_GT(ts.add(audio.frame), 0);
    w.videoTicks.push_back(ticks);
  }
  w.videoFrames = static_cast<int>(units.size());
  w.path = dir + "/ours.ts";
  std::ofstream(w.path, std::ios::binary).write(reinterpret_cast<const char*>(ts.stream.data()),
                                                static_cast<std::streamsize>(ts.stream.size()));
  return w;
}

std::string run(const std::string& command, std::string& errors, int& code) {
  const std::string errorFile = "/tmp/kxtest-ts-conformance-" + std::to_string(::getpid()) + ".err";
  const std::string out = kxtest::runCommand(command + " 2>" + errorFile, &code);
  errors = tstest::readFile(errorFile);
  std::remove(errorFile.c_str());
  return out;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

class TSConformance : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(TSConformance, TheOutsideReferenceReadsOurStream) {
  if (!kxtest::haveProgram("ffprobe") || !kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "no ffmpeg";
  const std::string fixture = GetParam();
  std::string dir = kxtest::scratchDir("TSConformance");
  const Written w = package(fixture, dir);
  ASSERT_GT(w.videoFrames, 0);
  std::string errors;
  int code = 0;

  // Every packet and frame readable, no message at level error.
  const std::string probe = run("ffprobe -v error -show_packets -show_frames -of compact=p=0:nk=0 '" + w.path + "'",
                                errors, code);
  EXPECT_EQ(0, code);
  EXPECT_EQ("", errors);
  std::vector<int64_t> packetTicks;
  int decodedVideo = 0;
  for (const std::string& line : linesOf(probe)) {
    if (line.rfind("codec_type=video", 0) == 0) {
      const size_t at = line.find("|pts=");
      ASSERT_NE(std::string::npos, at) << line;
      packetTicks.push_back(std::stoll(line.substr(at + 5)));
    } else if (line.rfind("media_type=video", 0) == 0) {
      ++decodedVideo;
    }
  }
  EXPECT_EQ(w.videoTicks, packetTicks);
  EXPECT_EQ(w.videoFrames, decodedVideo);

  // The elementary stream comes back byte for byte.
  const std::string copy = dir + "/copy.h264";
  run("ffmpeg -nostdin -v error -y -i '" + w.path + "' -map 0:v -c copy -f h264 '" + copy + "'", errors, code);
  EXPECT_EQ(0, code);
  EXPECT_EQ("", errors);
  const std::string original = tstest::readFile(kxtest::fixturePath(fixture));
  EXPECT_EQ("", tstest::firstDifference(original, tstest::readFile(copy)));

  // Counters never jump; every PSI section's CRC holds.
  const std::string stream = tstest::readFile(w.path);
  ASSERT_EQ(0u, stream.size() % 188);
  std::map<int, int> counters;
  for (size_t at = 0; at < stream.size(); at += 188) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(stream.data()) + at;
    ASSERT_EQ(0x47, p[0]);
    const int pid = ((p[1] & 0x1F) << 8) | p[2];
    const int counter = p[3] & 0x0F;
    if (counters.count(pid)) {
      EXPECT_EQ((counters[pid] + 1) & 0x0F, counter) << "PID " << pid << " at " << at;
    }
    counters[pid] = counter;
    if ((pid == 0 || pid == 0x1000) && (p[1] & 0x40) && p[5] != 0x40) {
      const uint8_t* section = p + 5 + p[4];
      const int length = ((section[1] & 0x0F) << 8) | section[2];
      EXPECT_EQ(0u, MPEG_TS::Crc32Mpeg::compute(section, static_cast<size_t>(length + 3))) << "PID " << pid;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, TSConformance,
                         ::testing::Values("h264_baseline_176x144_gop12.h264", "h264_main_aud_352x288_gop25.h264",
                                           "h264_main_crop_640x360_gop30.h264", "h264_high_1920x1080_gop10.h264",
                                           "h264_main_bframes_320x240_gop8.h264"));
