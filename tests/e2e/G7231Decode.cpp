// kxg7231decode: G.723.1 frames back to back on standard input, the library's decoding of them on
// standard output (signed 16-bit mono PCM at 8000 Hz), one decoder for the whole stream as a player
// keeps. The desktop test's reference for the sound the program plays.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>

#include "codec/AudioCodec.h"
#include "codec/AudioCodecFactory.h"
#include "media/EncoderType.h"

int main() {
  const std::string frames((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  std::unique_ptr<AudioCodec> decoder(createAudioCodec(EncoderType::G7231));
  if (!decoder) return 1;
  std::string pcm(frames.size() * 480 + 480, '\0');
  int length = static_cast<int>(pcm.size());
  if (!decoder->decode(frames.data(), static_cast<int>(frames.size()), pcm.data(), length)) return 1;
  std::fwrite(pcm.data(), 1, static_cast<std::size_t>(length), stdout);
  return 0;
}
