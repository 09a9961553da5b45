#include "codec/G711_ULAW_Codec.h"

#include "codec/G711Companding.h"

G711_ULAW_Codec::G711_ULAW_Codec(const G711_ULAW_Codec&) : AudioCodec() {}

G711_ULAW_Codec& G711_ULAW_Codec::operator=(const G711_ULAW_Codec&) { return *this; }

G711_ULAW_Codec::~G711_ULAW_Codec() = default;

bool G711_ULAW_Codec::encode(const char* in, int inLen, char* out, int& outLen) {
  return g711::compressBuffer(g711::ulawFromLinear, in, inLen, out, outLen);
}

bool G711_ULAW_Codec::decode(const char* in, int inLen, char* out, int& outLen) {
  return g711::expandBuffer(g711::linearFromUlaw, in, inLen, out, outLen);
}
