// G.723.1 decoding of arbitrary frames: byte 0 and 1 give the output capacity in 480-byte units
// and a remainder, the rest is a run of frames of any type (the low two bits of each frame's first
// byte choose its size). The run is fed in one call, which decodes what the capacity takes; the
// frames left after it go on frame by frame through the same codec, so every frame is decoded once
// and both ways of feeding are used. The output buffer is exactly the capacity offered, so a write
// past the room checks is caught.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/G7231Codec.h"
#include "codec/g7231/G7231BitStream.h"

namespace {

// The offset of the frame after the first `frames` frames of in (the end when fewer are complete).
int offsetAfter(const std::vector<char>& in, int frames) {
  const int inLen = static_cast<int>(in.size());
  int pos = 0;
  for (int i = 0; i < frames && pos < inLen; ++i) {
    const int frame = G7231BitStream::frameSize(static_cast<unsigned char>(in[static_cast<size_t>(pos)]));
    if (frame > inLen - pos) return inLen;
    pos += frame;
  }
  return pos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int capacity = (data[0] % 16) * 480 + (data[1] % 4 == 0 ? data[1] : 0);
  const std::vector<char> in(data + 2, data + size);
  const int inLen = static_cast<int>(in.size());
  G7231Codec codec;
  std::vector<char> out(static_cast<size_t>(capacity > 0 ? capacity : 1));
  int outLen = capacity;
  const bool ok = codec.decode(in.data(), inLen, out.data(), outLen);
  if (outLen < 0 || outLen > capacity || outLen % 480 != 0) __builtin_trap();
  if (ok && capacity == 0) __builtin_trap();

  std::vector<char> pcm(480);
  for (int pos = offsetAfter(in, outLen / 480); pos < inLen;) {
    const int frame = G7231BitStream::frameSize(static_cast<unsigned char>(in[static_cast<size_t>(pos)]));
    if (frame > inLen - pos) break;
    int pcmLen = 480;
    if (!codec.decode(in.data() + pos, frame, pcm.data(), pcmLen) || pcmLen != 480) __builtin_trap();
    pos += frame;
  }
  return 0;
}
