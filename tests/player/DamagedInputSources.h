#pragma once
// The recordings the damaged-input tests start from, and the ways recordings get damaged: each damage
// takes the clean bytes of a recording (with where its frames, packets and frame-information records
// lie) and gives damaged bytes, as a full disk, a rebooting camera or a lossy network leaves them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "media/KXAVFrameHead.h"
#include "media/SeqParameterSet.h"
#include "media/SpsParser.h"
#include "media/mpegts/FrameInfoRecord.h"
#include "support/TestPaths.h"
#include "tests/player/LiveTestStreams.h"

namespace damage {

using Bytes = std::string;
constexpr size_t kPacket = 188;

// A recording's bytes with the places the damages aim at.
struct Source {
  Bytes bytes;
  bool transportStream = false;
  std::vector<size_t> heads;    // frame-head streams: the offset of every 40-byte head
  std::vector<size_t> records;  // transport streams: the offset of every frame-information record found
};

inline void putBigEndian(Bytes& b, size_t at, uint64_t value, int size) {
  for (int i = 0; i < size && at + static_cast<size_t>(i) < b.size(); ++i) {
    b[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * (size - 1 - i)));
  }
}

// The heads of a clean frame-head stream, each followed by as many bytes as it says.
inline std::vector<size_t> headsOf(const Bytes& bytes) {
  std::vector<size_t> heads;
  for (size_t at = 0; at + KXAVFrameHead::kLength <= bytes.size();) {
    KXAVFrameHead head;
    if (!head.parseFrameHead(bytes.data() + at, KXAVFrameHead::kLength) || head.getFrameLength() < 0) break;
    heads.push_back(at);
    at += KXAVFrameHead::kLength + static_cast<size_t>(head.getFrameLength());
  }
  return heads;
}

inline Source frameHeadSource(const std::string& fixture) {
  Source s;
  s.bytes = kxtest::readFile(kxtest::fixturePath(fixture));
  s.heads = headsOf(s.bytes);
  EXPECT_GT(s.heads.size(), 4u) << fixture;
  return s;
}

// Our transport stream of an H.264 fixture (a frame-information record on every key frame).
inline Source transportSource(const std::string& h264Fixture, int width, int height) {
  const livetest::OurStream stream = livetest::ourStream(h264Fixture, width, height);
  Source s;
  s.transportStream = true;
  s.bytes = stream.bytes;
  // The records are found by their bytes, as ourStream writes them.
  for (size_t i = 0; i < stream.videoKey.size(); ++i) {
    if (!stream.videoKey[i]) continue;
    MPEG_TS::FrameInfoRecord record;
    record.sequenceId = static_cast<uint32_t>(i);
    record.width = static_cast<uint16_t>(width);
    record.height = static_cast<uint16_t>(height);
    record.frameRate = 25;
    record.timeStamp = static_cast<uint64_t>(stream.videoMicroseconds[i]);
    uint8_t wire[MPEG_TS::FrameInfoRecord::kSize];
    MPEG_TS::buildFrameInfo(record, wire);
    const size_t at = s.bytes.find(Bytes(reinterpret_cast<const char*>(wire), sizeof(wire)));
    if (at != Bytes::npos) s.records.push_back(at);
  }
  EXPECT_FALSE(s.records.empty()) << "no frame-information record found in " << h264Fixture;
  return s;
}

// The units that packets are repeated, dropped and swapped by: the 188-byte packets of a transport
// stream, the frames (head and payload) of a frame-head stream.
inline std::vector<Bytes> unitsOf(const Source& s) {
  std::vector<Bytes> units;
  if (s.transportStream) {
    for (size_t at = 0; at < s.bytes.size(); at += kPacket) units.push_back(s.bytes.substr(at, kPacket));
    return units;
  }
  for (size_t i = 0; i < s.heads.size(); ++i) {
    const size_t end = i + 1 < s.heads.size() ? s.heads[i + 1] : s.bytes.size();
    units.push_back(s.bytes.substr(s.heads[i], end - s.heads[i]));
  }
  return units;
}

