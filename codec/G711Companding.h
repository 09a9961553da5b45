#pragma once
#include <cstdint>

// G.711 companding in the classic segment form, one sample at a time, and the buffer loops that the
// A-law and mu-law codecs share.
namespace g711 {

uint8_t alawFromLinear(int16_t sample);
int16_t linearFromAlaw(uint8_t code);
uint8_t ulawFromLinear(int16_t sample);
int16_t linearFromUlaw(uint8_t code);

using SampleCompressor = uint8_t (*)(int16_t);
using SampleExpander = int16_t (*)(uint8_t);

// 16-bit PCM (inLen even and > 0) to one code byte per sample; needs outLen >= inLen / 2.
bool compressBuffer(SampleCompressor compress, const char* in, int inLen, char* out, int& outLen);
// One code byte per sample (inLen > 0) to 16-bit PCM; needs outLen >= 2 * inLen.
bool expandBuffer(SampleExpander expand, const char* in, int inLen, char* out, int& outLen);

}  // namespace g711
