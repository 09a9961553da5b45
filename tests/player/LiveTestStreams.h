#pragma once
// Streams for the live-input tests: transport streams of real H.264 (ours, with FrameInfoRecords and
// G.711 audio; and ffmpeg's), their damage (garbage between packets, a cut packet), the chunkings the
// same bytes are pushed in, and ffmpeg's reading of a stream as the reference.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "media/AVFrameData.h"
#include "media/mpegts/H264AccessUnits.h"
#include "media/mpegts/TSTestFrames.h"
#include "support/TestPaths.h"

namespace livetest {

constexpr int kPacket = 188;

// One video access unit as a reference reads it: PTS (90 kHz), size and MD5 of the bytes.
struct Unit {
  int64_t pts;
  int size;
  std::string md5;
  bool operator==(const Unit& o) const { return pts == o.pts && size == o.size && md5 == o.md5; }
};
inline std::ostream& operator<<(std::ostream& out, const Unit& u) { return out << u.pts << "/" << u.size << "/" << u.md5; }

// Lines "stream, dts, pts, duration, size, md5" of an ffmpeg framemd5 listing.
inline std::vector<Unit> unitsOfFramemd5(const std::string& text) {
  std::vector<Unit> units;
  std::istringstream in(text);
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

// ffmpeg's own reading of the video packets of a file (empty without ffmpeg).
inline std::vector<Unit> ffmpegVideoUnits(const std::string& path) {
  int code = 0;
  const std::string listing = kxtest::runCommand("ffmpeg -nostdin -hide_banner -loglevel error -i '" + path +
                                                 "' -map 0:v -c copy -copyts -f framemd5 - 2>/dev/null", &code);
  return code == 0 ? unitsOfFramemd5(listing) : std::vector<Unit>{};
}

// A stream of our packager: every access unit of an H.264 fixture at 25 frames per second from
// 1 s on, a G.711 A-law frame after each, key frames carrying their FrameInfoRecord.
struct OurStream {
  std::string bytes;
  std::vector<std::string> framePackets;  // the packets of each frame, in stream order
  std::vector<int64_t> videoMicroseconds;  // the time the player gives each video frame
  std::vector<std::string> videoBytes;
  std::vector<bool> videoKey;
  int width = 0;
  int height = 0;
};

inline OurStream ourStream(const std::string& h264Fixture, int width, int height) {
  OurStream s;
  s.width = width;
  s.height = height;
  const std::vector<tstest::AccessUnit> units =
      tstest::accessUnitsOf(tstest::readFile(kxtest::fixturePath(h264Fixture)));
  tstest::TestPackager ts;
  uint32_t id = 0;
  for (const tstest::AccessUnit& unit : units) {
    const int64_t ticks = 90000 + 3600 * static_cast<int64_t>(s.videoBytes.size());
    tstest::TestFrame video(1, unit.key ? 1 : 2, ticks, std::vector<char>(unit.bytes.begin(), unit.bytes.end()));
    video.frame.setEncoderType(EncoderType::H264);
    if (unit.key) {
      MPEG_TS::FrameInfoRecord record;
      record.sequenceId = id;
      record.width = static_cast<uint16_t>(width);
      record.height = static_cast<uint16_t>(height);
      record.frameRate = 25;
      record.timeStamp = static_cast<uint64_t>(ticks * 100 / 9);
      video.setRecord(record);
    }
    ++id;
    for (const AVData* frame : {&video.frame}) {
      const size_t before = ts.stream.size();
      EXPECT_GT(ts.add(*frame), 0);
      s.framePackets.emplace_back(ts.stream.begin() + static_cast<std::ptrdiff_t>(before), ts.stream.end());
    }
    tstest::TestFrame audio(2, 2, ticks, tstest::pattern(320, static_cast<int>(id)));
    audio.frame.setEncoderType(EncoderType::G711A);
    const size_t before = ts.stream.size();
    EXPECT_GT(ts.add(audio.frame), 0);
    s.framePackets.emplace_back(ts.stream.begin() + static_cast<std::ptrdiff_t>(before), ts.stream.end());
    s.videoMicroseconds.push_back(ticks * 100 / 9);
    s.videoBytes.push_back(unit.bytes);
    s.videoKey.push_back(unit.key);
  }
  s.bytes.assign(ts.stream.begin(), ts.stream.end());
  return s;
}

// Video frame i of the stream as a caller hands it to inputAVFrame: elementary, microsecond time,
// sequence id i + 1, the bytes borrowed from the stream.
inline AVFrameData elementaryFrame(const OurStream& s, size_t i) {
  AVFrameData frame;
  frame.setStreamFormat(1);
  frame.setESStreamType(1);
  frame.setEncoderType(EncoderType::H264);
  frame.setFrameType(s.videoKey[i] ? 1 : 2);
  frame.setSequenceId(static_cast<uint32_t>(i + 1));
  frame.setTimeStamp(s.videoMicroseconds[i]);
  frame.setImageWidth(s.width);
  frame.setImageHeight(s.height);
  frame.setFrameRate(25);
  frame.setDataEx(s.videoBytes[i].data(), static_cast<unsigned>(s.videoBytes[i].size()));
  return frame;
}

inline bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

inline int pidAt(const std::string& s, size_t at) {
  return ((static_cast<uint8_t>(s[at + 1]) & 0x1F) << 8) | static_cast<uint8_t>(s[at + 2]);
}

// A clean packet stream damaged the way live links damage it: 300 bytes of garbage (with sync bytes
// in it that no packet follows) between two packets near a third of the stream, and a PAT packet
// past the middle cut to 100 bytes. The video units are untouched, so a reader of the damaged bytes
// must find exactly the units of the clean stream.
inline std::string damaged(const std::string& clean) {
  const size_t packets = clean.size() / kPacket;
  std::string garbage(300, '\0');
  std::mt19937 random(188);
  for (char& c : garbage) {
    c = static_cast<char>(random() % 256);
    if (c == 0x47) c = 0x48;
  }
  garbage[0] = 0x47;
  garbage[50] = 0x47;
  garbage[299] = 0x47;
  size_t cut = 0;
  for (size_t p = packets / 2; p + 2 < packets && cut == 0; ++p) {
    const size_t at = p * kPacket;
    if (pidAt(clean, at) != 0) continue;
    // The cut packet's bytes must not look like a packet start followed by another.
    bool fake = false;
    for (size_t i = at; i < at + 100; ++i)
      if (clean[i] == 0x47 && i + kPacket + 88 < clean.size() && clean[i + kPacket + 88] == 0x47) fake = true;
    if (!fake) cut = at;
  }
  EXPECT_NE(cut, 0u) << "no PAT packet to cut";
  const size_t insertAt = (packets / 3) * kPacket;
  std::string out = clean.substr(0, insertAt) + garbage + clean.substr(insertAt, cut - insertAt) +
                    clean.substr(cut, 100) + clean.substr(cut + kPacket);
  // No sync byte of the garbage has another one 188 bytes later.
  for (size_t i = 0; i < garbage.size(); ++i) {
    if (garbage[i] == 0x47) {
      EXPECT_NE(out[insertAt + i + kPacket], 0x47) << "garbage byte " << i;
    }
  }
  return out;
}

// Chunk sizes for one pass over a stream: a fixed size, or (size 0) seeded random sizes of 1 to 5000.
inline std::vector<int> chunking(size_t total, int size, unsigned seed) {
  std::vector<int> sizes;
  std::mt19937 random(seed);
  for (size_t at = 0; at < total;) {
    int n = size > 0 ? size : static_cast<int>(1 + random() % 5000);
    n = static_cast<int>(std::min<size_t>(static_cast<size_t>(n), total - at));
    sizes.push_back(n);
    at += static_cast<size_t>(n);
  }
  return sizes;
}

struct Chunking {
  int size;  // 0: random
  unsigned seed;
};
inline std::ostream& operator<<(std::ostream& out, const Chunking& c) {
  return c.size > 0 ? out << "chunks of " << c.size : out << "random chunks, seed " << c.seed;
}
inline const std::vector<Chunking>& chunkings() {
  static const std::vector<Chunking> all{{1, 0}, {187, 0}, {188, 0}, {189, 0}, {4096, 0}, {0, 1}, {0, 2}, {0, 3}};
  return all;
}

}  // namespace livetest
