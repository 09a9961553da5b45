#include "codec/G711_ALAW_Codec.h"

#include "codec/G711Companding.h"

G711_ALAW_Codec::G711_ALAW_Codec(const G711_ALAW_Codec&) : AudioCodec() {}

G711_ALAW_Codec& G711_ALAW_Codec::operator=(const G711_ALAW_Codec&) { return *this; }

G711_ALAW_Codec::~G711_ALAW_Codec() = default;

bool G711_ALAW_Codec::encode(const char* in, int inLen, char* out, int& outLen) {
  return g711::compressBuffer(g711::alawFromLinear, in, inLen, out, outLen);
}

bool G711_ALAW_Codec::decode(const char* in, int inLen, char* out, int& outLen) {
  return g711::expandBuffer(g711::linearFromAlaw, in, inLen, out, outLen);
}