inline Bytes joined(const std::vector<Bytes>& units) {
  Bytes out;
  for (const Bytes& u : units) out += u;
  return out;
}

// --- the damages ---

inline Bytes cutAt(const Source& s, size_t at) { return s.bytes.substr(0, std::min(at, s.bytes.size())); }

// One bit in every `every` bytes flipped, at seeded places, from `from` on.
inline Bytes flipBits(const Source& s, size_t every, unsigned seed, size_t from = 0) {
  Bytes b = s.bytes;
  std::mt19937 random(seed);
  for (size_t at = from + random() % every; at < b.size(); at += 1 + random() % (2 * every)) {
    b[at] = static_cast<char>(b[at] ^ (1 << (random() % 8)));
  }
  return b;
}

inline Bytes zeroed(const Source& s, size_t at, size_t count) {
  Bytes b = s.bytes;
  for (size_t i = at; i < at + count && i < b.size(); ++i) b[i] = 0;
  return b;
}

// Units n.. of every `step`th stretch repeated, dropped or swapped with the next.
enum class UnitChange { Repeat, Drop, Swap };
inline Bytes changeUnits(const Source& s, UnitChange change, size_t step) {
  std::vector<Bytes> units = unitsOf(s);
  std::vector<Bytes> out;
  for (size_t i = 0; i < units.size(); ++i) {
    const bool hit = i % step == step / 2;
    if (!hit) {
      out.push_back(units[i]);
    } else if (change == UnitChange::Repeat) {
      out.push_back(units[i]);
      out.push_back(units[i]);
    } else if (change == UnitChange::Swap && i + 1 < units.size()) {
      out.push_back(units[i + 1]);
      out.push_back(units[i]);
      ++i;
    }
  }
  return joined(out);
}

// A field of the frame heads (offset into the head, size in bytes) set to value in the chosen heads
// (every `step`th from `first`).
inline Bytes setHeadField(const Source& s, size_t field, int size, uint64_t value, size_t first, size_t step) {
  Bytes b = s.bytes;
  for (size_t i = first; i < s.heads.size(); i += step) putBigEndian(b, s.heads[i] + field, value, size);
  return b;
}

// Every frame head's timestamp from the chosen head on replaced by what timeOf gives for its index.
template <typename TimeOf>
inline Bytes retimeHeads(const Source& s, size_t first, TimeOf timeOf) {
  Bytes b = s.bytes;
  for (size_t i = first; i < s.heads.size(); ++i) {
    KXAVFrameHead head;
    head.parseFrameHead(b.data() + s.heads[i], KXAVFrameHead::kLength);
    putBigEndian(b, s.heads[i] + 14, static_cast<uint64_t>(timeOf(i, head.getTimeStamp())), 8);
  }
  return b;
}

// A field of the frame-information records set to value (offsets as buildFrameInfo writes them).
inline Bytes setRecordField(const Source& s, size_t field, int size, uint64_t value) {
  Bytes b = s.bytes;
  for (size_t at : s.records) putBigEndian(b, at + field, value, size);
  return b;
}

// The payload of every video frame of a frame-head stream (es type 1) damaged from its byte `from`:
// bits flipped (flip) or zeroed to its end; the heads stay as they are.
inline Bytes damagePayloads(const Source& s, size_t from, bool flip) {
  Bytes b = s.bytes;
  std::mt19937 random(7);
  for (size_t at : s.heads) {
    KXAVFrameHead head;
    head.parseFrameHead(b.data() + at, KXAVFrameHead::kLength);
    if (head.getESStreamType() != 1) continue;
    const size_t begin = at + KXAVFrameHead::kLength, end = begin + static_cast<size_t>(head.getFrameLength());
    for (size_t i = begin + from; i < end && i < b.size(); i += flip ? 1 + random() % 40 : 1) {
      b[i] = flip ? static_cast<char>(b[i] ^ (1 << (random() % 8))) : 0;
    }
  }
  return b;
}

// --- a sequence parameter set claiming another picture size ---

