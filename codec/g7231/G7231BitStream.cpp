#include "codec/g7231/G7231BitStream.h"

#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

namespace {

class BitWriter {
 public:
  explicit BitWriter(uint8_t* out) : m_out(out) {}
  void put(uint32_t value, int bits) {
    for (int i = 0; i < bits; ++i, ++m_position)
      if ((value >> i) & 1u) m_out[m_position >> 3] = static_cast<uint8_t>(m_out[m_position >> 3] | (1u << (m_position & 7)));
  }

 private:
  uint8_t* m_out;
  int m_position = 0;
};

// Reads fields of up to 24 bits from a copy of the frame's own bytes (zeros beyond them).
class BitReader {
 public:
  BitReader(const uint8_t* in, int bytes) {
    for (int i = 0; i < bytes; ++i) m_bytes[i] = in[i];
  }
  uint32_t get(int bits) {
    const int first = m_position >> 3;
    const uint32_t window = static_cast<uint32_t>(m_bytes[first]) | (static_cast<uint32_t>(m_bytes[first + 1]) << 8) |
                            (static_cast<uint32_t>(m_bytes[first + 2]) << 16) |
                            (static_cast<uint32_t>(m_bytes[first + 3]) << 24);
    const uint32_t value = (window >> (m_position & 7)) & ((1u << bits) - 1u);
    m_position += bits;
    return value;
  }

 private:
  uint8_t m_bytes[24 + 4] = {};
  int m_position = 0;
};

}  // namespace

int G7231BitStream::frameSize(int firstByte) {
  static const int kSizes[4] = {24, 20, 4, 1};
  return kSizes[firstByte & 3];
}

int G7231BitStream::packActive(const G7231FrameParams& frame, int rate, uint8_t* out) {
  const int bytes = rate == 0 ? 24 : 20;
  for (int i = 0; i < bytes; ++i) out[i] = 0;
  BitWriter writer(out);
  writer.put(rate == 0 ? kActive63 : kActive53, 2);
  writer.put(static_cast<uint32_t>(frame.lspIndex), 24);
  writer.put(static_cast<uint32_t>(frame.openLoopLag[0] - T::PitchMin), 7);
  writer.put(static_cast<uint32_t>(frame.subframes[1].lagOffset), 2);
  writer.put(static_cast<uint32_t>(frame.openLoopLag[1] - T::PitchMin), 7);
  writer.put(static_cast<uint32_t>(frame.subframes[3].lagOffset), 2);
  for (const auto& subframe : frame.subframes) {
    int32_t gains = subframe.pitchGainIndex * T::NumOfGainLev + subframe.fixedGainIndex;
    if (rate == 0) gains += static_cast<int32_t>(subframe.pulseTrain) << 11;
    writer.put(static_cast<uint32_t>(gains), 12);
  }
  for (const auto& subframe : frame.subframes) writer.put(static_cast<uint32_t>(subframe.grid), 1);
  if (rate == 0) {
    writer.put(0, 1);
    const G7231SubframeParams* s = frame.subframes;
    int32_t combined = (s[0].pulsePositions >> 16) * 9 + (s[1].pulsePositions >> 14);
    combined *= 90;
    combined += (s[2].pulsePositions >> 16) * 9 + (s[3].pulsePositions >> 14);
    writer.put(static_cast<uint32_t>(combined), 13);
    writer.put(static_cast<uint32_t>(s[0].pulsePositions & 0xffff), 16);
    writer.put(static_cast<uint32_t>(s[1].pulsePositions & 0x3fff), 14);
    writer.put(static_cast<uint32_t>(s[2].pulsePositions & 0xffff), 16);
    writer.put(static_cast<uint32_t>(s[3].pulsePositions & 0x3fff), 14);
    writer.put(static_cast<uint32_t>(s[0].pulseSigns), 6);
    writer.put(static_cast<uint32_t>(s[1].pulseSigns), 5);
    writer.put(static_cast<uint32_t>(s[2].pulseSigns), 6);
    writer.put(static_cast<uint32_t>(s[3].pulseSigns), 5);
  } else {
    for (const auto& subframe : frame.subframes) writer.put(static_cast<uint32_t>(subframe.pulsePositions), 12);
    for (const auto& subframe : frame.subframes) writer.put(static_cast<uint32_t>(subframe.pulseSigns), 4);
  }
  return bytes;
}

