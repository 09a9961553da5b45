// Audio codecs on arbitrary input: byte 0 picks the codec and the direction, bytes 1-2 the output
// capacity; the rest is the input. The output buffer is exactly the capacity offered, so any write
// the capacity check lets through is caught.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "codec/AudioCodec.h"
#include "codec/AudioCodecFactory.h"
#include "media/EncoderType.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  static const int kTypes[] = {EncoderType::G711A, EncoderType::G711U, EncoderType::RAW_PCM, EncoderType::AMR};
  std::unique_ptr<AudioCodec> codec(createAudioCodec(kTypes[data[0] & 3]));
  if (!codec) return 0;
  const bool encode = (data[0] & 4) != 0;
  const int capacity = data[1] | (data[2] << 8);
  std::vector<char> in(data + 3, data + size);
  std::vector<char> out(static_cast<size_t>(capacity));
  // Two calls, so that the AMR encoder's kept bytes and decoder history take part.
  for (int call = 0; call < 2; ++call) {
    int outLen = capacity;
    const bool ok = encode ? codec->encode(in.data(), static_cast<int>(in.size()), out.data(), outLen)
                           : codec->decode(in.data(), static_cast<int>(in.size()), out.data(), outLen);
    if (ok && (outLen < 0 || outLen > capacity)) __builtin_trap();
    if (!ok && outLen != capacity) __builtin_trap();
  }
  return 0;
}