class BitWriter {
 public:
  void bits(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) bit((value >> i) & 1);
  }
  void ue(uint32_t value) {
    const uint64_t v = static_cast<uint64_t>(value) + 1;
    int length = 0;
    while ((v >> length) > 1) ++length;
    bits(0, length);
    for (int i = length; i >= 0; --i) bit(static_cast<uint32_t>((v >> i) & 1));
  }
  // Trailing bits, then the bytes with emulation prevention.
  Bytes nal() {
    bit(1);
    while (m_count % 8 != 0) bit(0);
    Bytes out;
    int zeros = 0;
    for (uint8_t byte : m_bytes) {
      if (zeros >= 2 && byte <= 3) {
        out.push_back(3);
        zeros = 0;
      }
      out.push_back(static_cast<char>(byte));
      zeros = byte == 0 ? zeros + 1 : 0;
    }
    return out;
  }

 private:
  void bit(uint32_t b) {
    if (m_count % 8 == 0) m_bytes.push_back(0);
    if (b) m_bytes.back() = static_cast<uint8_t>(m_bytes.back() | (0x80 >> (m_count % 8)));
    ++m_count;
  }
  std::vector<uint8_t> m_bytes;
  int m_count = 0;
};

// The parameter set `from` written again (baseline or main profile) with another size in macroblocks
// and no VUI: the slices that follow still fit it, so a decoder would start pictures of that size.
inline Bytes spsClaiming(const SeqParameterSet& from, uint32_t widthMbs, uint32_t heightMbs) {
  EXPECT_TRUE(from.profile_idc == 66 || from.profile_idc == 77) << from.profile_idc;
  EXPECT_NE(1u, from.pic_order_cnt_type);
  BitWriter w;
  w.bits(0x67, 8);
  w.bits(from.profile_idc, 8);
  w.bits((from.constraint_set0_flag << 7) | (from.constraint_set1_flag << 6) | (from.constraint_set2_flag << 5), 8);
  w.bits(from.level_idc, 8);
  w.ue(from.seq_parameter_set_id);
  w.ue(from.log2_max_frame_num_minus4);
  w.ue(from.pic_order_cnt_type);
  if (from.pic_order_cnt_type == 0) w.ue(from.log2_max_pic_order_cnt_lsb_minus4);
  w.ue(from.num_ref_frames);
  w.bits(from.gaps_in_frame_num_value_allowed_flag, 1);
  w.ue(widthMbs - 1);
  w.ue(heightMbs - 1);
  w.bits(1, 1);  // frame_mbs_only_flag
  w.bits(from.direct_8x8_inference_flag, 1);
  w.bits(0, 1);  // no cropping
  w.bits(0, 1);  // no VUI
  return Bytes("\x00\x00\x00\x01", 4) + w.nal();
}

// A frame-head stream whose key frames' parameter sets claim widthMbs x heightMbs macroblocks.
inline Bytes withClaimedSize(const Source& s, uint32_t widthMbs, uint32_t heightMbs) {
  std::vector<Bytes> units = unitsOf(s);
  for (Bytes& unit : units) {
    KXAVFrameHead head;
    head.parseFrameHead(unit.data(), KXAVFrameHead::kLength);
    const size_t sps = unit.find(Bytes("\x00\x00\x00\x01\x67", 5), KXAVFrameHead::kLength);
    if (head.getESStreamType() != 1 || sps == Bytes::npos) continue;
    const size_t next = unit.find(Bytes("\x00\x00\x01", 3), sps + 5);
    const size_t end = next == Bytes::npos ? unit.size() : (unit[next - 1] == 0 ? next - 1 : next);
    SeqParameterSet parsed{};
    EXPECT_TRUE(findSPS(reinterpret_cast<const unsigned char*>(unit.data() + sps), static_cast<int>(end - sps), &parsed));
    unit = unit.substr(0, sps) + spsClaiming(parsed, widthMbs, heightMbs) + unit.substr(end);
    head.setFrameLength(static_cast<int>(unit.size()) - KXAVFrameHead::kLength);
    int length = KXAVFrameHead::kLength;
    head.getFrameHead(&unit[0], length);
  }
  return joined(units);
}

}  // namespace damage
