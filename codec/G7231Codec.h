#pragma once
#include <memory>

#include "codec/AudioCodec.h"

class G7231Context;

// ITU-T G.723.1 speech at 6.3 kbit/s (encoding) and 6.3/5.3 kbit/s with comfort-noise frames
// (decoding), bit-exact with the standard's fixed-point arithmetic. Each object owns one encoder
// and one decoder context, so objects are independent of each other; one object belongs to one
// stream and one thread at a time. It cannot be copied: the contexts carry the stream's history.
//
// encode: PCM in any pieces; every complete 480-byte block becomes one 24-byte frame, the bytes
// short of a block are kept for the next call. decode: frames back to back, each sized by the low
// two bits of its first byte (24, 20, 4 or 1 bytes); every frame yields 480 bytes of PCM. A decode
// that stops at a truncated frame or at an output without room for the next 480 bytes returns
// false, with the frames decoded before it in out and counted in outLen.
class G7231Codec : public AudioCodec {
 public:
  static constexpr int kPcmBlockBytes = 480;
  static constexpr int kEncodedFrameBytes = 24;

  G7231Codec();
  G7231Codec(const G7231Codec&) = delete;
  G7231Codec& operator=(const G7231Codec&) = delete;
  ~G7231Codec() override;

  // Needs outLen >= 24 x (complete blocks of kept bytes + inLen).
  bool encode(const char* in, int inLen, char* out, int& outLen) override;
  // Needs outLen >= 480 per frame; the whole capacity is cleared first.
  bool decode(const char* in, int inLen, char* out, int& outLen) override;

 private:
  static int computeFrameSize(int firstByte);

  std::unique_ptr<char[]> m_pRemainder;
  int m_nKept;
  std::unique_ptr<G7231Context> m_pEncoder;
  std::unique_ptr<G7231Context> m_pDecoder;
};