int G7231BitStream::unpack(const uint8_t* in, G7231FrameParams& frame, int& rate) {
  frame.badFrame = 0;
  const int wireType = in[0] & 3;
  BitReader reader(in, frameSize(wireType));
  reader.get(2);
  if (wireType == kUntransmitted) {
    frame.lspIndex = 0;
    return kSilent;
  }
  frame.lspIndex = static_cast<int32_t>(reader.get(24));
  if (wireType == kSid) {
    frame.subframes[0].fixedGainIndex = static_cast<int16_t>(reader.get(6));
    return kSidFrame;
  }

  rate = wireType == kActive63 ? 0 : 1;
  for (int half = 0; half < 2; ++half) {
    const uint32_t lagCode = reader.get(7);
    if (lagCode > 123) {
      frame.badFrame = 1;
      return kActive;
    }
    frame.openLoopLag[half] = static_cast<int16_t>(lagCode + T::PitchMin);
    frame.subframes[2 * half + 1].lagOffset = static_cast<int16_t>(reader.get(2));
  }
  frame.subframes[0].lagOffset = 1;
  frame.subframes[2].lagOffset = 1;

  for (int i = 0; i < T::SubFrames; ++i) {
    G7231SubframeParams& subframe = frame.subframes[i];
    int32_t gains = static_cast<int32_t>(reader.get(12));
    subframe.pulseTrain = 0;
    int bound = T::NbFilt170;
    if (rate == 0 && frame.openLoopLag[i >> 1] < T::SubFrLen - 2) {
      subframe.pulseTrain = static_cast<int16_t>(gains >> 11);
      gains &= 0x7ff;
      bound = T::NbFilt085;
    }
    subframe.pitchGainIndex = static_cast<int16_t>(gains / T::NumOfGainLev);
    if (subframe.pitchGainIndex >= bound) {
      frame.badFrame = 1;
      return kActive;
    }
    subframe.fixedGainIndex = static_cast<int16_t>(gains % T::NumOfGainLev);
  }
  for (auto& subframe : frame.subframes) subframe.grid = static_cast<int16_t>(reader.get(1));

  if (rate == 0) {
    reader.get(1);
    const int32_t combined = static_cast<int32_t>(reader.get(13));
    G7231SubframeParams* s = frame.subframes;
    s[0].pulsePositions = ((combined / 90) / 9) << 16;
    s[1].pulsePositions = ((combined / 90) % 9) << 14;
    s[2].pulsePositions = ((combined % 90) / 9) << 16;
    s[3].pulsePositions = ((combined % 90) % 9) << 14;
    s[0].pulsePositions += static_cast<int32_t>(reader.get(16));
    s[1].pulsePositions += static_cast<int32_t>(reader.get(14));
    s[2].pulsePositions += static_cast<int32_t>(reader.get(16));
    s[3].pulsePositions += static_cast<int32_t>(reader.get(14));
    s[0].pulseSigns = static_cast<int16_t>(reader.get(6));
    s[1].pulseSigns = static_cast<int16_t>(reader.get(5));
    s[2].pulseSigns = static_cast<int16_t>(reader.get(6));
    s[3].pulseSigns = static_cast<int16_t>(reader.get(5));
  } else {
    for (auto& subframe : frame.subframes) subframe.pulsePositions = static_cast<int32_t>(reader.get(12));
    for (auto& subframe : frame.subframes) subframe.pulseSigns = static_cast<int16_t>(reader.get(4));
  }
  return kActive;
}
